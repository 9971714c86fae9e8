#pragma once
// Menus and menu bars as data: the pop-ups of a menu resource and the buttons
// of the bar that shows them. The tables live in res/.

#include <span>
#include <string_view>

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
