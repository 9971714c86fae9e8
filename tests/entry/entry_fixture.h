#pragma once
// Each data-entry test runs against real stores in a fresh device root, with
// the clock fixed and a small catalogue written through the store operations.

#include "platform/datetime.h"
#include "store/catalog_store.h"
#include "store/patient_store.h"
#include "store/store_fixture.h"
#include "support/screen.h"
#include "support/stored_results.h"

class EntryTest : public StoreFixture {
protected:
    void SetUp() override {
        StoreFixture::SetUp();
        SetNow(kNow);
    }

    // "Lipid Panel": HDL "40[50]" mg/dL, LDL "100" mg/dL, Triglycerides
    // "150[135]" mmol/L, in a catalogue to teach, as after a first run.
    static void WriteCatalogue() {
        SetTestEntry(u"Lipid Panel", u"number of results", u"0");
        TeachResultName(u"Lipid Panel", u"HDL", u"40[50]", u"mg/dL");
        TeachResultName(u"Lipid Panel", u"LDL", u"100", u"mg/dL");
        TeachResultName(u"Lipid Panel", u"Triglycerides", u"150[135]", u"mmol/L");
    }
    // Ann is "Female", Bob "Male"; both born 2 May 1970.
    static void AddUsers() {
        AddPatient(u"Ann", u"Female", kBirthdate, u"0", u"Bar");
        AddPatient(u"Bob", u"Male", kBirthdate, u"0", u"Bar");
    }

    // Friday 5 March 2004, 10:30.
    static constexpr SystemTime kNow{2004, 3, 5, 5, 10, 30, 0, 0};
    static constexpr SystemTime kBirthdate{1970, 5, 6, 2, 8, 15, 0, 0};

    ScriptedRuns driver;
};
