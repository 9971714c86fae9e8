#include "entry/add_patient_dlg.h"

#include "entry/label_painting.h"
#include "platform/datetime.h"
#include "platform/text.h"
#include "platform/ui/message_box.h"
#include "res/resource.h"
#include "review/graph_options_dlg.h"
#include "store/user_changes.h"

namespace {

constexpr std::u16string_view kSampleName = u"Tavi Orlenska";
constexpr std::u16string_view kNotSaved =
    u"Could not save this user. Check that there is space on the disk and try again.";
constexpr std::u16string_view kNameTaken =
    u"Another user already has this name. Please choose another name.";
constexpr int kMaleItem = 1;  // the sorted box holds "Female", "Male"

}  // namespace

CAddPatientDlg::CAddPatientDlg(CDialog* parent) : CDialog(IDD_ADD_PATIENT, parent) {}

const CommandTable& CAddPatientDlg::Commands() const {
    static const CommandTable table{
        BindCommand(kOkButton, &CAddPatientDlg::OnOkButton),
        BindCancel(kCancelButton),
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
    case kModeEdit:
        stored_ = ReadPatient(name).value_or(Patient{name, {}, {}});
        nameEdit_.SetText(name);
        // Every item begins with the empty text: an unknown sex stays unchosen.
        if (!stored_.sex.empty()) sexBox_.SelectString(-1, stored_.sex);
        birthdatePicker_.SetTime(stored_.birthdate);
        break;
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
    Patient patient{nameEdit_.OneLine(), {}, {}};
    if (patient.name.empty()) {
        MessageBox(this, u"Please Enter Name");
        return;
    }
    // Typed or chosen alike: "female" is Female.
    const std::optional<std::u16string> sex = SexChoice(OneLine(sexBox_.GetWindowText()));
    if (!sex) {
        MessageBox(this, u"Please choose Female or Male as the sex.");
        return;
    }
    patient.sex = *sex;
    if (IsNameTaken(patient.name, mode == kModeEdit ? std::u16string_view(name) : std::u16string_view())) {
        MessageBox(this, kNameTaken);
        return;
    }
    birthdatePicker_.GetTime(patient.birthdate);

    CGraphOptionsDlg options(this);
    if (mode == kModeEdit) {
        options.graphPeriod = stored_.graphPeriod;
        options.graphType = stored_.graphType;
    }
    options.DoModal();
    patient.graphPeriod = options.graphPeriod;
    patient.graphType = options.graphType;
    if (!Store(patient)) return;
    name = patient.name;
    EndDialog(IDOK);
}

bool CAddPatientDlg::Store(const Patient& patient) {
    switch (mode == kModeEdit ? ChangeUser(name, patient) : AddUser(patient)) {
    case UserChanged::Done:
        return true;
    case UserChanged::NameTaken:
        MessageBox(this, kNameTaken);
        return false;
    case UserChanged::Failed:
        break;
    }
    MessageBox(this, kNotSaved);
    return false;
}

void CAddPatientDlg::OnPaint(PaintSurface& dc) {
    PaintLabels(dc, {{10, 40, u"Please Enter your personal information:"},
                     {10, 70, u"Name"},
                     {10, 100, u"Birthdate"},
                     {10, 130, u"Sex"}});
}
