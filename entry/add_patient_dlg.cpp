#include "entry/add_patient_dlg.h"

#include "entry/label_painting.h"
#include "platform/datetime.h"
#include "platform/ui/message_box.h"
#include "res/resource.h"
#include "review/graph_options_dlg.h"
#include "store/patient_store.h"

namespace {

constexpr std::u16string_view kSampleName = u"Tavi Orlenska";
constexpr std::u16string_view kNotSaved =
    u"Could not save this user. Check that there is space on the disk and try again.";
constexpr int kMaleItem = 1;  // the sorted box holds "Female", "Male"

}  // namespace

CAddPatientDlg::CAddPatientDlg(CDialog* parent) : CDialog(IDD_ADD_PATIENT, parent) {}

const CommandTable& CAddPatientDlg::Commands() const {
    static const CommandTable table{
        BindCommand(kOkButton, &CAddPatientDlg::OnOkButton),
        BindCommand(kCancelButton, &CDialog::OnCancel),
        BindPaint(&CAddPatientDlg::OnPaint),
    };
    return table;
}

bool CAddPatientDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    sexBox_.AddString(u"Female");
    sexBox_.AddString(u"Male");
    switch (mode) {
    case kModeOwner:
        StartAsNewUser(name);
        break;
    case kModeEdit: {
        nameEdit_.SetText(name);
        std::u16string sex;
        GetPatientSex(name, sex);
        // Every item begins with the empty text: an unknown sex stays unchosen.
        if (!sex.empty()) sexBox_.SelectString(-1, sex);
        birthdatePicker_.SetTime(GetBirthdate(name));
        break;
    }
    case kModeNew:
        StartAsNewUser(kSampleName);
        break;
    default:
        break;
    }
    return true;
}

void CAddPatientDlg::StartAsNewUser(std::u16string_view shownName) {
    nameEdit_.SetText(shownName);
    sexBox_.SetCurSel(kMaleItem);
    birthdatePicker_.SetTime(NewUserBirthdate());
}

void CAddPatientDlg::OnOK() { OnOkButton(); }

void CAddPatientDlg::OnOkButton() {
    const std::u16string typedName = nameEdit_.OneLine();
    // Text typed into the sex box is not a choice.
    const std::u16string sex = sexBox_.SelectedText();
    SystemTime birthdate;
    birthdatePicker_.GetTime(birthdate);

    CGraphOptionsDlg options(this);
    options.DoModal();
    if (!AddPatient(typedName, sex, birthdate, options.graphPeriod, options.graphType)) {
        MessageBox(this, kNotSaved);
        return;
    }
    name = typedName;
    EndDialog(IDOK);
}

void CAddPatientDlg::OnPaint(PaintSurface& dc) {
    PaintLabels(dc, {{10, 40, u"Please Enter your personal information:"},
                     {10, 70, u"Name"},
                     {10, 100, u"Birthdate"},
                     {10, 130, u"Sex"}});
}
