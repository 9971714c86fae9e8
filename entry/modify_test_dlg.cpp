#include "entry/modify_test_dlg.h"

#include "entry/label_painting.h"
#include "entry/take_test_dlg.h"
#include "platform/ui/message_box.h"
#include "res/resource.h"
#include "store/test_changes.h"

CModifyTestDlg::CModifyTestDlg(CDialog* parent) : CDialog(IDD_MODIFY_TEST, parent) {}

const CommandTable& CModifyTestDlg::Commands() const {
    static const CommandTable table{
        BindCommand(kAddButton, &CModifyTestDlg::OnAdd),
        BindCommand(kEditButton, &CModifyTestDlg::OnEdit),
        BindCommand(kDeleteButton, &CModifyTestDlg::OnDelete),
        BindPaint(&CModifyTestDlg::OnPaint),
    };
    return table;
}

bool CModifyTestDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    ListDates();
    return true;
}

void CModifyTestDlg::ListDates() {
    dateList_.DeleteAllItems();
    for (const SystemTime& date : TestDates(userName, testName)) dateList_.AddItem(DateText(date));
}

std::optional<SystemTime> CModifyTestDlg::ChosenDate() const {
    const int selected = dateList_.GetFirstSelectedItem();
    if (selected < 0 || selected >= dateList_.GetItemCount()) return std::nullopt;
    int month = 0, day = 0, year = 0;
    ScanDateText(dateList_.GetItemText(selected), month, day, year);
    return MakeDate(year, month, day);
}

void CModifyTestDlg::OnAdd() {
    CTakeTestDlg test(this);
    test.mode = CTakeTestDlg::kModeAddDate;
    test.userName = userName;
    test.testName = testName;
    if (test.DoModal() == IDOK) ListDates();
}

// The edit may have moved the day, or the test to another name.
void CModifyTestDlg::OnEdit() {
    const std::optional<SystemTime> date = ChosenDate();
    if (!date) {
        MessageBox(this, u"Pease choose a date to modify");
        return;
    }
    CTakeTestDlg test(this);
    test.mode = CTakeTestDlg::kModeEdit;
    test.userName = userName;
    test.testName = testName;
    test.testDate = *date;
    if (test.DoModal() == IDOK) ListDates();
}

void CModifyTestDlg::OnDelete() {
    const std::optional<SystemTime> date = ChosenDate();
    if (!date) {
        MessageBox(this, u"Pease choose a date to delete");
        return;
    }
    if (!AskYesNo(this, u"Delete the results of " + testName + u" on " + DateText(*date) + u"?")) return;
    if (!DeleteTakenTest(userName, testName, *date))
        MessageBox(this, u"Could not delete this date. Check that there is space on the disk and try again.");
    ListDates();
}

void CModifyTestDlg::OnPaint(PaintSurface& dc) {
    PaintLabels(dc, {{10, 10, testName}, {10, 30, u"Please select your test date:"}});
}
