#include "store/catalog_store.h"

#include "platform/records/record_store.h"
#include "store/store_database.h"

namespace {

enum : std::uint16_t { kPropTestName = 201, kPropEntryKey = 202, kPropEntryText = 203 };
enum : std::uint16_t { kPropResultTest = 901, kPropResultName = 902 };

constexpr StoreDatabase kTestCatalog{kTestCatalogDatabase, kTestCatalogDatabaseType, kPropTestName};
constexpr StoreDatabase kResultCatalog{kResultCatalogDatabase, kResultCatalogDatabaseType, kPropResultTest};

PropertyRecord EntryRecord(std::u16string_view test, std::u16string_view key, std::u16string_view text) {
    PropertyRecord record;
    Property properties[] = {TextProperty(test, kPropTestName), TextProperty(key, kPropEntryKey),
                             TextProperty(text, kPropEntryText)};
    record.AddProperties(properties, 3);
    return record;
}

// The test name matches as the sort order compares it, ignoring case; the key exactly.
int FindTestEntry(std::u16string_view test, std::u16string_view key) {
    std::u16string exactKey = BoundedText(key);
    return FindInRun(kTestCatalogDatabase, TextProperty(test, kPropTestName),
                     [&exactKey](const PropertyRecord& record) { return TextOf(record, kPropEntryKey) == exactKey; });
}

bool UpdateTestEntry(std::u16string_view test, std::u16string_view key, std::u16string_view text) {
    return ChangeRecordAt(kTestCatalogDatabase, FindTestEntry(test, key), [text](PropertyRecord& record) {
        record.RemoveProperty(kPropEntryText);
        record.AddProperty(TextProperty(text, kPropEntryText));
    });
}

}  // namespace

bool CreateTestCatalog(PropertyDatabase& handle) {
    std::uint32_t id = PropertyDatabase::Create(kTestCatalogDatabase, kTestCatalogDatabaseType, 1,
                                                SortOrder{kPropTestName, kSortCaseInsensitive});
    return id != 0 && handle.OpenById(id);
}

bool WriteTestEntry(PropertyDatabase& handle, std::u16string_view test, std::u16string_view key,
                    std::u16string_view text) {
    return handle.Write(EntryRecord(test, key, text), 0);
}

bool SetTestEntry(std::u16string_view test, std::u16string_view key, std::u16string_view text) {
    StoreTransaction unit;
    PropertyDatabase db;
    if (!OpenOrCreate(db, kTestCatalog)) return false;
    bool stored;
    if (FindTestEntry(test, key) != -1) {
        db.Close();
        stored = UpdateTestEntry(test, key, text);
    } else {
        stored = WriteTestEntry(db, test, key, text);
        db.Close();
    }
    return stored && unit.Commit();
}

bool GetTestEntry(std::u16string_view test, std::u16string_view key, std::u16string& text) {
    PropertyRecord record;
    if (!ReadRecordAt(kTestCatalogDatabase, FindTestEntry(test, key), record)) return false;
    text = BoundedText(TextOf(record, kPropEntryText));
    return true;
}

bool AddResultName(std::u16string_view test, std::u16string_view name) {
    StoreTransaction unit;
    PropertyDatabase db;
    if (!OpenOrCreate(db, kResultCatalog)) return false;
    PropertyRecord record;
    Property properties[] = {TextProperty(test, kPropResultTest), TextProperty(name, kPropResultName)};
    record.AddProperties(properties, 2);
    bool stored = db.Write(record, 0);
    db.Close();
    return stored && unit.Commit();
}

bool KnowsResult(std::u16string_view test, std::u16string_view name) {
    PropertyDatabase db;
    PropertyRecord record;
    return SeekInRun(
        db, kResultCatalogDatabase, TextProperty(test, kPropResultTest),
        [name](const PropertyRecord& found) {
            return name.empty() || EqualsNoCase(TextOf(found, kPropResultName), BoundedText(name));
        },
        record);
}

