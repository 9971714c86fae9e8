#include "entry/add_result_dlg.h"

#include "entry/goal_for_sex.h"
#include "entry/label_painting.h"
#include "platform/text.h"
#include "platform/ui/message_box.h"
#include "res/resource.h"
#include "store/catalog_store.h"
#include "store/test_record_store.h"
#include "units/unit_conversion.h"
#include "units/unit_identity.h"

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
    if (!KeepsOtherUnit()) return;
    EndDialog(IDOK);
}

// A unit other than that of the result's latest stored value changes what its
// graph can show: the person hears whether the values will be converted or
// kept apart, and may correct the unit instead.
bool CAddResultDlg::KeepsOtherUnit() {
    const std::vector<TestResult> latest = ResultValues(userName, testName, resultName, -1, 1);
    if (latest.empty() || SameUnit(latest.front().unit, resultUnit)) return true;
    const std::u16string earlier = UnitShown(latest.front().unit);
    const std::u16string typed = UnitShown(resultUnit);
    std::u16string question = resultName + u" was recorded " + (earlier.empty() ? u"without a unit" : u"in " + earlier) +
                              u" before. ";
    const std::optional<UnitConversion> conversion = FindConversion(resultName, resultUnit, latest.front().unit);
    if (conversion) {
        question += u"Graphs will convert between " + typed + u" and " + earlier + u" as " +
                    std::u16string(conversion->analyte) + u", showing the unit of the latest value.";
    } else {
        question += u"Values in " + typed + u" cannot be converted to it, so a graph shows only those in the unit "
                    u"of the latest value and counts the others.";
    }
    if (AskYesNo(this, question + u" Keep " + (typed.empty() ? u"this unit" : typed) + u"?")) return true;
    unitEdit_.SetFocus();
    return false;
}

void CAddResultDlg::OnPaint(PaintSurface& dc) {
    PaintLabels(dc, {{10, 15, u"Please Enter your result information:"},
                     {10, 45, u"Result Name"},
                     {10, 70, u"Result Value"},
                     {10, 95, u"Goal Value"},
                     {10, 120, u"Result Unit"}});
}
