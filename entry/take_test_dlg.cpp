#include "entry/take_test_dlg.h"

#include "entry/add_result_dlg.h"
#include "entry/label_painting.h"
#include "platform/record_store.h"
#include "platform/text.h"
#include "platform/ui/message_box.h"
#include "res/resource.h"
#include "review/test_info_dlg.h"
#include "review/test_name_choice.h"
#include "store/catalog_store.h"
#include "store/test_record_store.h"

namespace {

constexpr std::u16string_view kNotSaved =
    u"Could not save this test. Check that there is space on the disk and try again.";

}  // namespace

CTakeTestDlg::CTakeTestDlg(CDialog* parent) : CDialog(IDD_TAKE_TEST, parent) {}

const CommandTable& CTakeTestDlg::Commands() const {
    static const CommandTable table{
        BindCommand(kOkButton, &CTakeTestDlg::OnOkButton),
        BindCommand(kAddButton, &CTakeTestDlg::OnAdd),
        BindCommand(kDeleteButton, &CTakeTestDlg::OnDelete),
        BindPaint(&CTakeTestDlg::OnPaint),
        BindCommand(kCancelButton, &CDialog::OnCancel),
        BindCommand(kTestInfoButton, &CTakeTestDlg::OnTestInfo),
    };
    return table;
}

bool CTakeTestDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    ListResultTests(testNameBox_);
    if (testName.empty()) {
        testNameBox_.SetCurSel(0);
    } else {
        SelectNamedTest(testNameBox_, testName);
    }
    if (mode == kModeEdit) {
        datePicker_.SetTime(testDate);
        const StoredTestResults stored = ListTestResults(userName, testName, testDate);
        commentEdit_.SetText(stored.comment);
        for (const ResultRow& row : stored.rows) AppendRow(row);
    } else {
        datePicker_.SetTime(GetLocalTime());
    }
    return true;
}

void CTakeTestDlg::OnOK() { OnOkButton(); }

void CTakeTestDlg::AppendRow(const ResultRow& result) {
    const int row = resultList_.InsertItem(resultList_.GetItemCount(),
                                           FormatResultRow(result.name, result.value, result.goal, result.unit));
    // The row's text cannot be read back into its fields when they hold " [ " or " vs ".
    resultList_.SetItemData(row, {result.name, result.value, result.goal, result.unit});
}

ResultRow CTakeTestDlg::RowFields(int row) const {
    const std::vector<std::u16string> fields = resultList_.GetItemData(row);
    return fields.size() == 4 ? ResultRow{fields[0], fields[1], fields[2], fields[3]} : ResultRow{};
}

std::u16string CTakeTestDlg::ChosenTestName() const {
    std::u16string test = testNameBox_.SelectedText();
    return test.empty() ? OneLine(testNameBox_.GetWindowText()) : test;
}

void CTakeTestDlg::OnAdd() {
    const std::u16string test = ChosenTestName();
    CAddResultDlg result(this);
    result.userName = userName;
    result.testName = test;
    if (result.DoModal() != IDOK) return;

    const ResultRow row{result.resultName, result.resultValue, result.goalValue, result.resultUnit};
    const std::u16string text = FormatResultRow(row.name, row.value, row.goal, row.unit);
    if (resultList_.FindItem(kFindString | kFindPartial, -1, text) == -1) AppendRow(row);
    if (result.newName == 1) TeachResultName(test, row.name, row.value, row.unit);
}

void CTakeTestDlg::OnDelete() {
    const int selected = resultList_.GetFirstSelectedItem();
    resultList_.DeleteItem(selected < 0 ? 0 : selected);
}

void CTakeTestDlg::OnTestInfo() {
    CTestInfoDlg info(this);
    info.testName = testNameBox_.SelectedText();
    info.DoModal();
}

void CTakeTestDlg::OnOkButton() {
    std::u16string test = testNameBox_.SelectedText();
    const bool typedName = test.empty();
    if (typedName) {
        test = OneLine(testNameBox_.GetWindowText());
    } else if (EqualsNoCase(test, testName)) {
        // The caller's spelling: a test stored as "glucose" stays one test when the box offers "Glucose".
        test = testName;
    }
    if (test.empty()) {
        MessageBox(this, u"Please Enter Test Name");
        return;
    }
    SystemTime picked;
    datePicker_.GetTime(picked);
    const SystemTime date = MakeDate(picked.year, picked.month, picked.day);
    if (!StoreTest(test, typedName, commentEdit_.OneLine(), date)) {
        MessageBox(this, kNotSaved);
        return;
    }
    testName = test;
    dateText = DateText(date);
    EndDialog(IDOK);
}

bool CTakeTestDlg::StoreTest(std::u16string_view test, bool typedName, std::u16string_view comment,
                             const SystemTime& date) {
    StoreTransaction unit;
    // A typed name becomes known to the catalogue; its marker is not what the user saves.
    if (typedName) AddResultName(test, u"");
    const int rows = resultList_.GetItemCount();
    if (rows == 0 && !AddResult(userName, test, comment, date, u"", u"", u"", u"")) return false;
    for (int row = 0; row < rows; ++row) {
        const ResultRow result = RowFields(row);
        if (!AddResult(userName, test, comment, date, result.name, result.value, result.goal,
                       result.unit)) {
            return false;
        }
    }
    return unit.Commit();
}

void CTakeTestDlg::OnPaint(PaintSurface& dc) {
    PaintLabels(dc, {{10, 10, u"Please Enter your test information:"},
                     {10, 35, u"Test Name"},
                     {10, 65, u"Test Date"},
                     {10, 95, u"Comments"},
                     {10, 130, u"Test Results"}});
}
