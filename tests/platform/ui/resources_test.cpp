// The resources: every template, the menu bar and the pictures the program names.

#include "platform/ui/dialog_template.h"
#include "platform/ui/menu_bar.h"
#include "res/bitmaps.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(Resources, EveryDialogTemplateExistsWithItsControlsInsideIt) {
    for (int id : {IDD_VANTREL, IDD_INSTALL, IDD_TEST_INFO, IDD_ADD_PATIENT, IDD_TAKE_TEST, IDD_SWITCH_USER,
                   IDD_ADD_RESULT, IDD_TEST_REPORT, IDD_GRAPH_OPTIONS, IDD_RESULTS_GRAPH, IDD_MODIFY_TEST, IDD_ABOUT}) {
        const DialogTemplate* dialog = FindDialogTemplate(id);
        ASSERT_NE(dialog, nullptr) << id;
        EXPECT_EQ(dialog->id, id);
        EXPECT_FALSE(dialog->caption.empty()) << id;
        EXPECT_EQ(dialog->fontFace, u"System");
        EXPECT_EQ(dialog->fontPoints, 8);
        std::set<int> ids;
        for (const ControlTemplate& control : dialog->controls) {
            EXPECT_GE(control.x, 0) << id;
            EXPECT_GE(control.y, 0) << id;
            EXPECT_LE(control.x + control.width, dialog->width) << id << " control " << control.id;
            EXPECT_LE(control.y + control.height, dialog->height) << id << " control " << control.id;
            if (control.id != -1) {
                EXPECT_TRUE(ids.insert(control.id).second) << id << " repeats " << control.id;
            }
            if (control.kind == ControlClass::StaticIcon) {
                EXPECT_NE(FindIcon(control.resource), nullptr);
            }
        }
    }
    EXPECT_EQ(FindDialogTemplate(4242), nullptr);

    const DialogTemplate& main = *FindDialogTemplate(IDD_VANTREL);
    EXPECT_EQ(main.caption, u"Vantrel");
    EXPECT_EQ(DialogUnitsToPixelsX(main.width), 240);
    EXPECT_EQ(FindDialogTemplate(IDD_INSTALL)->caption, u"Installation In Progress");
    EXPECT_TRUE(FindDialogTemplate(IDD_INSTALL)->controls.empty());
    EXPECT_FALSE(FindDialogTemplate(IDD_INSTALL)->style & kDlgVisible);
}

TEST(Resources, TheResultsGraphMenuBarOffersPeriodTypeAndExit) {
    const MenuBarTemplate* bar = FindMenuBarTemplate(IDMB_RESULTS_GRAPH);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->menuId, IDM_RESULTS_GRAPH);
    ASSERT_EQ(bar->buttons.size(), 3u);
    EXPECT_EQ(bar->buttons[0].commandId, ID_MENU_PERIOD);
    EXPECT_EQ(bar->buttons[0].stringId, 32773);
    EXPECT_EQ(bar->buttons[1].text, u"Type");
    EXPECT_EQ(bar->buttons[2].commandId, ID_EXIT);
    EXPECT_EQ(bar->buttons[2].popupIndex, -1);
    ASSERT_EQ(bar->popups.size(), 2u);
    std::set<int> commands;
    for (const MenuPopupTemplate& popup : bar->popups) {
        for (const MenuItemTemplate& item : popup.items) EXPECT_TRUE(commands.insert(item.commandId).second);
    }
    EXPECT_EQ(commands.size(), 10u);
    EXPECT_EQ(bar->popups[1].items[1].text, u"Line");
    EXPECT_EQ(bar->popups[1].items[1].commandId, ID_TYPE_LINE);
    EXPECT_EQ(FindMenuBarTemplate(4242), nullptr);
}

// The picture as rows of r (red), b (blue), k (black) and . (white).
std::string Picture(const BitmapResource& bitmap) {
    std::string rows;
    for (int y = 0; y < bitmap.height; ++y) {
        for (int x = 0; x < bitmap.width; ++x) {
            const PaletteEntry* pixel = BitmapPixel(bitmap, x, y);
            if (!pixel) return "bad pixel";
            const Color c = pixel->color;
            rows += c == Color{255, 0, 0} ? 'r' : c == Color{0, 0, 255} ? 'b' : c == kBlack ? 'k' : c == kWhite ? '.' : '?';
        }
        rows += '\n';
    }
    return rows;
}

std::string Bars(int redColumns, int blueColumns) {
    std::string rows;
    for (int y = 0; y < 16; ++y) {
        const int run = y >= 4 && y <= 7 ? redColumns : y >= 8 && y <= 11 ? blueColumns : 0;
        const char ink = y <= 7 ? 'r' : 'b';
        rows += std::string(static_cast<std::size_t>(run), ink) + std::string(static_cast<std::size_t>(16 - run), '.') + '\n';
    }
    return rows;
}

TEST(Resources, ReportIconsAreTheBarsOfTheGoalComparison) {
    EXPECT_EQ(Picture(*FindBitmap(IDB_BELOW_GOAL)), Bars(10, 16));
    EXPECT_EQ(Picture(*FindBitmap(IDB_AT_GOAL)), Bars(16, 16));
    EXPECT_EQ(Picture(*FindBitmap(IDB_ABOVE_GOAL)), Bars(16, 11));
    const std::string heading = Picture(*FindBitmap(IDB_HEADING));
    EXPECT_EQ(heading.find_first_not_of(".k\n"), std::string::npos);
    EXPECT_EQ(heading[7 * 17 + 7], 'k');  // the dot covers the middle
    EXPECT_EQ(heading[8 * 17 + 8], 'k');
    EXPECT_EQ(heading[0], '.');

    const BitmapResource* icon = FindIcon(IDI_VANTREL);
    ASSERT_NE(icon, nullptr);
    for (int y = 0; y < icon->height; ++y) {
        for (int x = 0; x < icon->width; ++x) EXPECT_NE(BitmapPixel(*icon, x, y), nullptr) << x << "," << y;
    }
    EXPECT_TRUE(BitmapPixel(*icon, 0, 0)->transparent);
    EXPECT_EQ(BitmapPixel(*icon, 16, 16), BitmapPixel(*icon, 16, 20));
    EXPECT_EQ(BitmapPixel(*icon, 99, 0), nullptr);
    EXPECT_EQ(FindBitmap(IDI_VANTREL), nullptr);
}

}  // namespace
