#pragma once
// Named string settings in "Health Settings"; the program keeps "CurrentUser" there.

#include <string>
#include <string_view>

inline constexpr std::u16string_view kSettingsDatabase = u"Health Settings";
inline constexpr unsigned kSettingsDatabaseType = 12390;
inline constexpr std::u16string_view kCurrentUserKey = u"CurrentUser";

bool CreateSettings(std::u16string_view user);
// Leaves `value` unchanged when there is nothing to read.
void GetSetting(std::u16string_view key, std::u16string& value);
// Creates the database or the key's record when missing; one record per key.
// True when the value is stored.
bool SetSetting(std::u16string_view key, std::u16string_view value);
