#include "entry/take_test_dlg.h"

#include "entry/add_result_dlg.h"
#include "entry/label_painting.h"
#include "platform/text.h"
#include "platform/ui/message_box.h"
#include "res/resource.h"
#include "review/test_info_dlg.h"
#include "review/test_name_choice.h"
#include "store/catalog_store.h"

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
        BindCancel(kCancelButton),
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
        const TakenTest stored = ReadTakenTest(userName, testName, testDate);
        commentEdit_.SetText(stored.comment);
        for (const ResultRow& row : stored.results) AppendRow(row);
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

std::vector<ResultRow> CTakeTestDlg::Rows() const {
    std::vector<ResultRow> rows;
    for (int row = 0; row < resultList_.GetItemCount(); ++row) {
        const std::vector<std::u16string> fields = resultList_.GetItemData(row);
        if (fields.size() == 4) rows.push_back({fields[0], fields[1], fields[2], fields[3]});
    }
    return rows;
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
    if (result.newName == 1) TeachResultName(test, row.name, row.goal, row.unit);
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
    std::u16string test = ChosenTestName();
    // The caller's spelling: a test stored as "glucose" stays one test when the box offers "Glucose".
    if (EqualsNoCase(test, testName)) test = testName;
    if (test.empty()) {
        MessageBox(this, u"Please Enter Test Name");
        return;
    }
    SystemTime picked;
    datePicker_.GetTime(picked);
    TakenTest taken{userName, test, MakeDate(picked.year, picked.month, picked.day), commentEdit_.OneLine(), Rows()};
    TestSaved saved = Save(taken, false);
    if (saved == TestSaved::DayHeld) {
        // Two takings of one day are never mixed without the person's word.
        if (!AskYesNo(this, taken.test + u" already has results on " + DateText(taken.date) +
                                u". Add these results to them?"))
            return;
        saved = Save(taken, true);
    }
    if (saved != TestSaved::Stored) {
        MessageBox(this, kNotSaved);
        return;
    }
    testName = taken.test;
    dateText = DateText(taken.date);
    EndDialog(IDOK);
}

TestSaved CTakeTestDlg::Save(TakenTest& taken, bool join) const {
    return mode == kModeEdit ? ReplaceTakenTest(testName, testDate, taken, join) : StoreTakenTest(taken, join);
}

void CTakeTestDlg::OnPaint(PaintSurface& dc) {
    PaintLabels(dc, {{10, 10, u"Please Enter your test information:"},
                     {10, 35, u"Test Name"},
                     {10, 65, u"Test Date"},
                     {10, 95, u"Comments"},
                     {10, 130, u"Test Results"}});
}
