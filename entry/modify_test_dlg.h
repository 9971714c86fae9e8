#pragma once
// The dates on which the user took one test: add a date, edit one, delete one.

#include "platform/datetime.h"
#include "platform/ui/command_table.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"

#include <optional>
#include <string>

class CModifyTestDlg : public CDialog {
public:
    static constexpr int kDateList = 1006;
    static constexpr int kAddButton = 1011;
    static constexpr int kDeleteButton = 1012;
    static constexpr int kEditButton = 1013;

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
