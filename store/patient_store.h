#pragma once
// The users (patients): name, sex, birthdate and graph preferences, in "Lab Patients List".

#include "platform/datetime.h"
#include "platform/listing.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::u16string_view kPatientsDatabase = u"Lab Patients List";
inline constexpr unsigned kPatientsDatabaseType = 12349;

// What a new user starts with until they choose otherwise: Graph Options'
// first period ("Today") and type, and a birthdate of today's day and time in
// 1960 (a leap year, so 29 February stays valid).
inline constexpr std::u16string_view kDefaultGraphPeriod = u"0";
inline constexpr std::u16string_view kDefaultGraphType = u"Bar";
SystemTime NewUserBirthdate();

// A user's patient record.
struct Patient {
    std::u16string name;
    std::u16string sex;  // "Female", "Male" or empty
    SystemTime birthdate;
    std::u16string graphPeriod{kDefaultGraphPeriod};
    std::u16string graphType{kDefaultGraphType};
};

// The sex a person typed or chose: "Female" or "Male" written in any letter
// case is that choice, the empty text is none; any other text is no sex.
std::optional<std::u16string> SexChoice(std::u16string_view text);

// Whether a patient is named exactly `name`.
bool HasPatient(std::u16string_view name);
bool AddPatient(std::u16string_view name, std::u16string_view sex, const SystemTime& birthdate,
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
std::optional<Patient> ReadPatient(std::u16string_view name);
// Every patient, in store order.
std::vector<Patient> ReadPatients();
// Every patient's name, each once, in store order: from the index, reading no record.
std::vector<std::u16string> PatientNames();
// The name of the first patient in store order; empty when there is none.
std::u16string FirstPatientName();
bool HasPatients();
