#include "entry/add_result_dlg.h"

#include "entry/goal_for_sex.h"
#include "entry/label_painting.h"
#include "platform/text.h"
#include "platform/ui/message_box.h"
#include "res/resource.h"
#include "store/catalog_store.h"

namespace {

// The catalogued value and unit of the result numbered `number` (from 1).
struct CataloguedResult {
    GoalChoices goal;
    std::u16string unit;
};

CataloguedResult ReadCataloguedResult(std::u16string_view test, int number) {
    const std::u16string suffix = IntToText(number);
    std::u16string value, unit;
    GetTestEntry(test, u"resultvalue" + suffix, value);
    GetTestEntry(test, u"resultunit" + suffix, unit);
    return {SplitGoalChoices(value), unit};
}

}  // namespace

CAddResultDlg::CAddResultDlg(CDialog* parent) : CDialog(IDD_ADD_RESULT, parent) {}

const CommandTable& CAddResultDlg::Commands() const {
    static const CommandTable table{
        BindNotify(kResultNameBox, kNotifySelectionConfirmed, &CAddResultDlg::OnResultChosen),
        BindPaint(&CAddResultDlg::OnPaint),
    };
    return table;
}

bool CAddResultDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (ListResultNames(testName, resultNameBox_) > 0) {
        resultNameBox_.SetCurSel(0);
        const CataloguedResult first = ReadCataloguedResult(testName, 1);
        goalEdit_.SetText(GoalForUser(userName, first.goal));
        valueEdit_.SetText(u"1");
        unitEdit_.SetText(first.unit);
    } else {
        valueEdit_.SetText(u"160");
        goalEdit_.SetText(u"150");
        unitEdit_.SetText(u"mg/dL");
    }
    return true;
}

// The box is unsorted and filled in catalogue order, so a position is an entry number.
void CAddResultDlg::OnResultChosen() {
    const CataloguedResult chosen = ReadCataloguedResult(testName, resultNameBox_.GetCurSel() + 1);
    goalEdit_.SetText(GoalForUser(userName, chosen.goal));
    valueEdit_.SetText(chosen.goal.general);
    unitEdit_.SetText(chosen.unit);
}

void CAddResultDlg::OnOK() {
    resultName.clear();
    resultValue.clear();
    goalValue.clear();
    resultUnit.clear();

    resultName = resultNameBox_.SelectedText();
    if (resultName.empty()) {
        resultName = OneLine(resultNameBox_.GetWindowText());
        newName = 1;
    } else {
        newName = 0;
    }
    if (resultName.empty()) {
        MessageBox(this, u"Please Enter Result Name");
        return;
    }
    resultValue = valueEdit_.OneLine();
    if (resultValue.empty()) {
        MessageBox(this, u"Please Enter Result Value");
        return;
    }
    goalValue = goalEdit_.OneLine();
    if (goalValue.empty()) {
        MessageBox(this, u"Please Enter Goal Result Value");
        return;
    }
    resultUnit = unitEdit_.OneLine();
    if (resultUnit.empty()) {
        MessageBox(this, u"Please Enter Result Unit");
        return;
    }
    EndDialog(IDOK);
}

void CAddResultDlg::OnPaint(PaintSurface& dc) {
    PaintLabels(dc, {{10, 15, u"Please Enter your result information:"},
                     {10, 45, u"Result Name"},
                     {10, 70, u"Result Value"},
                     {10, 95, u"Goal Value"},
                     {10, 120, u"Result Unit"}});
}
