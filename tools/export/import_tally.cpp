#include "tools/export/import_tally.h"

#include "platform/text.h"
#include "tools/export/failure.h"

#include <algorithm>

namespace {

// Bound to a statement for the length of one step.
void BindText(sqlite3_stmt* statement, int at, const std::string& bytes) {
    sqlite3_bind_blob(statement, at, bytes.data(), static_cast<int>(bytes.size()), SQLITE_STATIC);
}

struct Reset {
    sqlite3_stmt* statement;
    ~Reset() { sqlite3_reset(statement); }
};

}  // namespace

ImportTally::ImportTally() {
    // An empty name is a private file that SQLite removes on closing.
    Check(sqlite3_open_v2("", &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr), SQLITE_OK);
    Check(sqlite3_exec(db_,
                       "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA cache_size=-8192;"
                       "CREATE TABLE users(name BLOB UNIQUE NOT NULL, added INT, updated INT, unchanged INT,"
                       " made INT);"
                       "CREATE TABLE keys(key BLOB PRIMARY KEY, fields BLOB) WITHOUT ROWID; BEGIN",
                       nullptr, nullptr, nullptr),
          SQLITE_OK);
    findUser_ = Prepare("SELECT rowid, added, updated, unchanged, made FROM users WHERE name = ?1");
    addUser_ = Prepare("INSERT INTO users VALUES (?1, 0, 0, 0, 0)");
    saveUser_ = Prepare("UPDATE users SET added = ?2, updated = ?3, unchanged = ?4, made = ?5 WHERE rowid = ?1");
    findKey_ = Prepare("SELECT fields FROM keys WHERE key = ?1");
    saveKey_ = Prepare("INSERT OR REPLACE INTO keys VALUES (?1, ?2)");
}

ImportTally::~ImportTally() {
    for (sqlite3_stmt* statement : {findUser_, addUser_, saveUser_, findKey_, saveKey_}) sqlite3_finalize(statement);
    sqlite3_close_v2(db_);
}

void ImportTally::Check(int rc, int expected) {
    if (rc == expected) return;
    Fail(std::string("the import's scratch file could not be written: ") +
         (db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc)));
}

sqlite3_stmt* ImportTally::Prepare(const char* sql) {
    sqlite3_stmt* statement = nullptr;
    Check(sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr), SQLITE_OK);
    return statement;
}

std::string ImportTally::Key(char kind, const std::vector<std::u16string_view>& parts) {
    // The texts hold no NUL (an import refuses one), so it parts them.
    std::string key(1, kind);
    for (std::u16string_view part : parts) key += TextToUtf8(part) + '\0';
    return key;
}

std::vector<std::u16string> ImportTally::Parts(std::string_view key) {
    std::vector<std::u16string> parts;
    key.remove_prefix(std::min<std::size_t>(key.size(), 1));  // the kind
    while (!key.empty()) {
        const std::size_t end = std::min(key.find('\0'), key.size());
        parts.push_back(Utf8ToText(key.substr(0, end)));
        key.remove_prefix(std::min(end + 1, key.size()));
    }
    return parts;
}

void ImportTally::Save() {
    if (currentId_ == 0) return;
    Reset reset{saveUser_};
    sqlite3_bind_int64(saveUser_, 1, currentId_);
    sqlite3_bind_int(saveUser_, 2, current_.added);
    sqlite3_bind_int(saveUser_, 3, current_.updated);
    sqlite3_bind_int(saveUser_, 4, current_.unchanged);
    sqlite3_bind_int(saveUser_, 5, current_.madeUser ? 1 : 0);
    Check(sqlite3_step(saveUser_), SQLITE_DONE);
}

ImportedUser& ImportTally::User(std::u16string_view name) {
    // Rows come grouped by user as a rule: the current one stays in memory.
    if (currentId_ != 0 && current_.name == name) return current_;
    Save();
    const std::string key = TextToUtf8(name);
    current_ = ImportedUser{std::u16string(name)};
    Reset reset{findUser_};
    BindText(findUser_, 1, key);
    const int rc = sqlite3_step(findUser_);
    if (rc == SQLITE_ROW) {
        currentId_ = sqlite3_column_int64(findUser_, 0);
        current_.added = sqlite3_column_int(findUser_, 1);
        current_.updated = sqlite3_column_int(findUser_, 2);
        current_.unchanged = sqlite3_column_int(findUser_, 3);
        current_.madeUser = sqlite3_column_int(findUser_, 4) != 0;
        return current_;
    }
    Check(rc, SQLITE_DONE);
    Reset resetAdd{addUser_};
    BindText(addUser_, 1, key);
    Check(sqlite3_step(addUser_), SQLITE_DONE);
    currentId_ = sqlite3_last_insert_rowid(db_);
    return current_;
}

std::optional<std::string> ImportTally::Recall(std::string_view key) {
    Reset reset{findKey_};
    sqlite3_bind_blob(findKey_, 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
    const int rc = sqlite3_step(findKey_);
    if (rc != SQLITE_ROW) {
        Check(rc, SQLITE_DONE);
        return std::nullopt;
    }
    const char* bytes = static_cast<const char*>(sqlite3_column_blob(findKey_, 0));
    return std::string(bytes ? bytes : "", static_cast<std::size_t>(sqlite3_column_bytes(findKey_, 0)));
}

void ImportTally::Remember(std::string_view key, std::string_view fields) {
    Reset reset{saveKey_};
    sqlite3_bind_blob(saveKey_, 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
    sqlite3_bind_blob(saveKey_, 2, fields.data(), static_cast<int>(fields.size()), SQLITE_STATIC);
    Check(sqlite3_step(saveKey_), SQLITE_DONE);
}

void ImportTally::ForEachUser(const std::function<void(const ImportedUser&)>& visit) {
    Save();
    sqlite3_stmt* all = Prepare("SELECT name, added, updated, unchanged, made FROM users ORDER BY rowid");
    int rc;
    while ((rc = sqlite3_step(all)) == SQLITE_ROW) {
        const char* name = static_cast<const char*>(sqlite3_column_blob(all, 0));
        ImportedUser user{Utf8ToText(std::string_view(name ? name : "", static_cast<std::size_t>(sqlite3_column_bytes(all, 0)))),
                          sqlite3_column_int(all, 1), sqlite3_column_int(all, 2), sqlite3_column_int(all, 3),
                          sqlite3_column_int(all, 4) != 0};
        visit(user);
    }
    sqlite3_finalize(all);
    Check(rc, SQLITE_DONE);
}
