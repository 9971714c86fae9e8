#include "entry/add_result_dlg.h"

#include "entry/goal_for_sex.h"
#include "entry/label_painting.h"
#include "platform/locale/desktop_numbers.h"
#include "platform/text.h"
#include "platform/ui/message_box.h"
#include "res/resource.h"
#include "review/goal_reading.h"
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

std::u16string Quoted(std::u16string_view text) { return u"\"" + std::u16string(text) + u"\""; }

}  // namespace

CAddResultDlg::CAddResultDlg(CDialog* parent) : CDialog(IDD_ADD_RESULT, parent) {}

const CommandTable& CAddResultDlg::Commands() const {
    static const CommandTable table{
        BindNotify(kResultNameBox, kNotifySelectionConfirmed, &CAddResultDlg::OnResultChosen),
        BindNotify(kResultNameBox, kNotifyEditChanged, &CAddResultDlg::OnNameEdited),
        BindPaint(&CAddResultDlg::OnPaint),
    };
    return table;
}

bool CAddResultDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (ListResultNames(testName, resultNameBox_) > 0) {
        resultNameBox_.SetCurSel(0);
        FillFromCatalogue(0, false);
    } else {
        // Nothing catalogued to go by: the handheld's sample goal and unit.
        goalEdit_.SetText(u"150");
        unitEdit_.SetText(u"mg/dL");
    }
    return true;
}

// The box is unsorted and filled in catalogue order, so a position is an entry
// number. The value is the person's to type: a catalogued range in its field
// would be stored as the measured value. The goal for the user shows there as
// a hint instead.
void CAddResultDlg::FillFromCatalogue(int index, bool keepTyped) {
    const CataloguedResult chosen = ReadCataloguedResult(testName, index + 1);
    const std::u16string goal = GoalInFormat(GoalForUser(userName, chosen.goal), DesktopNumberFormat());
    if (!keepTyped || goalEdit_.Text().empty() || goalEdit_.Text() == filledGoal_) goalEdit_.SetText(goal);
    if (!keepTyped || unitEdit_.Text().empty() || unitEdit_.Text() == filledUnit_) unitEdit_.SetText(chosen.unit);
    valueEdit_.SetCueBanner(goal);
    filledGoal_ = goal;
    filledUnit_ = chosen.unit;
}

void CAddResultDlg::OnResultChosen() { FillFromCatalogue(resultNameBox_.GetCurSel(), false); }

// A typed name the catalogue knows fills the fields as choosing it would; any
// other takes away what the catalogue filled. What the person typed stays.
void CAddResultDlg::OnNameEdited() {
    const int known = resultNameBox_.FindStringExact(-1, OneLine(resultNameBox_.GetWindowText()));
    if (known >= 0) {
        FillFromCatalogue(known, true);
        return;
    }
    if (goalEdit_.Text() == filledGoal_) goalEdit_.SetText(u"");
    if (unitEdit_.Text() == filledUnit_) unitEdit_.SetText(u"");
    valueEdit_.SetCueBanner(u"");
    filledGoal_.clear();
    filledUnit_.clear();
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
    if (!KeepsWhatIsNoNumber() || !KeepsOtherUnit()) return;
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
    unitEdit_.FocusSelected();
    return false;
}

// A value or goal that is no number is compared with nothing and left out of
// the graph: the person says whether to keep it so or to correct it.
bool CAddResultDlg::KeepsWhatIsNoNumber() {
    const NumberFormat numbers = DesktopNumberFormat();
    const ValueReading reading = ReadingFor(userName, numbers);
    const bool valueRead = ReadNumber(resultValue, numbers).has_value();
    const bool goalRead = ReadGoal(goalValue, reading).has_value();
    if (valueRead && goalRead) return true;
    std::u16string question;
    if (!valueRead && !goalRead) {
        question = u"Neither the value " + Quoted(resultValue) + u" nor the goal " + Quoted(goalValue) +
                   u" is a number, so the value will not be compared with its goal or graphed. Keep them as typed?";
    } else if (!valueRead) {
        question = u"The value " + Quoted(resultValue) +
                   u" is not a number, so it will not be compared with its goal or graphed. Keep it as typed?";
    } else {
        question = u"The goal " + Quoted(goalValue) + u" is not a number or a range such as " +
                   GoalInFormat(u"3.5-5.0", numbers) +
                   u", <100 or >40, so the value will not be compared with it. Keep it as typed?";
    }
    if (AskYesNo(this, question)) return true;
    (valueRead ? goalEdit_ : valueEdit_).FocusSelected();
    return false;
}

void CAddResultDlg::OnPaint(PaintSurface& dc) {
    PaintLabels(dc, {{10, 15, u"Please Enter your result information:"},
                     {10, 45, u"Result Name"},
                     {10, 70, u"Result Value"},
                     {10, 95, u"Goal Value"},
                     {10, 120, u"Result Unit"}});
}
