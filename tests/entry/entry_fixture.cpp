#include "entry_fixture.h"

#include "platform/memory_listing.h"
#include "store/catalog_store.h"
#include "store/patient_store.h"

void EntryTest::SetUp() {
    StoreFixture::SetUp();
    SetNow(kNow);
}

void EntryTest::WriteCatalogue() {
    const std::u16string lipid = u"Lipid Panel";
    SetTestEntry(lipid, u"number of results", u"0");  // a catalogue to teach, as after a first run
    TeachResultName(lipid, u"HDL", u"40[50]", u"mg/dL");
    TeachResultName(lipid, u"LDL", u"100", u"mg/dL");
    TeachResultName(lipid, u"Triglycerides", u"150[135]", u"mmol/L");
}

void EntryTest::AddUsers() {
    AddPatient(u"Ann", u"Female", kBirthdate, u"0", u"Bar");
    AddPatient(u"Bob", u"Male", kBirthdate, u"0", u"Bar");
}

std::vector<std::u16string> EntryTest::ResultNames(std::u16string_view test) {
    MemoryListing names;
    ListResultNames(test, names);
    return names.Items();
}
