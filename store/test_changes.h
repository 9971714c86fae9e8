#pragma once
// The changes a person makes to the tests they took, each atomic: storing a
// test of one day, editing or moving it, deleting it.

#include "store/test_record_store.h"

#include <optional>
#include <unordered_set>

enum class TestSaved { Stored, DayHeld, Failed };

// Stores `taken` on its day. When the day already holds that test nothing
// changes and the answer is DayHeld, unless `join`: then the results join the
// stored ones (one of the same name is replaced) and the comment, when there
// is one, becomes the day's; `taken` then holds the day as stored. A test the
// user stored in other letter case is stored under that spelling. A test or
// result name the catalogue lacks is taught to it.
TestSaved StoreTakenTest(TakenTest& taken, bool join);

// What storing many days one after another in one change (an import)
// learns once: the result names the catalogue was found to hold, so that
// each name is asked about once, and the spelling under which the last user
// stored the last test. It forgets past a few thousand names, to stay small,
// and holds only within its change.
struct JoinContext {
    std::unordered_set<std::u16string> names;
    std::u16string user, test, spelling;
};

// A day for JoinTakenTests, with `read`: its records as the caller read them
// (ReadDayRecords, its user and test exactly as given) in this change, when
// it stored nothing on the day since.
struct DayToJoin {
    TakenTest taken;
    std::optional<std::vector<TestResult>> read;
};

// StoreTakenTest with `join` for each day in turn, all in one unit; each day
// at most once. A day read is not read again under the spelling it was read
// by; one read empty is only added to, and the records of such days that
// follow one another are added together.
TestSaved JoinTakenTests(std::vector<DayToJoin>& days, JoinContext& context);

// Makes the test stored under `test` on the day of `date` exactly `taken`, as
// the edit shows it: results taken out are deleted, changed ones rewritten and
// new ones added, all with taken's comment. When taken names another day or
// test, the results move there and none stay behind; a day that already holds
// that test is DayHeld unless `join`, as for StoreTakenTest.
TestSaved ReplaceTakenTest(std::u16string_view test, const SystemTime& date, TakenTest& taken, bool join);

// Deletes the test of that day with every result, also those whose bytes
// cannot be read; true when nothing of it is left.
bool DeleteTakenTest(std::u16string_view user, std::u16string_view test, const SystemTime& date);
