#pragma once
// Control identifiers of template 130, Test Info: the template and the dialog
// class (which derives from this) both name its controls by them.

struct TestInfoIds {
    static constexpr int kWhyButton = 1001;
    static constexpr int kTestBox = 1002;
    static constexpr int kWhenButton = 1003;
    static constexpr int kHowButton = 1004;
    static constexpr int kHomeButton = 1008;
    static constexpr int kResultsButton = 1009;
    static constexpr int kExitButton = 1011;
    static constexpr int kTextScroll = 1012;
};
