#pragma once
// Control identifiers of template 150, Modify Test: the template and the dialog
// class (which derives from this) both name its controls by them.

#include "platform/ui/command_table.h"

struct ModifyTestIds {
    static constexpr int kCloseButton = IDOK;
    static constexpr int kDateList = 1006;
    static constexpr int kAddButton = 1011;
    static constexpr int kDeleteButton = 1012;
    static constexpr int kEditButton = 1013;
};
