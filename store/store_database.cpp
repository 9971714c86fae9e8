#include "store/store_database.h"

bool OpenOrCreate(PropertyDatabase& db, const StoreDatabase& database) {
    if (db.Open(database.name)) return true;
    std::uint32_t id = PropertyDatabase::Create(database.name, database.type, 1,
                                                SortOrder{database.sortProperty, kSortCaseInsensitive}, database.lookup);
    return id != 0 && db.OpenById(id);
}

std::u16string_view TextOf(const PropertyRecord& record, std::uint16_t id) {
    const Property* property = record.GetProperty(id);
    return property ? std::u16string_view(property->StringValue()) : std::u16string_view();
}

FileTime FileTimeOf(const PropertyRecord& record, std::uint16_t id) {
    const Property* property = record.GetProperty(id);
    return property ? property->FileTimeValue() : 0;
}

bool ReadRecordAt(std::u16string_view database, int index, PropertyRecord& record) {
    PropertyDatabase db;
    return index >= 0 && db.Open(database) && db.SeekToIndex(index) && db.ReadCurrent(record);
}
