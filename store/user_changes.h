#pragma once
// The changes a person makes to a user as a whole, each atomic, and which user
// is the current one. A user is stored when they have a patient record or
// test records.

#include "store/patient_store.h"

#include <string>
#include <vector>
#include <string_view>

enum class UserChanged { Done, NameTaken, Failed };

// Every user's name, for a list to pick from: the patients' and those of
// users with tests but no patient record (kept from before), in the indexes'
// order of folded case; each name once, ignoring letter case as a list's own
// search does, a patient's before the other. From the indexes: no record is read.
std::vector<std::u16string> UserNames();
// Whether the user `from` (empty for a new user) may not take `name`: it is,
// ignoring letter case, another stored user's name. A new user may take the
// exact name of a user who has tests but no patient record: that gives them one.
bool IsNameTaken(std::u16string_view name, std::u16string_view from);

// Stores `patient` as a new user; a taken name is NameTaken and changes nothing.
UserChanged AddUser(const Patient& patient);

// Stores `patient` in place of the user `from`. Under a new name everything of
// theirs follows: the patient record, every test record, and the setting
// CurrentUser when it named them. A name another user has (in any letter
// case) is NameTaken, and nothing changes.
UserChanged ChangeUser(std::u16string_view from, const Patient& patient);

// Deletes the user's patient record and every test of theirs. When they were
// the current user, the first patient left becomes the current one, or none.
bool DeleteUser(std::u16string_view name);

// Makes `name` the current user; false when the setting could not be stored.
bool MakeCurrentUser(std::u16string_view name);

// The current user: CurrentUser when it names a stored user; otherwise the
// first patient (or none, the empty name) is made the current user.
std::u16string SettledCurrentUser();
