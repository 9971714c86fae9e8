// The list box and list views the windows fill.

#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "res/resource.h"
#include "support/list_rows.h"

#include <QAccessible>
#include <QApplication>
#include <QListView>
#include <QListWidget>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace {

using Names = std::vector<std::u16string>;

// Switch User's sorted list box, filled at once as from the store (whose order
// leaves accented and hyphenated names out of place), then kept one name at a
// time, in the word sort the drop-down boxes share: case ignored, accents
// counting, hyphens and apostrophes nearly ignored.
TEST(ListBox, FillsAtOnceInTheWordSortAndKeepsTheOneAtATimeRules) {
    CDialog dialog(IDD_SWITCH_USER);
    ASSERT_TRUE(dialog.Create(nullptr));
    CListBox users{dialog, 1017};
    users.SetItems({u"Zoe", u"\u00c9mile", u"o'Neil", u"Oneida", u"emil", u"Anna-Lena", u"anna", u"Annabel"});
    EXPECT_EQ(ListBoxRows(dialog, 1017),
              (Names{u"anna", u"Annabel", u"Anna-Lena", u"emil", u"\u00c9mile", u"Oneida", u"o'Neil", u"Zoe"}));
    EXPECT_EQ(users.GetCurSel(), -1);

    EXPECT_EQ(users.AddString(u"Bea"), 3);  // one at a time, the same order
    EXPECT_EQ(users.FindStringExact(-1, u"EMILE"), -1);  // the accent counts
    EXPECT_EQ(users.SelectString(0, u"\u00e9"), 5);
    EXPECT_EQ(users.GetText(users.GetCurSel()), u"\u00c9mile");
    EXPECT_EQ(users.DeleteString(5), 8);
    EXPECT_EQ(users.GetCurSel(), -1);  // no neighbour takes the selection

    // A screen reader reads the rows as the list's items, the selected one so
    // (a letter typed selects the next name beginning with it: Switch User's test).
    users.SetCurSel(users.FindStringExact(-1, u"Oneida"));
    auto* view = qobject_cast<QListView*>(dialog.ControlWidget(1017));
    ASSERT_NE(view, nullptr);
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(view);
    ASSERT_EQ(list->childCount(), users.GetCount());
    EXPECT_EQ(list->child(3)->role(), QAccessible::ListItem);
    EXPECT_EQ(list->child(3)->text(QAccessible::Name), "Bea");
    EXPECT_TRUE(list->child(5)->state().selected);

    // One long name widens no row: it ends short, and no sideways scroll bar comes.
    users.AddString(std::u16string(300, u'W'));
    dialog.Widget()->show();
    QApplication::processEvents();
    EXPECT_FALSE(view->horizontalScrollBar()->isVisible());
    EXPECT_EQ(view->visualRect(view->model()->index(0, 0)).width(), view->viewport()->width());
}

// Take Test adds a row unless one begins with its text, ignoring case; the
// first selected row is the main window's test's.
TEST(ListView, InsertsAtRowsAndFindsBeginnings) {
    CDialog dialog(IDD_TAKE_TEST);
    ASSERT_TRUE(dialog.Create(nullptr));
    CListCtrl rows{dialog, 1006};
    EXPECT_EQ(rows.InsertItem(0, u"LDL [ 120 vs 100 ] mg/dL"), 0);
    EXPECT_EQ(rows.InsertItem(0, u"HDL [ 50 vs 60 ] mg/dL"), 0);
    EXPECT_EQ(rows.InsertItem(9, u"Glucose [ 95 vs 70-100 ] mg/dL"), 2);  // beyond the end appends
    EXPECT_EQ(rows.GetItemText(1), u"LDL [ 120 vs 100 ] mg/dL");

    const int partial = kFindString | kFindPartial;
    EXPECT_EQ(rows.FindItem(partial, -1, u"ldl [ 120"), 1);
    EXPECT_EQ(rows.FindItem(partial, -1, u"LDL [ 120 vs 100 ] mg/dL"), 1);
    EXPECT_EQ(rows.FindItem(partial, -1, u"LDL [ 120 vs 100 ] mg/dL extra"), -1);
    EXPECT_EQ(rows.FindItem(partial, 1, u"HDL"), -1);  // no wrap-around
    EXPECT_EQ(rows.FindItem(kFindString, -1, u"hdl"), -1);  // whole text without the partial flag
}

// A row shows its picture, white see-through and the colours kept; an index
// past the list's end keeps the picture's room blank (the report's icons on
// the screen are the report's test).
TEST(ListView, ShowsPicturesOfItsImageListByIndex) {
    CDialog dialog(IDD_TEST_REPORT);
    ASSERT_TRUE(dialog.Create(nullptr));
    CListCtrl report{dialog, 1006};
    CImageList images;
    ASSERT_TRUE(images.Create(16, 16, true, 0, 6));
    for (int bitmap : {IDB_BELOW_GOAL, IDB_AT_GOAL, IDB_ABOVE_GOAL, IDB_HEADING}) images.Add(bitmap, kWhite);
    report.SetImageList(&images);
    report.InsertItem(0, u"Test Results:", 3);
    report.InsertItem(1, u"a comment", 4);

    auto* list = qobject_cast<QListWidget*>(dialog.ControlWidget(1006));
    ASSERT_NE(list, nullptr);
    const QImage heading = list->item(0)->icon().pixmap(16, 16).toImage();
    EXPECT_EQ(qAlpha(heading.pixel(0, 0)), 0);
    EXPECT_EQ(heading.pixelColor(7, 7), QColor(0, 0, 0));
    EXPECT_EQ(qAlpha(list->item(1)->icon().pixmap(16, 16).toImage().pixel(8, 8)), 0);
}

}  // namespace
