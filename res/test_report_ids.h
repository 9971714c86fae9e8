#pragma once
// Control identifiers of template 135, Test Report: the template and the dialog
// class (which derives from this) both name its controls by them.

#include "platform/ui/command_table.h"

struct TestReportIds {
    static constexpr int kCloseButton = IDOK;
    // An id of its own, not the cancel identifier: Escape closes the report.
    static constexpr int kTestInfoButton = 1004;
    static constexpr int kReportList = 1006;
    static constexpr int kDateBox = 1009;
};
