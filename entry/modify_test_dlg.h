#pragma once
// The dates on which the user took one test: add a date, edit one, delete one.

#include "platform/datetime.h"
#include "platform/ui/command_table.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "res/modify_test_ids.h"

#include <optional>
#include <string>

class CModifyTestDlg : public CDialog, public ModifyTestIds {
public:
    explicit CModifyTestDlg(CDialog* parent = nullptr);

    // Set by the caller.
    std::u16string userName, testName;

    bool OnInitDialog() override;
    const CommandTable& Commands() const override;

private:
    void OnAdd();
    void OnEdit();
    void OnDelete();
    void OnPaint(PaintSurface& dc);
    // Every day of the test, newest first.
    void ListDates();
    // The date of the first selected row; empty when no row is selected.
    std::optional<SystemTime> ChosenDate() const;

    CListCtrl dateList_{*this, kDateList};
};
