#pragma once
// What the stores hold, read back through their own operations;
// "<missing>" where they hold nothing.

#include "store/catalog_store.h"
#include "store/patient_store.h"
#include "store/settings_store.h"

#include <functional>
#include <string>

inline std::u16string StoredText(const std::function<void(std::u16string&)>& get) {
    std::u16string text = u"<missing>";
    get(text);
    return text;
}
inline std::u16string StoredSetting(std::u16string_view key) {
    return StoredText([&](std::u16string& text) { GetSetting(key, text); });
}
inline std::u16string StoredEntry(std::u16string_view test, std::u16string_view key) {
    return StoredText([&](std::u16string& text) { GetTestEntry(test, key, text); });
}
inline std::u16string StoredSex(std::u16string_view user) {
    return StoredText([&](std::u16string& text) { GetPatientSex(user, text); });
}
inline std::u16string StoredGraphType(std::u16string_view user) {
    return StoredText([&](std::u16string& text) { GetGraphType(user, text); });
}
