#pragma once
// What a database holds, read as the program's own passes read it.

#include "platform/records/record_store.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

// Every record in store order, as the texts of `ids`; "<missing>" for a
// property the record lacks. No database, no rows.
inline std::vector<std::vector<std::u16string>> RecordTexts(std::u16string_view database,
                                                            std::initializer_list<std::uint16_t> ids) {
    std::vector<std::vector<std::u16string>> rows;
    PropertyDatabase db;
    if (!db.Open(database)) return rows;
    db.SetAdvanceAfterRead(true);
    db.SeekToIndex(0);
    PropertyRecord record;
    while (db.ReadCurrent(record)) {
        std::vector<std::u16string>& texts = rows.emplace_back();
        for (const std::uint16_t id : ids) {
            const Property* property = record.GetProperty(id);
            texts.push_back(property ? property->StringValue() : u"<missing>");
        }
    }
    return rows;
}
