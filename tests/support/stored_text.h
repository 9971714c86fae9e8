#pragma once
// What the stores hold, read back through their own operations;
// "<missing>" where they hold nothing.

#include "store/catalog_store.h"
#include "store/patient_store.h"
#include "store/settings_store.h"

#include <string>

inline std::u16string StoredSetting(std::u16string_view key) {
    std::u16string text = u"<missing>";
    GetSetting(key, text);
    return text;
}

inline std::u16string StoredEntry(std::u16string_view test, std::u16string_view key) {
    std::u16string text = u"<missing>";
    GetTestEntry(test, key, text);
    return text;
}

inline std::u16string StoredSex(std::u16string_view user) {
    std::u16string sex = u"<missing>";
    GetPatientSex(user, sex);
    return sex;
}

inline std::u16string StoredGraphType(std::u16string_view user) {
    std::u16string type = u"<missing>";
    GetGraphType(user, type);
    return type;
}
