#include "entry/switch_user_dlg.h"

#include "entry/add_patient_dlg.h"
#include "entry/label_painting.h"
#include "platform/text.h"
#include "platform/ui/message_box.h"
#include "res/resource.h"
#include "store/test_record_store.h"
#include "store/user_changes.h"

namespace {

constexpr std::u16string_view kNotDeleted =
    u"Could not delete this user. Check that there is space on the disk and try again.";

}  // namespace

CSwitchUserDlg::CSwitchUserDlg(CDialog* parent) : CDialog(IDD_SWITCH_USER, parent) {}

const CommandTable& CSwitchUserDlg::Commands() const {
    static const CommandTable table{
        BindCommand(kAddButton, &CSwitchUserDlg::OnAdd),
        BindCommand(kEditButton, &CSwitchUserDlg::OnEdit),
        BindCommand(kDeleteButton, &CSwitchUserDlg::OnDelete),
        BindCommand(kOkButton, &CSwitchUserDlg::OnOkButton),
        BindCancel(kCancelButton),
        BindPaint(&CSwitchUserDlg::OnPaint),
    };
    return table;
}

bool CSwitchUserDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    ListUsers(u"");
    // Started after the first row, so the first row is looked at last.
    userList_.SelectString(0, userName);
    return true;
}

void CSwitchUserDlg::OnOK() { OnOkButton(); }

std::u16string CSwitchUserDlg::SelectedName() const {
    const int selected = userList_.GetCurSel();
    return selected < 0 ? std::u16string() : userList_.GetText(selected);
}

void CSwitchUserDlg::OnAdd() {
    CAddPatientDlg patient(this);
    patient.mode = CAddPatientDlg::kModeNew;
    if (patient.DoModal() == IDOK && userList_.FindStringExact(-1, patient.name) == -1) {
        userList_.AddString(patient.name);
    }
}

void CSwitchUserDlg::ListUsers(std::u16string_view name) {
    // A user with tests but no patient record (kept from before) is a user too.
    userList_.SetItems(UserNames());
    userList_.SetCurSel(name.empty() ? -1 : userList_.FindStringExact(-1, name));
}

// A renamed user is listed under the new name at once.
void CSwitchUserDlg::OnEdit() {
    const std::u16string name = SelectedName();
    if (userList_.GetCurSel() < 0) {
        MessageBox(this, u"Please select a user to edit");
        return;
    }
    CAddPatientDlg patient(this);
    patient.mode = CAddPatientDlg::kModeEdit;
    patient.name = name;
    if (patient.DoModal() == IDOK) ListUsers(patient.name);
}

void CSwitchUserDlg::OnDelete() {
    const int selected = userList_.GetCurSel();
    if (selected < 0) {
        MessageBox(this, u"Please select a user to delete");
        return;
    }
    const std::u16string name = SelectedName();
    const int tests = CountTests(name);
    const std::u16string what = tests == 0   ? u""
                                : tests == 1 ? u" and 1 test"
                                             : u" and all " + IntToText(tests) + u" tests";
    if (!AskYesNo(this, u"Delete " + name + what + u"?")) return;
    // The user goes with every test, or stays listed.
    if (!DeleteUser(name)) {
        MessageBox(this, kNotDeleted);
        return;
    }
    userList_.DeleteString(selected);
}

void CSwitchUserDlg::OnOkButton() {
    const int selected = userList_.GetCurSel();
    if (selected < 0) {
        MessageBox(this, u"Please select a user to set as the current user");
        return;
    }
    userName = userList_.GetText(selected);
    EndDialog(IDOK);
}

void CSwitchUserDlg::OnPaint(PaintSurface& dc) {
    PaintLabels(dc, {{10, 20, u"Please Select User:"}});
}
