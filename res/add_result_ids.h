#pragma once
// Control identifiers of template 134, Add Test Result: the template and the dialog
// class (which derives from this) both name its controls by them.

#include "platform/ui/command_table.h"

struct AddResultIds {
    static constexpr int kOkButton = IDOK;
    static constexpr int kCancelButton = IDCANCEL;
    static constexpr int kResultNameBox = 1007;
    static constexpr int kValueEdit = 1008;
    static constexpr int kGoalEdit = 1009;
    static constexpr int kUnitEdit = 1010;
};
