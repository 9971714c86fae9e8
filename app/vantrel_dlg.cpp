#include "app/vantrel_dlg.h"

#include "app/about_dlg.h"
#include "app/install_dlg.h"
#include "entry/modify_test_dlg.h"
#include "entry/switch_user_dlg.h"
#include "entry/take_test_dlg.h"
#include "platform/text.h"
#include "platform/ui/message_box.h"
#include "res/resource.h"
#include "review/results_graph_dlg.h"
#include "review/test_info_dlg.h"
#include "review/test_report_dlg.h"
#include "store/settings_store.h"
#include "store/test_record_store.h"
#include "store/user_changes.h"

namespace {

std::u16string CurrentUser() {
    std::u16string user;
    GetSetting(kCurrentUserKey, user);
    return user;
}

// "Tests for " and the user, cut with "..." when it would pass the text bound.
std::u16string CaptionLine(std::u16string_view user) {
    std::u16string line = u"Tests for ";
    line += user.empty() ? u"(no user)" : user;
    if (line.size() <= kTextMax) return line;
    constexpr std::u16string_view kEllipsis = u"...";
    line.resize(CutPoint(line, kTextMax - kEllipsis.size()));
    line += kEllipsis;
    return line;
}

}  // namespace

CVantrelDlg::CVantrelDlg(CDialog* parent) : CDialog(IDD_VANTREL, parent) {}

const CommandTable& CVantrelDlg::Commands() const {
    static const CommandTable table{
        BindPaint(&CVantrelDlg::OnPaint),
        BindCommand(kInfoButton, &CVantrelDlg::OnInfo),
        BindCommand(kReportButton, &CVantrelDlg::OnReport),
        BindCommand(kGraphButton, &CVantrelDlg::OnGraph),
        BindCommand(kEditButton, &CVantrelDlg::OnEdit),
        BindCommand(kTakeTestButton, &CVantrelDlg::OnTakeTest),
        BindCommand(kSwitchUserButton, &CVantrelDlg::OnSwitchUser),
        BindCommand(kCloseButton, &CVantrelDlg::OnClose),
        BindCommand(kAboutButton, &CVantrelDlg::OnAbout),
        BindCommand(ID_APP_ABOUT, &CVantrelDlg::OnAbout),
    };
    return table;
}

bool CVantrelDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetIcon(IDI_VANTREL);
    CenterWindow();
    SetWindowText(u"Vantrel");
    // On a first run the list is filled before the Installation window has
    // imported anything or asked for the first user, so it starts empty.
    CreateInstallWindow(*this, [this] { RelistTests(); });
    // A current user no longer stored gives way to one who is.
    SettledCurrentUser();
    RelistTests();
    return true;
}

void CVantrelDlg::OnPaint(PaintSurface& dc) {
    dc.FillRect({0, 0, dc.Width(), dc.Height()}, kWhite);
    dc.SetTextColor(kNavy);
    // Read at paint time, so a user switched in a dialog shows once it closes.
    dc.TextOut(10, 15, CaptionLine(CurrentUser()));
}

std::u16string CVantrelDlg::SelectedTest() const {
    if (testList_.GetItemCount() == 0) return {};
    int row = testList_.GetFirstSelectedItem();
    if (row < 0) row = 0;
    return BoundedText(testList_.GetItemText(row));
}

void CVantrelDlg::RelistTests() {
    const std::u16string user = CurrentUser();
    const std::vector<std::u16string> tests = user.empty() ? std::vector<std::u16string>{} : UserTests(user);
    int row = 0;
    while (row < testList_.GetItemCount() && row < static_cast<int>(tests.size()) &&
           testList_.GetItemText(row) == tests[static_cast<std::size_t>(row)])
        ++row;
    if (row < testList_.GetItemCount()) {
        testList_.DeleteAllItems();
        row = 0;
    }
    for (; row < static_cast<int>(tests.size()); ++row) testList_.AddItem(tests[static_cast<std::size_t>(row)]);
    Invalidate();  // the heading names the user the list is of
}

void CVantrelDlg::OnInfo() {
    CTestInfoDlg dlg;
    dlg.testName = SelectedTest();
    dlg.DoModal();
}

// Report, Graph and Edit read the current user first, then need a listed test.
bool CVantrelDlg::ChooseTest(std::u16string_view emptyMessage, std::u16string& user, std::u16string& test) {
    user = CurrentUser();
    if (testList_.GetItemCount() == 0) {
        MessageBox(this, emptyMessage);
        return false;
    }
    test = SelectedTest();
    return true;
}

void CVantrelDlg::OnReport() {
    CTestReportDlg dlg;
    if (ChooseTest(u"Please select a test to report.", dlg.userName, dlg.testName)) dlg.DoModal();
}

void CVantrelDlg::OnGraph() {
    CResultsGraphDlg dlg;
    if (ChooseTest(u"Please select a test to graph.", dlg.userName, dlg.testName)) dlg.DoModal();
}

void CVantrelDlg::OnEdit() {
    CModifyTestDlg dlg;
    if (!ChooseTest(u"Please select a test to modify.", dlg.userName, dlg.testName)) return;
    // Dates deleted or moved, perhaps to another test.
    dlg.DoModal();
    RelistTests();
}

void CVantrelDlg::OnTakeTest() {
    CTakeTestDlg dlg;
    dlg.userName = CurrentUser();
    if (dlg.userName.empty()) {
        MessageBox(this, u"Please add a user in Switch User first.");
        return;
    }
    dlg.testName = SelectedTest();
    dlg.mode = CTakeTestDlg::kModeNew;
    if (dlg.DoModal() == IDOK) RelistTests();
}

// Users deleted or renamed meanwhile show when it closes, whichever way.
void CVantrelDlg::OnSwitchUser() {
    CSwitchUserDlg dlg;
    dlg.userName = CurrentUser();
    // A store that refused the setting (a full disk) must not show one user's
    // tests under another's name, where Take Test would save them.
    if (dlg.DoModal() == IDOK && !MakeCurrentUser(dlg.userName))
        MessageBox(this, u"Could not switch to this user. Check that there is space on the disk and try again.");
    RelistTests();
}

void CVantrelDlg::OnClose() { EndDialog(IDOK); }

void CVantrelDlg::OnAbout() {
    CAboutDlg dlg;
    dlg.DoModal();
}
