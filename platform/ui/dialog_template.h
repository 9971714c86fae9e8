#pragma once
// Dialog templates as data: each dialog's controls with identifiers, texts,
// positions and sizes in dialog units, and styles. The tables live in res/.

#include <cstdint>
#include <span>
#include <string_view>

enum class ControlClass { Button, Edit, ComboBox, ListBox, ListView, DateTimePicker, StaticIcon, VScrollBar };

// Control styles (combinable).
enum ControlStyle : std::uint32_t {
    kStyleNone = 0,
    kStyleDefaultButton = 1u << 0,   // default push button
    kStyleTabStop = 1u << 1,
    kStyleBorder = 1u << 2,
    kStyleAutoHScroll = 1u << 3,     // one-line edit that scrolls horizontally
    kStyleDropDown = 1u << 4,        // combo box: drop-down with an edit field
    kStyleSorted = 1u << 5,          // combo box or list box keeps its items sorted
    kStyleVScroll = 1u << 6,
    kStyleSmallIcon = 1u << 7,       // list view: small-icon view
    kStyleNoLabelWrap = 1u << 8,
    kStyleNoColumnHeader = 1u << 9,
    kStyleNotify = 1u << 10,         // list box notifies its parent
    kStyleNoIntegralHeight = 1u << 11,
    kStyleShortDate = 1u << 12,      // date-time picker: short date format
    kStyleVisible = 1u << 13,
    // List view whose rows are all one short line, narrower than the list:
    // sized once from the first row rather than each row laid out to size it.
    kStyleUniformRows = 1u << 14,
};

// Window styles of a dialog (combinable).
enum DialogStyle : std::uint32_t {
    kDlgPopup = 1u << 0,
    kDlgCaption = 1u << 1,
    kDlgSysMenu = 1u << 2,
    kDlgModalFrame = 1u << 3,
    kDlgVisible = 1u << 4,
    kDlgSetFont = 1u << 5,
    kDlgExAppWindow = 1u << 8,       // extended: application window
    kDlgExCaptionOkButton = 1u << 9, // extended: an OK button in the caption
};

struct ControlTemplate {
    int id;                 // -1 for a static control without identifier
    ControlClass kind;
    std::u16string_view text;
    int x, y, width, height;  // dialog units
    std::uint32_t style;
    int resource = 0;       // icon resource of a static icon
};

struct DialogTemplate {
    int id;
    std::u16string_view caption;
    int width, height;        // dialog units
    std::u16string_view fontFace;
    int fontPoints;
    std::uint32_t style;
    std::span<const ControlTemplate> controls;
};

// Every dialog template of the program (defined in res/); nullptr for an unknown id.
const DialogTemplate* FindDialogTemplate(int id);

// Fixed dialog base units: a template 140 units wide fills a screen 240 pixels
// wide. Units are square, so the labels the dialogs paint at fixed pixels line
// up with the controls beside them ("Name" at y = 70 beside an edit at 41 units).
inline constexpr int DialogUnitsToPixelsX(int units) { return units * 12 / 7; }
inline constexpr int DialogUnitsToPixelsY(int units) { return units * 12 / 7; }

// On the handheld every dialog fills the screen below its caption; a smaller
// template still gets this whole client area (the Installation window paints
// its message at y = 124 in a template 62 units high).
inline constexpr int kScreenClientWidth = 240;
inline constexpr int kScreenClientHeight = 268;
