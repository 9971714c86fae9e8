#pragma once
// Control identifiers of template 132, Take Test: the template and the dialog
// class (which derives from this) both name its controls by them.

struct TakeTestIds {
    static constexpr int kTestInfoButton = 1004;
    static constexpr int kResultList = 1006;
    static constexpr int kCommentEdit = 1007;
    static constexpr int kDatePicker = 1008;
    static constexpr int kTestNameBox = 1009;
    static constexpr int kOkButton = 1010;
    static constexpr int kAddButton = 1011;
    static constexpr int kDeleteButton = 1012;
    static constexpr int kCancelButton = 1014;
};
