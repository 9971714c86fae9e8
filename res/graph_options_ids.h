#pragma once
// Control identifiers of template 137, Graph Options: the template and the dialog
// class (which derives from this) both name its controls by them.

#include "platform/ui/command_table.h"

struct GraphOptionsIds {
    static constexpr int kOkButton = IDOK;
    static constexpr int kPeriodBox = 1009;
    static constexpr int kTypeBox = 1022;
};
