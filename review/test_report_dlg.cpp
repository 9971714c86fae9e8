#include "review/test_report_dlg.h"

#include "platform/datetime.h"
#include "platform/locale/desktop_numbers.h"
#include "platform/text.h"
#include "platform/ui/message_box.h"
#include "res/resource.h"
#include "review/report_text.h"
#include "review/test_info_dlg.h"
#include "store/patient_store.h"
#include "store/test_record_store.h"

#include <algorithm>

namespace {

const FontSpec kHeadingFont{u"Verdana", -12, 700};
const FontSpec kTextFont{u"Verdana", -10, 700};

// Centres a name of characters about 7 pixels wide on the 240-pixel screen.
constexpr int kScreenWidth = 240;
constexpr int kCharWidth = 7;

class ListCtrlReport : public ReportList {
public:
    explicit ListCtrlReport(CListCtrl& list) : list_(list) {}
    void InsertRow(int row, std::u16string_view text, int image) override {
        list_.InsertItem(row, text, image);
        // A screen reader cannot see the icon, so the row says it.
        const std::u16string_view words = ReportImageWords(image);
        if (!words.empty()) list_.SetItemAccessibleText(row, std::u16string(text) + u", " + std::u16string(words));
    }
    int RowCount() const override { return list_.GetItemCount(); }
    void Clear() override { list_.DeleteAllItems(); }

private:
    CListCtrl& list_;
};

}  // namespace

CTestReportDlg::CTestReportDlg(CDialog* parent) : CDialog(IDD_TEST_REPORT, parent) {}

bool CTestReportDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // Nothing painted beside these two names them.
    dateBox_.SetAccessibleName(u"Test Date");
    reportList_.SetAccessibleName(u"Test Report");
    // Newest first, the report opening on the newest; inserting never sorts.
    for (const SystemTime& date : TestDates(userName, testName)) dateBox_.InsertString(-1, DateText(date));
    dateBox_.SetCurSel(0);

    if (!images_.Create(16, 16, true, 0, 6)) {
        MessageBox(this, u"Error Displaying Info");
        return false;
    }
    // In this order they take the indexes the report's lines use.
    for (const int bitmap : {IDB_BELOW_GOAL, IDB_AT_GOAL, IDB_ABOVE_GOAL, IDB_HEADING}) {
        images_.Add(bitmap, kWhite);
    }
    reportList_.SetImageList(&images_);
    RefreshReport();
    return true;
}

const CommandTable& CTestReportDlg::Commands() const {
    static const CommandTable table{
        BindCommand(kCloseButton, &CTestReportDlg::OnClose),
        BindCommand(kTestInfoButton, &CTestReportDlg::OnTestInfo),
        BindNotify(kDateBox, kNotifySelectionConfirmed, &CTestReportDlg::OnDateChosen),
        BindPaint(&CTestReportDlg::OnPaint),
    };
    return table;
}

void CTestReportDlg::OnDateChosen() { RefreshReport(); }

void CTestReportDlg::OnClose() { EndDialog(IDOK); }

void CTestReportDlg::OnTestInfo() {
    CTestInfoDlg info(this);
    info.testName = testName;
    info.DoModal();
}

void CTestReportDlg::RefreshReport() {
    reportList_.DeleteAllItems();
    int month = 0, day = 0, year = 0;
    // No day to show (no dates, or a typed text): the report stays empty.
    if (ScanDateText(dateBox_.SelectedText(), month, day, year) != 3) return;
    SystemTime date;
    date.year = static_cast<std::uint16_t>(year);
    date.month = static_cast<std::uint16_t>(month);
    date.day = static_cast<std::uint16_t>(day);
    ListCtrlReport report(reportList_);
    FillTestReport(userName, testName, date, DesktopNumberFormat(), report);
}

void CTestReportDlg::OnPaint(PaintSurface& dc) {
    dc.FillRect({0, 0, dc.Width(), dc.Height()}, kWhite);
    dc.SetTextColor(kBlack);

    std::u16string sex;
    GetPatientSex(userName, sex);
    const std::u16string line = sex + u" | " + IntToText(GetPatientAge(userName)) + u" years old";

    const long long width = kCharWidth * static_cast<long long>(testName.size());
    const int x = static_cast<int>(std::max(0LL, (kScreenWidth - width) / 2));
    dc.SelectFont(&kHeadingFont);
    dc.TextOut(x, 10, testName);

    dc.SelectFont(&kTextFont);
    dc.TextOut(15, 35, userName);
    dc.TextOut(15, 50, line);
}
