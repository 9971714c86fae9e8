#pragma once
// Adds a user (patient) or changes one: name, birthdate, sex, then the graph
// preferences through Graph Options.

#include "platform/ui/command_table.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "res/add_patient_ids.h"

#include "store/patient_store.h"

#include <string>

class CAddPatientDlg : public CDialog, public AddPatientIds {
public:
    // 0: first run with the owner's name; 1: edit the user `name`; 2: new user, sample name shown.
    enum Mode { kModeOwner = 0, kModeEdit = 1, kModeNew = 2 };

    explicit CAddPatientDlg(CDialog* parent = nullptr);

    // Set by the caller in modes 0 and 1; after Ok, the name that was stored.
    std::u16string name;
    int mode = 0;

    bool OnInitDialog() override;
    // Enter stores through the Ok button's handler rather than ending unsaved.
    void OnOK() override;
    const CommandTable& Commands() const override;

private:
    void OnOkButton();
    void OnPaint(PaintSurface& dc);
    void StartAsNewUser(std::u16string_view shownName);
    // False, after saying why, when the user could not be stored.
    bool Store(const Patient& patient);

    // Mode 1: the user as stored when the dialog opened.
    Patient stored_;

    CComboBox sexBox_{*this, kSexBox};
    CEdit nameEdit_{*this, kNameEdit};
    CDateTimeCtrl birthdatePicker_{*this, kBirthdatePicker};
};
