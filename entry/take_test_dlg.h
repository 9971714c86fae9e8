#pragma once
// Records one test of one user on one date: name, date, comment and results.

#include "platform/datetime.h"
#include "platform/ui/command_table.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "res/take_test_ids.h"
#include "store/test_changes.h"

#include <string>

class CTakeTestDlg : public CDialog, public TakeTestIds {
public:
    // 0: from the main window; 1: a further date from Modify Test; 2: edit the test on testDate.
    enum Mode { kModeNew = 0, kModeAddDate = 1, kModeEdit = 2 };

    explicit CTakeTestDlg(CDialog* parent = nullptr);

    std::u16string userName;
    // Preset by the caller (or empty; in mode 2 the test edited); after Ok, the
    // test name that was stored.
    std::u16string testName;
    // Mode 2 only: the stored date whose results are edited.
    SystemTime testDate;
    int mode = 0;
    // After Ok: the stored date as month/day/year.
    std::u16string dateText;

    bool OnInitDialog() override;
    // Enter stores through the Ok button's handler, so the dialog never ends unsaved.
    void OnOK() override;
    const CommandTable& Commands() const override;

private:
    void OnOkButton();
    void OnAdd();
    void OnDelete();
    void OnTestInfo();
    void OnPaint(PaintSurface& dc);
    std::u16string ChosenTestName() const;
    // Each row keeps its four fields beside its text.
    void AppendRow(const ResultRow& result);
    std::vector<ResultRow> Rows() const;
    // Mode 2 replaces the test of testDate, the others store a further one.
    TestSaved Save(TakenTest& taken, bool join) const;

    CListCtrl resultList_{*this, kResultList};
    CEdit commentEdit_{*this, kCommentEdit};
    CDateTimeCtrl datePicker_{*this, kDatePicker};
    CComboBox testNameBox_{*this, kTestNameBox};
};
