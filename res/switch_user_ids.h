#pragma once
// Control identifiers of template 133, Switch User: the template and the dialog
// class (which derives from this) both name its controls by them.

struct SwitchUserIds {
    static constexpr int kOkButton = 1010;
    static constexpr int kAddButton = 1011;
    static constexpr int kEditButton = 1012;
    static constexpr int kDeleteButton = 1013;
    static constexpr int kCancelButton = 1014;
    static constexpr int kUserList = 1017;
};
