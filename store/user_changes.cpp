#include "store/user_changes.h"

#include "store/settings_store.h"
#include "store/test_record_layout.h"

namespace {

std::u16string CurrentUser() {
    std::u16string user;
    GetSetting(kCurrentUserKey, user);
    return user;
}

bool IsStored(const std::u16string& user) {
    return !user.empty() && (HasPatient(user) || !UserTests(user).empty());
}

// Every test record of `from` becomes one of `to`, each in one step with
// nothing else of it changed.
bool MoveTests(const std::u16string& from, const std::u16string& to) {
    PropertyDatabase db;
    if (!db.Open(kTestRecordsDatabase)) return !PropertyDatabase::Exists(kTestRecordsDatabase);
    FieldMatch all;
    all.exact = from;
    bool moved = true;
    // The visit rewrites the record it is on.
    db.ForEachMatch(all, [&](const PropertyRecord& record) {
        PropertyRecord renamed = record;
        renamed.AddProperty(TextProperty(to, kPropUser));
        moved = db.Write(renamed, 1);
        return moved;
    });
    return moved;
}

bool DeleteTests(const std::u16string& user) {
    PropertyDatabase db;
    if (!db.Open(kTestRecordsDatabase)) return !PropertyDatabase::Exists(kTestRecordsDatabase);
    return db.DeleteAllOf(user);
}

}  // namespace

// Both lists come in their indexes' order, by folded case: merged, a name
// meets any other of it in another letter case side by side.
std::vector<std::u16string> UserNames() {
    const std::vector<std::u16string> patients = PatientNames(), withTests = UsersWithTests();
    std::vector<std::u16string> names;
    names.reserve(patients.size() + withTests.size());
    auto patient = patients.begin(), user = withTests.begin();
    while (patient != patients.end() || user != withTests.end()) {
        const bool fromPatients =
            user == withTests.end() || (patient != patients.end() && CompareNoCase(*patient, *user) <= 0);
        const std::u16string& name = fromPatients ? *patient++ : *user++;
        if (!name.empty() && (names.empty() || !EqualsNoCase(names.back(), name))) names.push_back(name);
    }
    return names;
}

bool IsNameTaken(std::u16string_view name, std::u16string_view from) {
    const std::u16string exact = BoundedText(name), fromExact = BoundedText(from);
    if (exact == fromExact) return false;
    if (fromExact.empty() && HasPatient(exact)) return true;
    // A new user's exact name may be one with tests alone; any other match is someone else.
    const std::u16string except = fromExact.empty() ? exact : fromExact;
    for (const std::u16string_view database : {kPatientsDatabase, kTestRecordsDatabase}) {
        PropertyDatabase db;
        if (!db.Open(database)) continue;
        for (const std::u16string& user : db.SortTextsEqualTo(exact))
            if (user != except) return true;
    }
    return false;
}

UserChanged AddUser(const Patient& patient) {
    const std::u16string name = BoundedText(patient.name);
    if (IsNameTaken(name, u"")) return UserChanged::NameTaken;
    return AddPatient(name, patient.sex, patient.birthdate, patient.graphPeriod, patient.graphType)
               ? UserChanged::Done
               : UserChanged::Failed;
}

UserChanged ChangeUser(std::u16string_view from, const Patient& patient) {
    const std::u16string old = BoundedText(from), name = BoundedText(patient.name);
    if (IsNameTaken(name, old)) return UserChanged::NameTaken;
    StoreTransaction unit;
    bool changed = true;
    if (name != old) {
        changed = (!HasPatient(old) || DeletePatient(old)) && MoveTests(old, name) &&
                  (CurrentUser() != old || MakeCurrentUser(name));
    }
    changed = changed &&
              AddPatient(name, patient.sex, patient.birthdate, patient.graphPeriod, patient.graphType) &&
              unit.Commit();
    return changed ? UserChanged::Done : UserChanged::Failed;
}

bool DeleteUser(std::u16string_view name) {
    const std::u16string user = BoundedText(name);
    StoreTransaction unit;
    return (!HasPatient(user) || DeletePatient(user)) && DeleteTests(user) &&
           (CurrentUser() != user || MakeCurrentUser(FirstPatientName())) && unit.Commit();
}

bool MakeCurrentUser(std::u16string_view name) {
    return SetSetting(kCurrentUserKey, BoundedText(name)) && CurrentUser() == BoundedText(name);
}

std::u16string SettledCurrentUser() {
    const std::u16string current = CurrentUser();
    if (IsStored(current)) return current;
    const std::u16string next = FirstPatientName();
    if (next != current) MakeCurrentUser(next);
    return next;
}
