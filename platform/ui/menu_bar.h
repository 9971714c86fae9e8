#pragma once
// The menu bar at the bottom of a dialog: drop-down buttons that open pop-ups
// of a menu resource, and plain buttons. Chosen items reach the dialog's
// command table; check marks come from its update entries each time a pop-up opens.

#include "platform/ui/menu_template.h"

class CDialog;

// Marks the bar's own widget, which a screen reader finds as a tool bar.
inline constexpr char kMenuBarStrip[] = "vantrelMenuBarStrip";

class CMenuBar {
public:
    // Creates the bar from menu-bar resource `resourceId` at the bottom of `owner`.
    bool Create(CDialog& owner, int resourceId);

private:
    CDialog* owner_ = nullptr;
};
