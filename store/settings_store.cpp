#include "store/settings_store.h"

#include "store/store_database.h"

namespace {

enum : std::uint16_t { kPropKey = 601, kPropValue = 602 };

constexpr StoreDatabase kSettings{kSettingsDatabase, kSettingsDatabaseType, kPropKey};

PropertyRecord SettingRecord(std::u16string_view key, std::u16string_view value) {
    PropertyRecord record;
    Property properties[] = {TextProperty(key, kPropKey), TextProperty(value, kPropValue)};
    record.AddProperties(properties, 2);
    return record;
}

// Positions on the key's record (the key matches ignoring case) and reads it.
// One that cannot be read is passed over: a value stored after it is found.
bool ReadSetting(PropertyDatabase& db, std::u16string_view key, PropertyRecord& record) {
    const Property sought = TextProperty(key, kPropKey);
    for (bool found = db.SeekFirstEqual(sought); found; found = db.SeekNextEqual(sought))
        if (db.ReadCurrent(record)) return true;
    return false;
}

// Rewrites the key's record, or adds it when the key has none: one record per key.
bool StoreSetting(std::u16string_view key, std::u16string_view value) {
    StoreTransaction unit;
    PropertyDatabase db;
    if (!OpenOrCreate(db, kSettings)) return false;
    PropertyRecord record;
    bool stored = db.Write(SettingRecord(key, value), ReadSetting(db, key, record) ? 1 : 0);
    db.Close();
    return stored && unit.Commit();
}

}  // namespace

bool CreateSettings(std::u16string_view user) { return StoreSetting(kCurrentUserKey, user); }

void GetSetting(std::u16string_view key, std::u16string& value) {
    PropertyDatabase db;
    PropertyRecord record;
    if (!db.Open(kSettingsDatabase) || !ReadSetting(db, key, record)) return;
    if (const Property* stored = record.GetProperty(kPropValue)) value = BoundedText(stored->StringValue());
}

bool SetSetting(std::u16string_view key, std::u16string_view value) { return StoreSetting(key, value); }
