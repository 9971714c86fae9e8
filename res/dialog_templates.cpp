// The dialog templates, one table per dialog. Positions and sizes are dialog units.

#include "platform/ui/command_table.h"
#include "platform/ui/dialog_template.h"
#include "res/add_patient_ids.h"
#include "res/add_result_ids.h"
#include "res/graph_options_ids.h"
#include "res/modify_test_ids.h"
#include "res/resource.h"
#include "res/results_graph_ids.h"
#include "res/switch_user_ids.h"
#include "res/take_test_ids.h"
#include "res/test_info_ids.h"
#include "res/test_report_ids.h"
#include "res/vantrel_ids.h"

#include <array>

namespace {

using enum ControlClass;

constexpr std::uint32_t kPushButton = kStyleTabStop;
constexpr std::uint32_t kDefaultButton = kStyleDefaultButton | kStyleTabStop;
constexpr std::uint32_t kLineEdit = kStyleBorder | kStyleAutoHScroll | kStyleTabStop;
constexpr std::uint32_t kDropDown = kStyleDropDown | kStyleVScroll | kStyleTabStop;
constexpr std::uint32_t kSortedDropDown = kDropDown | kStyleSorted;
constexpr std::uint32_t kTextList = kStyleSmallIcon | kStyleBorder | kStyleTabStop;
// A list of dates: thousands of rows, each as wide as a date.
constexpr std::uint32_t kDateList = kTextList | kStyleUniformRows;
constexpr std::uint32_t kDatePicker = kStyleShortDate | kStyleTabStop;

constexpr std::uint32_t kModalDialog = kDlgPopup | kDlgCaption | kDlgSysMenu | kDlgModalFrame | kDlgSetFont;
constexpr std::uint32_t kFramedDialog = kDlgModalFrame | kDlgCaption | kDlgSetFont;

constexpr std::u16string_view kSystemFont = u"System";

// 102: the main window.
constexpr std::array kVantrelControls{
    ControlTemplate{VantrelIds::kTestList, ListView, u"", 7, 25, 92, 88, kTextList},
    ControlTemplate{VantrelIds::kInfoButton, Button, u"Info", 106, 33, 29, 14, kPushButton},
    ControlTemplate{VantrelIds::kReportButton, Button, u"Report", 106, 47, 29, 14, kPushButton},
    ControlTemplate{VantrelIds::kGraphButton, Button, u"Graph", 106, 61, 29, 14, kPushButton},
    ControlTemplate{VantrelIds::kEditButton, Button, u"Edit", 106, 75, 29, 14, kPushButton},
    ControlTemplate{VantrelIds::kAboutButton, Button, u"About", 106, 89, 29, 14, kPushButton},
    ControlTemplate{VantrelIds::kTakeTestButton, Button, u"Take Test", 8, 117, 54, 14, kPushButton},
    ControlTemplate{VantrelIds::kSwitchUserButton, Button, u"Switch User", 78, 116, 54, 14, kPushButton},
    ControlTemplate{VantrelIds::kCloseButton, Button, u"Close", 43, 138, 52, 14, kPushButton},
    ControlTemplate{-1, StaticIcon, u"", 109, 3, 20, 20, kStyleNone, IDI_VANTREL},
};

// 130: Test Info. The buttons stand in the order Why?, When?, How?, Home?, Results, Exit;
// the scroll bar at the right edge scrolls the painted text when it is longer
// than the window.
constexpr std::array kTestInfoControls{
    ControlTemplate{TestInfoIds::kTestBox, ComboBox, u"", 7, 7, 128, 85, kSortedDropDown},
    ControlTemplate{TestInfoIds::kWhyButton, Button, u"Why?", 107, 84, 30, 14, kPushButton},
    ControlTemplate{TestInfoIds::kWhenButton, Button, u"When?", 107, 72, 30, 14, kPushButton},
    ControlTemplate{TestInfoIds::kHowButton, Button, u"How?", 107, 96, 30, 14, kPushButton},
    ControlTemplate{TestInfoIds::kHomeButton, Button, u"Home?", 107, 108, 30, 14, kPushButton},
    ControlTemplate{TestInfoIds::kResultsButton, Button, u"Results", 107, 120, 30, 14, kPushButton},
    ControlTemplate{TestInfoIds::kExitButton, Button, u"Exit", 107, 132, 30, 14, kPushButton},
    ControlTemplate{-1, StaticIcon, u"", 112, 37, 20, 20, kStyleNone, IDI_VANTREL},
    ControlTemplate{TestInfoIds::kTextScroll, VScrollBar, u"", 137, 23, 3, 134, kStyleTabStop},
};

// 131: Add Patient.
constexpr std::array kAddPatientControls{
    ControlTemplate{AddPatientIds::kNameEdit, Edit, u"", 49, 41, 84, 12, kLineEdit},
    ControlTemplate{AddPatientIds::kBirthdatePicker, DateTimePicker, u"", 49, 58, 84, 12, kDatePicker},
    ControlTemplate{AddPatientIds::kSexBox, ComboBox, u"", 49, 75, 84, 40, kSortedDropDown},
    ControlTemplate{AddPatientIds::kOkButton, Button, u"Ok", 13, 132, 50, 14, kPushButton},
    ControlTemplate{AddPatientIds::kCancelButton, Button, u"Cancel", 71, 132, 50, 14, kPushButton},
};

// 132: Take Test.
constexpr std::array kTakeTestControls{
    ControlTemplate{TakeTestIds::kTestNameBox, ComboBox, u"", 47, 19, 81, 74, kSortedDropDown},
    ControlTemplate{TakeTestIds::kDatePicker, DateTimePicker, u"", 47, 35, 81, 12, kDatePicker},
    ControlTemplate{TakeTestIds::kCommentEdit, Edit, u"", 47, 51, 81, 12, kLineEdit},
    ControlTemplate{TakeTestIds::kResultList, ListView, u"", 7, 84, 98, 45, kTextList},
    ControlTemplate{TakeTestIds::kAddButton, Button, u"Add", 108, 90, 27, 14, kPushButton},
    ControlTemplate{TakeTestIds::kDeleteButton, Button, u"Delete", 108, 107, 27, 14, kPushButton},
    ControlTemplate{TakeTestIds::kTestInfoButton, Button, u"Test Info", 7, 137, 35, 14, kPushButton},
    ControlTemplate{TakeTestIds::kOkButton, Button, u"Ok", 50, 137, 35, 14, kPushButton},
    ControlTemplate{TakeTestIds::kCancelButton, Button, u"Cancel", 93, 137, 35, 14, kPushButton},
};

// 133: Switch User.
constexpr std::array kSwitchUserControls{
    ControlTemplate{SwitchUserIds::kUserList, ListBox, u"", 7, 25, 87, 94,
                    kStyleSorted | kStyleNotify | kStyleVScroll | kStyleBorder | kStyleNoIntegralHeight |
                        kStyleTabStop},
    ControlTemplate{SwitchUserIds::kAddButton, Button, u"Add", 104, 42, 27, 14, kPushButton},
    ControlTemplate{SwitchUserIds::kEditButton, Button, u"Edit", 104, 61, 27, 14, kPushButton},
    ControlTemplate{SwitchUserIds::kDeleteButton, Button, u"Delete", 104, 80, 27, 14, kPushButton},
    ControlTemplate{SwitchUserIds::kOkButton, Button, u"OK", 12, 137, 50, 14, kPushButton},
    ControlTemplate{SwitchUserIds::kCancelButton, Button, u"Cancel", 75, 137, 50, 14, kPushButton},
};

// 134: Add Test Result. The name box is unsorted: its positions stand for entry numbers.
constexpr std::array kAddResultControls{
    ControlTemplate{AddResultIds::kResultNameBox, ComboBox, u"", 68, 24, 61, 30, kDropDown},
    ControlTemplate{AddResultIds::kValueEdit, Edit, u"", 68, 39, 61, 12, kLineEdit},
    ControlTemplate{AddResultIds::kGoalEdit, Edit, u"", 68, 54, 61, 12, kLineEdit},
    ControlTemplate{AddResultIds::kUnitEdit, Edit, u"", 68, 69, 61, 12, kLineEdit},
    ControlTemplate{AddResultIds::kOkButton, Button, u"OK", 11, 132, 50, 14, kDefaultButton},
    ControlTemplate{AddResultIds::kCancelButton, Button, u"Cancel", 72, 132, 50, 14, kPushButton},
};

// 135: Test Report.
constexpr std::array kTestReportControls{
    ControlTemplate{TestReportIds::kCloseButton, Button, u"Close", 75, 133, 50, 14, kDefaultButton},
    ControlTemplate{TestReportIds::kReportList, ListView, u"", 6, 64, 124, 56,
                    kStyleSmallIcon | kStyleNoLabelWrap | kStyleNoColumnHeader | kStyleBorder | kStyleTabStop},
    ControlTemplate{TestReportIds::kDateBox, ComboBox, u"", 7, 48, 123, 61, kSortedDropDown},
    ControlTemplate{-1, StaticIcon, u"", 107, 20, 20, 20, kStyleNone, IDI_VANTREL},
    ControlTemplate{TestReportIds::kTestInfoButton, Button, u"Test Info", 11, 133, 50, 14, kDefaultButton},
};

// 137: Graph Options. Both boxes are unsorted: positions index the period table.
constexpr std::array kGraphOptionsControls{
    ControlTemplate{GraphOptionsIds::kOkButton, Button, u"OK", 35, 113, 50, 14, kDefaultButton},
    ControlTemplate{GraphOptionsIds::kPeriodBox, ComboBox, u"", 55, 21, 66, 61, kDropDown},
    ControlTemplate{GraphOptionsIds::kTypeBox, ComboBox, u"", 55, 41, 66, 30, kDropDown},
};

// 138: Results Graph; its menu bar is resource 139.
constexpr std::array kResultsGraphControls{
    ControlTemplate{ResultsGraphIds::kResultBox, ComboBox, u"", 75, 0, 62, 46, kSortedDropDown | kStyleVisible},
};

// 150: Modify Test.
constexpr std::array kModifyTestControls{
    ControlTemplate{ModifyTestIds::kDateList, ListView, u"", 7, 30, 77, 95, kDateList},
    ControlTemplate{ModifyTestIds::kAddButton, Button, u"Add", 91, 39, 26, 14, kPushButton},
    ControlTemplate{ModifyTestIds::kEditButton, Button, u"Edit", 91, 56, 26, 14, kPushButton},
    ControlTemplate{ModifyTestIds::kDeleteButton, Button, u"Delete", 91, 73, 26, 14, kPushButton},
    ControlTemplate{ModifyTestIds::kCloseButton, Button, u"Close", 33, 132, 50, 14, kDefaultButton},
};

// 154: About. The dialog paints its text; the icon draws itself.
constexpr std::array kAboutControls{
    ControlTemplate{IDOK, Button, u"OK", 40, 140, 50, 14, kDefaultButton},
    ControlTemplate{-1, StaticIcon, u"", 84, 13, 21, 20, kStyleNone, IDI_VANTREL},
};

constexpr std::array kTemplates{
    DialogTemplate{IDD_VANTREL, u"Vantrel", 140, 159, kSystemFont, 8,
                   kDlgPopup | kDlgCaption | kDlgVisible | kDlgSetFont | kDlgExAppWindow | kDlgExCaptionOkButton,
                   kVantrelControls},
    DialogTemplate{IDD_INSTALL, u"Installation In Progress", 135, 62, kSystemFont, 8, kModalDialog, {}},
    DialogTemplate{IDD_TEST_INFO, u"Test Info", 142, 161, kSystemFont, 8, kModalDialog, kTestInfoControls},
    DialogTemplate{IDD_ADD_PATIENT, u"Add Patient", 140, 153, kSystemFont, 8, kFramedDialog, kAddPatientControls},
    DialogTemplate{IDD_TAKE_TEST, u"Take Test", 135, 158, kSystemFont, 8, kFramedDialog, kTakeTestControls},
    DialogTemplate{IDD_SWITCH_USER, u"Switch User", 138, 158, kSystemFont, 8, kFramedDialog, kSwitchUserControls},
    DialogTemplate{IDD_ADD_RESULT, u"Add Test Result", 136, 153, kSystemFont, 8, kFramedDialog, kAddResultControls},
    DialogTemplate{IDD_TEST_REPORT, u"Test Report", 137, 154, kSystemFont, 8, kModalDialog, kTestReportControls},
    DialogTemplate{IDD_GRAPH_OPTIONS, u"Graph Options", 128, 134, kSystemFont, 8, kModalDialog,
                   kGraphOptionsControls},
    DialogTemplate{IDD_RESULTS_GRAPH, u"Results Graph", 144, 161, kSystemFont, 8, kModalDialog,
                   kResultsGraphControls},
    DialogTemplate{IDD_MODIFY_TEST, u"Modify Test", 124, 153, kSystemFont, 8, kFramedDialog, kModifyTestControls},
    DialogTemplate{IDD_ABOUT, u"About Vantrel", 139, 161, kSystemFont, 8, kModalDialog, kAboutControls},
};

}  // namespace

const DialogTemplate* FindDialogTemplate(int id) {
    for (const DialogTemplate& t : kTemplates) {
        if (t.id == id) return &t;
    }
    return nullptr;
}
