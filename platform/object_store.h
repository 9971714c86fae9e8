#pragma once
// The process-wide connection to the device's object store (one SQLite file):
// opening and checking the file, the prepared statements, the writes' units
// and the problem to tell the user when the file cannot be used.

#include <cstdint>
#include <filesystem>
#include <string>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

class ObjectStore {
public:
    enum class Use { Read, Write };

    static ObjectStore& Instance();
    ~ObjectStore();

    // The open connection, or null when the file cannot be used for `use`
    // (reading never creates the file: a device without one has no databases).
    sqlite3* Connection(Use use);
    // A prepared statement kept for the connection's life, reset and unbound;
    // null when it cannot be prepared.
    sqlite3_stmt* Statement(const std::string& sql);
    // Forgets the kept statements that name `table` (dropped or never made).
    void ForgetStatements(const std::string& table);
    bool Exec(const std::string& sql);

    // Changes whenever what any handle read may have changed: a write, a
    // rollback, another program's write. Handles keep read positions within one.
    std::uint64_t Epoch() const { return epoch_; }
    // Changes when what this process knows of the file may no longer hold
    // (a rollback, another program's write, a new connection); not with the
    // writes it made itself.
    std::uint64_t Generation() const { return generation_; }

    // Before a write: begins the units not yet begun in SQLite.
    bool BeginWrite();
    // After a failed write: SQLite may have rolled everything back.
    void WriteFailed(int code);
    // A read found the file damaged: the store is unusable from here on.
    void ReadFailed(int code);

    // While a handle is open, another program's writes are not looked for:
    // what the handle reads stays one view of the file.
    void HandleOpened() { ++openHandles_; }
    void HandleClosed() { --openHandles_; }

    void BeginUnit();
    bool EndUnit(bool commit);

    std::u16string Problem();
    // Runs SQLite's integrity check now; false (and the store refused) when it fails.
    bool CheckIntegrity();
    // Closes the connection; the next use opens the store at the current device root.
    void Close();

private:
    ObjectStore() = default;
    bool Ready(Use use);
    bool OpenExisting();
    void SetProblem(std::u16string problem);
    void ForgetInheritedConnection();
    void CheckOtherWriters();
    void Changed() { ++epoch_; }
    void Reloaded() {
        ++epoch_;
        ++generation_;
    }

    std::filesystem::path path_;
    sqlite3* db_ = nullptr;
    std::unordered_map<std::string, sqlite3_stmt*> statements_;
    std::u16string problem_;
    long long dataVersion_ = 0;
    std::uint64_t epoch_ = 1;
    std::uint64_t generation_ = 1;
    int openHandles_ = 0;
    int depth_ = 0;      // store transactions alive
    int sqlLevels_ = 0;  // of those, how many have begun in SQLite (the outer ones)
    bool failed_ = false;  // SQLite rolled the whole transaction back
};

void CloseObjectStore();
