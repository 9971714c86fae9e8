#pragma once
// Control identifiers of template 102, the main window: the template and the dialog
// class (which derives from this) both name its controls by them.

struct VantrelIds {
    static constexpr int kInfoButton = 1004;
    static constexpr int kReportButton = 1005;
    static constexpr int kTestList = 1006;
    static constexpr int kGraphButton = 1007;
    static constexpr int kTakeTestButton = 1008;
    static constexpr int kSwitchUserButton = 1009;
    static constexpr int kCloseButton = 1010;
    static constexpr int kEditButton = 1011;
    static constexpr int kAboutButton = 1012;
};
