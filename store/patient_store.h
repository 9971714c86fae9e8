#pragma once
// The users (patients): name, sex, birthdate and graph preferences, in "Lab Patients List".

#include "platform/datetime.h"
#include "platform/listing.h"

#include <string>
#include <string_view>

inline constexpr std::u16string_view kPatientsDatabase = u"Lab Patients List";
inline constexpr unsigned kPatientsDatabaseType = 12349;

// What a new user starts with until they choose otherwise: Graph Options'
// first period ("Today") and type, and a birthdate of today's day and time in
// 1960 (a leap year, so 29 February stays valid).
inline constexpr std::u16string_view kDefaultGraphPeriod = u"0";
inline constexpr std::u16string_view kDefaultGraphType = u"Bar";
SystemTime NewUserBirthdate();

int FindPatient(std::u16string_view name);
bool AddPatient(std::u16string_view name, std::u16string_view sex, const SystemTime& birthdate,
                std::u16string_view period, std::u16string_view type);
bool UpdatePatient(std::u16string_view name, std::u16string_view sex, const SystemTime& birthdate,
                   std::u16string_view period, std::u16string_view type);
bool SetGraphPreferences(std::u16string_view name, std::u16string_view period, std::u16string_view type);
bool DeletePatient(std::u16string_view name);
// Output buffers are left as they were when the patient is not found.
bool GetPatientSex(std::u16string_view name, std::u16string& sex);
bool GetGraphType(std::u16string_view name, std::u16string& type);
int GetGraphPeriod(std::u16string_view name);        // -1 when not found
SystemTime GetBirthdate(std::u16string_view name);    // all fields 0 when not found
int GetPatientAge(std::u16string_view name);          // whole years, -1 when not found
void ListPatients(ListingTarget& list);