std::optional<std::unordered_set<std::u16string>> KnownResultNames(std::u16string_view test) {
    std::optional<std::unordered_set<std::u16string>> names;
    PropertyDatabase db;
    PropertyRecord record;
    SeekInRun(
        db, kResultCatalogDatabase, TextProperty(test, kPropResultTest),
        [&names](const PropertyRecord& found) {
            if (!names) names.emplace();
            if (const std::u16string_view name = TextOf(found, kPropResultName); !name.empty())
                names->insert(FoldCase(BoundedText(name)));
            return false;  // on through the whole run
        },
        record);
    return names;
}

bool TeachResultName(std::u16string_view test, std::u16string_view name, std::u16string_view goal,
                     std::u16string_view unit) {
    return KnowsResult(test, name) || TeachResultNames(test, {ResultRow{std::u16string(name), u"", std::u16string(goal),
                                                                        std::u16string(unit)}});
}

bool TeachResultNames(std::u16string_view test, const std::vector<ResultRow>& rows) {
    if (rows.empty()) return true;
    StoreTransaction teaching;
    // Before the first run's import there is no test catalogue: making one would
    // mark the first run done, and the test information would never come.
    if (!PropertyDatabase::Exists(kTestCatalogDatabase)) {
        for (const ResultRow& row : rows)
            if (!AddResultName(test, row.name)) return false;
        return teaching.Commit();
    }
    // The test's entries in one pass: the keys it has, and its count as
    // GetTestEntry reads it (the first entry of that key).
    constexpr std::u16string_view kCount = u"number of results";
    std::unordered_set<std::u16string> keys;
    std::u16string countText;
    {
        PropertyDatabase db;
        PropertyRecord record;
        SeekInRun(
            db, kTestCatalogDatabase, TextProperty(test, kPropTestName),
            [&](const PropertyRecord& entry) {
                const auto [key, fresh] = keys.emplace(BoundedText(TextOf(entry, kPropEntryKey)));
                if (fresh && *key == kCount) countText = BoundedText(TextOf(entry, kPropEntryText));
                return false;  // on through the whole run
            },
            record);
    }
    long long number = TextToInt(countText);
    const bool counted = keys.contains(std::u16string(kCount));
    PropertyDatabase writer;
    if (!OpenOrCreate(writer, kTestCatalog)) return false;
    const auto set = [&](std::u16string_view key, std::u16string_view text) {
        return keys.contains(std::u16string(key)) ? UpdateTestEntry(test, key, text)
                                                  : WriteTestEntry(writer, test, key, text);
    };
    // A new count goes first, where teaching one name at a time put it.
    const std::u16string total = IntToText(number + static_cast<long long>(rows.size()));
    if (!counted && !set(kCount, total)) return false;
    for (const ResultRow& row : rows) {
        const std::u16string n = IntToText(++number);
        if (!set(u"resultname" + n, row.name) || !AddResultName(test, row.name) || !set(u"resultvalue" + n, row.goal) ||
            !set(u"resultunit" + n, row.unit))
            return false;
    }
    writer.Close();
    return (!counted || UpdateTestEntry(test, kCount, total)) && teaching.Commit();
}

void ListResultTests(ListingTarget& box) {
    ForEachRecord(kResultCatalogDatabase, [&box](PropertyDatabase&, const PropertyRecord& record) {
        std::u16string test = BoundedText(TextOf(record, kPropResultTest));
        if (box.FindExact(test) == -1) box.AddItem(test);
        return true;
    });
}

int ListResultNames(std::u16string_view test, ListingTarget& box) {
    std::u16string exact = BoundedText(test);
    int added = 0;
    ForEachRecord(kResultCatalogDatabase, [&](PropertyDatabase&, const PropertyRecord& record) {
        if (TextOf(record, kPropResultTest) != exact) return true;
        std::u16string name = BoundedText(TextOf(record, kPropResultName));
        if (!name.empty() && box.FindExact(name) == -1) {
            box.AddItem(name);
            ++added;
        }
        return true;
    });
    return added;
}
