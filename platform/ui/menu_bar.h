#pragma once
// The menu bar at the bottom of a dialog: drop-down buttons that open pop-ups
// of a menu resource, and plain buttons. Chosen items reach the dialog's
// command table; check marks come from its update entries each time a pop-up opens.

#include <span>
#include <string>
#include <string_view>
#include <vector>

class CDialog;

struct MenuItemTemplate {
    std::u16string_view text;
    int commandId;
};

struct MenuPopupTemplate {
    std::u16string_view title;
    std::span<const MenuItemTemplate> items;
};

struct MenuBarButtonTemplate {
    int commandId;
    int stringId;
    std::u16string_view text;
    int popupIndex;  // pop-up of the menu it opens; -1 for a plain button
};

struct MenuBarTemplate {
    int id;
    int menuId;
    std::span<const MenuBarButtonTemplate> buttons;
    std::span<const MenuPopupTemplate> popups;
};

// Defined in res/; nullptr for an unknown id.
const MenuBarTemplate* FindMenuBarTemplate(int id);

class CMenuBar {
public:
    // Creates the bar from menu-bar resource `resourceId` at the bottom of `owner`.
    bool Create(CDialog& owner, int resourceId);

private:
    CDialog* owner_ = nullptr;
};
