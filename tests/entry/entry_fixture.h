#pragma once
// Each data-entry test runs against real stores in a fresh device root, with
// the clock fixed and a small catalogue written through the store operations.

#include "platform/datetime.h"
#include "support/dialog_driver.h"
#include "store/store_fixture.h"
#include "support/stored_results.h"

#include <QString>

#include <string>
#include <vector>

// A person's hand: real mouse and key events on a dialog's own widgets, the
// dialog's window active as a shown window is.
void ClickOn(CDialog& dialog, int id);  // a button, or into a field (focus goes there)
// Clicks into the field, selects all of it with Ctrl+A and types `keys`.
void TypeInto(CDialog& dialog, int id, const QString& keys);
// Clicks into the field, selects all of it and pastes `text` with Ctrl+V.
void PasteInto(CDialog& dialog, int id, const QString& text);
void ClickRow(CDialog& dialog, int id, int row);
void PressKey(CDialog& dialog, int id, int key);  // a key on the control, which has the focus
// What the field shows: the edit text of a box, the text of an edit.
std::u16string Shown(CDialog& dialog, int id);

class EntryTest : public StoreFixture {
protected:
    void SetUp() override;     // the clock at kNow
    void TearDown() override;  // no script left over

    // "Lipid Panel": HDL "40[50]" mg/dL, LDL "100" mg/dL, Triglycerides "150[135]" mmol/L.
    static void WriteCatalogue();
    // Ann is "Female", Bob "Male"; both born 2 May 1970.
    static void AddUsers();

    static std::vector<std::u16string> ResultNames(std::u16string_view test);

    // Friday 5 March 2004, 10:30.
    static constexpr SystemTime kNow{2004, 3, 5, 5, 10, 30, 0, 0};
    static constexpr SystemTime kBirthdate{1970, 5, 6, 2, 8, 15, 0, 0};

    DialogDriver driver;
};
