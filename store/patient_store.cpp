#include "store/patient_store.h"

#include "store/store_database.h"

#include <cmath>
#include <unordered_set>

namespace {

enum : std::uint16_t {
    kPropName = 501,
    kPropSex = 502,
    kPropBirthdate = 503,
    kPropGraphPeriod = 504,
    kPropGraphType = 505,
};

constexpr StoreDatabase kPatients{kPatientsDatabase, kPatientsDatabaseType, kPropName};

// The five properties in their stored order; false for a birthdate that is no date.
bool FillPatient(PropertyRecord& record, std::u16string_view name, std::u16string_view sex,
                 const SystemTime& birthdate, std::u16string_view period, std::u16string_view type) {
    FileTime birth = 0;
    if (!SystemTimeToFileTime(birthdate, birth)) return false;
    record.RemoveAllProperties();
    Property properties[] = {TextProperty(name, kPropName), TextProperty(sex, kPropSex), Property(birth, kPropBirthdate),
                             TextProperty(period, kPropGraphPeriod), TextProperty(type, kPropGraphType)};
    record.AddProperties(properties, 5);
    return true;
}

// Opens `db` on the patient named exactly `name` and reads it into `record`.
bool SeekPatient(PropertyDatabase& db, std::u16string_view name, PropertyRecord& record) {
    const std::u16string exact = BoundedText(name);
    return SeekInRun(db, kPatientsDatabase, TextProperty(exact, kPropName),
                     [&exact](const PropertyRecord& found) { return TextOf(found, kPropName) == exact; }, record);
}

template <class Change>
bool ChangePatient(std::u16string_view name, Change change) {
    PropertyDatabase db;
    PropertyRecord record;
    if (!SeekPatient(db, name, record)) return false;
    change(record);
    return db.Write(record, 1);
}

bool ReadPatient(std::u16string_view name, PropertyRecord& record) {
    PropertyDatabase db;
    return SeekPatient(db, name, record);
}

Patient PatientOf(const PropertyRecord& record) {
    const auto text = [&record](std::uint16_t id) { return BoundedText(TextOf(record, id)); };
    Patient patient{text(kPropName), text(kPropSex), {}, text(kPropGraphPeriod), text(kPropGraphType)};
    if (!FileTimeToSystemTime(FileTimeOf(record, kPropBirthdate), patient.birthdate)) patient.birthdate = SystemTime{};
    return patient;
}

bool UpdatePatient(std::u16string_view name, std::u16string_view sex, const SystemTime& birthdate,
                   std::u16string_view period, std::u16string_view type) {
    PropertyRecord replacement;
    if (!FillPatient(replacement, name, sex, birthdate, period, type)) return false;
    return ChangePatient(name, [&replacement](PropertyRecord& record) { record = replacement; });
}

}  // namespace

std::optional<std::u16string> SexChoice(std::u16string_view text) {
    for (const std::u16string_view sex : {u"Female", u"Male", u""})
        if (EqualsNoCase(text, sex)) return std::u16string(sex);
    return std::nullopt;
}

SystemTime NewUserBirthdate() {
    SystemTime birthdate = GetLocalTime();
    birthdate.year = 1960;
    return birthdate;
}

bool HasPatient(std::u16string_view name) {
    PropertyDatabase db;
    PropertyRecord record;
    return SeekPatient(db, name, record);
}

bool AddPatient(std::u16string_view name, std::u16string_view sex, const SystemTime& birthdate,
                std::u16string_view period, std::u16string_view type) {
    StoreTransaction unit;
    PropertyDatabase db;
    if (!OpenOrCreate(db, kPatients)) return false;
    bool stored;
    if (HasPatient(name)) {
        db.Close();
        stored = UpdatePatient(name, sex, birthdate, period, type);
    } else {
        PropertyRecord record;
        stored = FillPatient(record, name, sex, birthdate, period, type) && db.Write(record, 0);
        db.Close();
    }
    return stored && unit.Commit();
}

bool SetGraphPreferences(std::u16string_view name, std::u16string_view period, std::u16string_view type) {
    return ChangePatient(name, [&](PropertyRecord& record) {
        record.RemoveProperty(kPropGraphPeriod);
        record.RemoveProperty(kPropGraphType);
        record.AddProperty(TextProperty(period, kPropGraphPeriod));
        record.AddProperty(TextProperty(type, kPropGraphType));
    });
}

bool DeletePatient(std::u16string_view name) {
    PropertyDatabase db;
    PropertyRecord record;
    return SeekPatient(db, name, record) && db.DeleteCurrent();
}

bool GetPatientSex(std::u16string_view name, std::u16string& sex) {
    PropertyRecord record;
    if (!ReadPatient(name, record)) return false;
    sex = BoundedText(TextOf(record, kPropSex));
    return true;
}

bool GetGraphType(std::u16string_view name, std::u16string& type) {
    PropertyRecord record;
    if (!ReadPatient(name, record)) return false;
    type = BoundedText(TextOf(record, kPropGraphType));
    return true;
}

int GetGraphPeriod(std::u16string_view name) {
    PropertyRecord record;
    if (!ReadPatient(name, record)) return -1;
    return TextToInt(BoundedText(TextOf(record, kPropGraphPeriod)));
}

SystemTime GetBirthdate(std::u16string_view name) {
    PropertyRecord record;
    SystemTime birthdate;
    if (ReadPatient(name, record) && !FileTimeToSystemTime(FileTimeOf(record, kPropBirthdate), birthdate))
        birthdate = SystemTime{};
    return birthdate;
}

int GetPatientAge(std::u16string_view name) {
    PropertyRecord record;
    SystemTime birthdate;
    double birth = 0, now = 0;
    if (!ReadPatient(name, record) || !FileTimeToSystemTime(FileTimeOf(record, kPropBirthdate), birthdate) ||
        !SystemTimeToVariantTime(birthdate, birth) || !SystemTimeToVariantTime(GetLocalTime(), now))
        return -1;
    return static_cast<int>(std::trunc((now - birth) * 0.0027397260273972603));
}

// The names are compared among themselves, ignoring case as the control's
// own search does; the control is searched only when it held items before,
// since a search of it per name takes time in the square of the names.
void ListPatients(ListingTarget& list) {
    const bool empty = list.FindPrefix(u"") == -1;
    std::unordered_set<std::u16string> listed;
    for (const std::u16string& name : PatientNames())
        if (listed.insert(FoldCase(name)).second && (empty || list.FindExact(name) == -1)) list.AddItem(name);
}

std::optional<Patient> ReadPatient(std::u16string_view name) {
    PropertyRecord record;
    if (!ReadPatient(name, record)) return std::nullopt;
    return PatientOf(record);
}

std::vector<Patient> ReadPatients() {
    std::vector<Patient> patients;
    ForEachRecord(kPatientsDatabase, [&patients](PropertyDatabase&, const PropertyRecord& record) {
        patients.push_back(PatientOf(record));
        return true;
    });
    return patients;
}

std::vector<std::u16string> PatientNames() {
    PropertyDatabase db;
    return db.Open(kPatientsDatabase) ? db.SortTexts() : std::vector<std::u16string>{};
}

std::u16string FirstPatientName() {
    std::u16string name;
    ForEachRecord(kPatientsDatabase, [&name](PropertyDatabase&, const PropertyRecord& record) {
        name = BoundedText(TextOf(record, kPropName));
        return false;
    });
    return name;
}

bool HasPatients() {
    PropertyDatabase db;
    // Reaching the first record, not counting them all: start-up asks this.
    return db.Open(kPatientsDatabase) && db.SeekFirst();
}
