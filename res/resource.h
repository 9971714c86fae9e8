#pragma once
// Resource identifiers: dialog templates, the menu and menu bar, bitmaps, the icon.

// Dialog templates.
inline constexpr int IDD_VANTREL = 102;        // main window
inline constexpr int IDD_INSTALL = 129;        // Installation window
inline constexpr int IDD_TEST_INFO = 130;
inline constexpr int IDD_ADD_PATIENT = 131;
inline constexpr int IDD_TAKE_TEST = 132;
inline constexpr int IDD_SWITCH_USER = 133;
inline constexpr int IDD_ADD_RESULT = 134;
inline constexpr int IDD_TEST_REPORT = 135;
inline constexpr int IDD_GRAPH_OPTIONS = 137;
inline constexpr int IDD_RESULTS_GRAPH = 138;
inline constexpr int IDD_MODIFY_TEST = 150;
inline constexpr int IDD_ABOUT = 154;

// The icon and the report bitmaps.
inline constexpr int IDI_VANTREL = 128;
inline constexpr int IDB_BELOW_GOAL = 136;
inline constexpr int IDB_AT_GOAL = 137;
inline constexpr int IDB_ABOVE_GOAL = 138;
inline constexpr int IDB_HEADING = 153;

// The Results Graph's menu (139) and menu bar (139).
inline constexpr int IDM_RESULTS_GRAPH = 139;
inline constexpr int IDMB_RESULTS_GRAPH = 139;
inline constexpr int ID_MENU_PERIOD = 32771;
inline constexpr int ID_MENU_TYPE = 32774;
inline constexpr int ID_PERIOD_TODAY = 32779;
inline constexpr int ID_PERIOD_WEEK = 32780;
inline constexpr int ID_PERIOD_14_DAYS = 32781;
inline constexpr int ID_PERIOD_MONTH = 32782;
inline constexpr int ID_PERIOD_60_DAYS = 32783;
inline constexpr int ID_PERIOD_90_DAYS = 32798;
inline constexpr int ID_PERIOD_6_MONTHS = 32785;
inline constexpr int ID_PERIOD_YEAR = 32786;
inline constexpr int ID_TYPE_BAR = 32777;
inline constexpr int ID_TYPE_LINE = 32778;
inline constexpr int ID_EXIT = 32803;

// The main window's About command that no control carries.
inline constexpr int ID_APP_ABOUT = 32651;
