#pragma once
// The process-wide connection to the device's object store (one SQLite file):
// opening and checking the file, the catalogue of databases, the mirrors of
// their records, the writes and the nesting of store transactions.

#include "platform/record_mirror.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

class ObjectStore {
public:
    static ObjectStore& Instance();
    ~ObjectStore();

    // Reading never creates the file: a device without one has no databases.
    std::optional<DatabaseInfo> FindDatabase(std::u16string_view name);
    std::optional<DatabaseInfo> FindDatabase(std::uint32_t id);
    // 0 on failure or when the name exists.
    std::uint32_t CreateDatabase(std::u16string_view name, std::uint32_t type, const SortOrder& order);
    // The mirror every handle on the database shares. The mirrors of all
    // databases are loaded together, when the store opens or on first use.
    std::shared_ptr<RecordMirror> OpenMirror(std::uint32_t id);

    // The file changes first; the caller changes the mirror only after success.
    bool InsertRecord(std::uint32_t database, const std::string& properties, std::int64_t& rowid);
    bool UpdateRecord(std::int64_t rowid, const std::string& properties);
    bool DeleteRecord(std::int64_t rowid);

    // While a handle is open the mirrors are not reloaded under it.
    void HandleOpened() { ++openHandles_; }
    void HandleClosed() { --openHandles_; }

    void BeginUnit();
    bool EndUnit(bool commit);

    std::u16string Problem();
    // Closes the connection; the next use opens the store at the current device root.
    void Close();

private:
    enum class Use { Read, Write };
    enum Statement { kInsert, kUpdate, kDelete, kLoad, kDeletedIds, kAnyDeleted, kDataVersion, kStatementCount };

    ObjectStore() = default;
    bool Ready(Use use);
    bool CreateFile();
    bool OpenExisting();
    bool Initialise();
    bool LoadCatalogue();
    // False when the records could not be read; `damaged` tells whether that is for good.
    bool LoadMirrors(bool& damaged);
    void ReloadAll();
    void CheckOtherWriters();
    bool BeginPendingLevels();
    void WriteFailed();
    bool Exec(const std::string& sql);
    bool QueryInt(const char* sql, long long& value, int* error = nullptr);
    sqlite3_stmt* Prepared(Statement which);
    void SetProblem(std::u16string problem);
    void ForgetInheritedConnection();
    void SweepDeleted();
    bool AnyDeleted();

    std::filesystem::path path_;
    sqlite3* db_ = nullptr;
    bool validated_ = false;  // db_ is a healthy Vantrel store
    sqlite3_stmt* statements_[kStatementCount] = {};
    std::u16string problem_;
    long long dataVersion_ = 0;
    std::vector<DatabaseInfo> catalogue_;
    std::map<std::uint32_t, std::shared_ptr<RecordMirror>> mirrors_;
    int openHandles_ = 0;
    int depth_ = 0;      // store transactions alive
    int sqlLevels_ = 0;  // of those, how many have begun in SQLite (the outer ones)
    bool failed_ = false;  // SQLite rolled the whole transaction back
};

// SetDeviceRoot closes the store so the next use opens it at the new root.
void CloseObjectStore();

// The version of the named database's records (RecordMirror::Version), read
// after checking for other writers: a reader may keep what it derived from
// record indexes while it stays the same. 0 when the database cannot be read.
std::uint64_t RecordsVersion(std::u16string_view database);
