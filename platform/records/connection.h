#pragma once
// The process-wide connection to the device's object store (one SQLite file):
// opening it (checking and, for an earlier format, converting it), the
// statements lent for each use, the units that make writes atomic, and the
// problem to tell the user when the file cannot be used. It keeps no copy of
// anything the file holds.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

class ObjectStore {
public:
    enum class Use { Read, Write };

    static ObjectStore& Instance();
    ~ObjectStore();

    // A prepared statement on loan for one use; reset and unbound when it goes
    // back. A failure met while stepping it is told to the store, which then
    // refuses every further use with the true cause.
    class Query {
    public:
        Query() = default;
        Query(Query&& other) noexcept;
        Query& operator=(Query&& other) noexcept;
        ~Query();
        explicit operator bool() const { return statement_ != nullptr; }
        sqlite3_stmt* get() const { return statement_; }
        // Steps a read: true on a row; false at its end or on a failure.
        bool Next();
        // Runs a write to its end: true when it was done.
        bool Run();
        // Back to its start, for another binding.
        void Reset();
        // Whether its connection is gone (a failure closed it): it gives no more rows.
        bool Broken() const;

    private:
        friend class ObjectStore;
        Query(sqlite3_stmt* statement, std::uint64_t generation, std::vector<sqlite3_stmt*>* kept)
            : statement_(statement), generation_(generation), kept_(kept) {}
        void GiveBack();
        sqlite3_stmt* statement_ = nullptr;
        std::uint64_t generation_ = 0;
        std::vector<sqlite3_stmt*>* kept_ = nullptr;  // the kept statements of its text
    };

    // A statement of `sql` (one of a fixed set of texts), or an empty Query
    // when the store cannot be used for `use` (reading never creates the
    // file: a device without one has no databases).
    Query Prepare(std::string_view sql, Use use = Use::Read);
    // The open connection, for a pass of its own over the whole file; null as above.
    sqlite3* Connection(Use use);

    // Changes whenever what a read found may have changed: a write, a
    // rollback, another program's write, a new connection. A handle's open
    // stream of rows holds only within one.
    std::uint64_t Epoch() const { return epoch_; }

    // Before a write: begins the units not yet begun in SQLite.
    bool BeginWrite();
    // After a failed write: SQLite may have rolled everything back.
    void WriteFailed(int code);
    // A read failed: the file cannot be believed from here on.
    void ReadFailed(int code);

    // While a handle is open, another program's writes are not looked for:
    // what the handle reads stays one view of the file.
    void HandleOpened() { ++openHandles_; }
    void HandleClosed() { --openHandles_; }

    void BeginUnit();
    bool EndUnit(bool commit);
    // Whether a store transaction is alive.
    bool InUnit() const { return depth_ > 0; }

    std::u16string Problem();
    // Runs the full check now; false (and the store refused) when it fails.
    bool CheckIntegrity();
    // Closes the connection; the next use opens the store at the current device root.
    void Close();
    void SetReadOnly(bool on);
    // Called once when a use of the store finds it cannot go on (the file
    // damaged, the disk failing), with the problem; not for what opening finds.
    void OnProblemFound(std::function<void(const std::u16string&)> found) { problemFound_ = std::move(found); }

private:
    ObjectStore() = default;
    bool Ready(Use use);
    bool OpenExisting();
    bool MakeSchema();
    void SetProblem(std::u16string problem);
    void UseFailed(int code);
    void ForgetInheritedConnection();
    void CheckOtherWriters();
    bool Exec(const std::string& sql);
    bool Run(const std::string& sql);
    void Reloaded() {
        ++epoch_;
        ++generation_;
    }

    std::filesystem::path path_;
    sqlite3* db_ = nullptr;
    // Statements not on loan, by their text; the texts are a fixed set. Found
    // by a view of the text, with no copy of it made.
    struct TextHash : std::hash<std::string_view> {
        using is_transparent = void;
    };
    std::unordered_map<std::string, std::vector<sqlite3_stmt*>, TextHash, std::equal_to<>> kept_;
    std::u16string problem_;
    std::function<void(const std::u16string&)> problemFound_;
    long long dataVersion_ = 0;
    std::uint64_t epoch_ = 1;
    std::uint64_t generation_ = 1;  // of the connection: a statement of another is finalized
    int openHandles_ = 0;
    int depth_ = 0;      // store transactions alive
    int sqlLevels_ = 0;  // of those, how many have begun in SQLite (the outer ones)
    bool failed_ = false;  // SQLite rolled the whole transaction back
    bool readOnly_ = false;
};

