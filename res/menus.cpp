// Menu 139 of the Results Graph and the menu bar 139 that shows it.

#include "platform/ui/menu_template.h"
#include "res/resource.h"

#include <array>

namespace {

constexpr int kPeriodStringId = 32773;
constexpr int kTypeStringId = 32776;
constexpr int kExitStringId = 32805;

constexpr std::array kPeriodItems{
    MenuItemTemplate{u"Today", ID_PERIOD_TODAY},
    MenuItemTemplate{u"Last week", ID_PERIOD_WEEK},
    MenuItemTemplate{u"Last 14 days", ID_PERIOD_14_DAYS},
    MenuItemTemplate{u"Last month", ID_PERIOD_MONTH},
    MenuItemTemplate{u"Last 60 days", ID_PERIOD_60_DAYS},
    MenuItemTemplate{u"Last 90 days", ID_PERIOD_90_DAYS},
    MenuItemTemplate{u"Last 6 month", ID_PERIOD_6_MONTHS},
    MenuItemTemplate{u"Year to Date", ID_PERIOD_YEAR},
};

constexpr std::array kTypeItems{
    MenuItemTemplate{u"Bar", ID_TYPE_BAR},
    MenuItemTemplate{u"Line", ID_TYPE_LINE},
};

constexpr std::array kResultsGraphPopups{
    MenuPopupTemplate{u"Period", kPeriodItems},
    MenuPopupTemplate{u"Type", kTypeItems},
};

constexpr std::array kResultsGraphButtons{
    MenuBarButtonTemplate{ID_MENU_PERIOD, kPeriodStringId, u"Period", 0},
    MenuBarButtonTemplate{ID_MENU_TYPE, kTypeStringId, u"Type", 1},
    MenuBarButtonTemplate{ID_EXIT, kExitStringId, u"Exit", -1},
};

constexpr std::array kMenuBars{
    MenuBarTemplate{IDMB_RESULTS_GRAPH, IDM_RESULTS_GRAPH, kResultsGraphButtons, kResultsGraphPopups},
};

}  // namespace

const MenuBarTemplate* FindMenuBarTemplate(int id) {
    for (const MenuBarTemplate& bar : kMenuBars) {
        if (bar.id == id) return &bar;
    }
    return nullptr;
}
