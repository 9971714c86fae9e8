#pragma once
// Control identifiers of template 131, Add Patient: the template and the dialog
// class (which derives from this) both name its controls by them.

struct AddPatientIds {
    static constexpr int kOkButton = 1010;
    static constexpr int kCancelButton = 1014;
    static constexpr int kNameEdit = 1018;
    static constexpr int kBirthdatePicker = 1019;
    static constexpr int kSexBox = 1020;
};
