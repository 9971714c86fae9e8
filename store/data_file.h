#pragma once
// The device's data file as a whole, for the program's start-up and the
// export tool: whether it can be used, and the records every read passes over.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

// Why the data file cannot be used, naming it; empty when it can.
std::u16string DataFileProblem();
// `found` is called once when a use of the data file finds it cannot go on
// (a damaged page read, a failing disk), with the problem, from inside the
// store operation: it may not use the store, nor show a window there.
void OnDataFileProblem(std::function<void(const std::u16string&)> found);
// Why `file` is not a sound data file (not Vantrel's, damaged, unreadable);
// empty when it is. Opens it read-only.
std::u16string DataFileProblemOf(const std::filesystem::path& file);
// Names the first record of `file` whose bytes cannot be decoded; empty when
// all can, or when the file is not a sound data file (which DataFileProblemOf tells).
std::u16string UnreadableRecordIn(const std::filesystem::path& file);
// Closes the data file; the next use opens it again.
void CloseDataFile();
// While on, the data file is opened read-only and every write fails: for a
// reader of a device the program may be using at the same time.
void SetDataFileReadOnly(bool on);

// A record whose stored bytes cannot be decoded. Every read passes over it and
// leaves it as it is; the other records stay in use.
struct PassedOverRecord {
    std::filesystem::path file;
    std::u16string database;
    std::u16string sortText;  // the sort text it is stored under
    std::int64_t id = 0;      // its number among that text's records
    std::u16string message;   // what tells a person of it
};
// `met` is called when a read first meets such a record in a database, from
// inside the read: it may not use the store, nor show a window there.
void OnPassedOverRecord(std::function<void(const PassedOverRecord&)> met);
// Looks at the bytes of every record, so that each database's unreadable
// record is met even where the reads made so far did not reach it.
void ReadEveryStoredRecord();
