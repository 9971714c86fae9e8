#pragma once
// Each data-entry test runs against real stores in a fresh device root, with
// the clock fixed and a small catalogue written through the store operations.

#include "platform/datetime.h"
#include "support/screen.h"
#include "store/store_fixture.h"
#include "support/stored_results.h"

#include <string>
#include <vector>

class EntryTest : public StoreFixture {
protected:
    void SetUp() override;  // the clock at kNow

    // "Lipid Panel": HDL "40[50]" mg/dL, LDL "100" mg/dL, Triglycerides "150[135]" mmol/L.
    static void WriteCatalogue();
    // Ann is "Female", Bob "Male"; both born 2 May 1970.
    static void AddUsers();

    static std::vector<std::u16string> ResultNames(std::u16string_view test);

    // Friday 5 March 2004, 10:30.
    static constexpr SystemTime kNow{2004, 3, 5, 5, 10, 30, 0, 0};
    static constexpr SystemTime kBirthdate{1970, 5, 6, 2, 8, 15, 0, 0};

    ScriptedRuns driver;
};
