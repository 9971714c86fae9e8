#pragma once
// Control identifiers of template 138, Results Graph: the template and the
// dialog class (which derives from this) both name its controls by them. Its
// menu's commands are in resource.h with the menu.

struct ResultsGraphIds {
    static constexpr int kResultBox = 1009;
};
