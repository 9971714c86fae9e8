#pragma once
// What an import has met so far: each user's counts, the names it taught and
// the keys of the rows it read. Kept in a private scratch database on disk
// rather than in memory, so an import takes the same memory whatever number
// of users, names and rows its file holds.

#include <sqlite3.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct ImportedUser {
    std::u16string name;
    int added = 0;
    int updated = 0;
    int unchanged = 0;
    bool madeUser = false;  // had no user record; one is made
};

class ImportTally {
public:
    // Throws a Failure when the scratch database cannot be made.
    ImportTally();
    ~ImportTally();
    ImportTally(const ImportTally&) = delete;
    ImportTally& operator=(const ImportTally&) = delete;

    // The counts of `name`, made empty when first met; the reference holds
    // until the next call.
    ImportedUser& User(std::u16string_view name);
    // What was last remembered with `key`, if it was met before.
    std::optional<std::string> Recall(std::string_view key);
    void Remember(std::string_view key, std::string_view fields);
    // Every user met, in the order first met, with their counts.
    void ForEachUser(const std::function<void(const ImportedUser&)>& visit);

    // A key of the kind `kind` made of `parts`, and the parts back from one.
    static std::string Key(char kind, const std::vector<std::u16string_view>& parts);
    static std::vector<std::u16string> Parts(std::string_view key);

private:
    sqlite3_stmt* Prepare(const char* sql);
    void Check(int rc, int expected);
    void Save();

    sqlite3* db_ = nullptr;
    sqlite3_stmt* findUser_ = nullptr;
    sqlite3_stmt* addUser_ = nullptr;
    sqlite3_stmt* saveUser_ = nullptr;
    sqlite3_stmt* findKey_ = nullptr;
    sqlite3_stmt* saveKey_ = nullptr;
    ImportedUser current_;
    sqlite3_int64 currentId_ = 0;  // 0: no user yet
};
