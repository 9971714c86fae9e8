// The menu bar: its buttons and pop-ups, check marks from the update entries, chosen commands.

#include "platform/ui/dialog.h"
#include "platform/ui/menu_bar.h"
#include "res/resource.h"

#include <QMenu>
#include <QToolButton>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

class GraphWindow : public CDialog {
public:
    GraphWindow() : CDialog(IDD_RESULTS_GRAPH) {}
    bool OnInitDialog() override {
        CDialog::OnInitDialog();
        created = bar.Create(*this, IDMB_RESULTS_GRAPH);
        return true;
    }
    const CommandTable& Commands() const override {
        static const CommandTable table{
            BindCommand(ID_PERIOD_TODAY, &GraphWindow::OnToday),
            BindCommand(ID_PERIOD_WEEK, &GraphWindow::OnWeek),
            BindCommand(ID_EXIT, &GraphWindow::OnExit),
            BindUpdateUI(ID_PERIOD_TODAY, &GraphWindow::OnUpdateToday),
            BindUpdateUI(ID_PERIOD_WEEK, &GraphWindow::OnUpdateWeek),
        };
        return table;
    }
    void OnToday() { period = 0; }
    void OnWeek() { period = 7; }
    void OnExit() { ++exits; }
    void OnUpdateToday(CCmdUI& ui) { ui.SetCheck(period == 0); }
    void OnUpdateWeek(CCmdUI& ui) { ui.SetCheck(period == 7); }

    CMenuBar bar;
    bool created = false;
    int period = 0, exits = 0;
};

std::vector<bool> Checks(const std::vector<MenuItemState>& items) {
    std::vector<bool> checks;
    for (const MenuItemState& item : items) checks.push_back(item.checked);
    return checks;
}

TEST(MenuBar, PopupsShowCheckMarksFromTheUpdateEntriesAndChoicesReachTheTable) {
    GraphWindow graph;
    ASSERT_TRUE(graph.Create(nullptr));
    ASSERT_TRUE(graph.created);
    EXPECT_TRUE(graph.bar.IsCreated());
    EXPECT_FALSE(graph.bar.Create(graph, IDMB_RESULTS_GRAPH));  // one bar per dialog

    const std::vector<MenuItemState> periods = graph.bar.OpenPopup(0);
    ASSERT_EQ(periods.size(), 8u);
    EXPECT_EQ(Checks(periods), (std::vector<bool>{true, false, false, false, false, false, false, false}));

    graph.bar.UserChoose(ID_PERIOD_WEEK);
    EXPECT_EQ(graph.period, 7);
    EXPECT_EQ(Checks(graph.bar.OpenPopup(0)), (std::vector<bool>{false, true, false, false, false, false, false, false}));
    EXPECT_EQ(graph.bar.OpenPopup(1).size(), 2u);
    EXPECT_TRUE(graph.bar.OpenPopup(2).empty());

    graph.bar.UserChoose(ID_EXIT);
    graph.bar.UserChoose(ID_APP_ABOUT);  // not on this bar: nothing happens
    EXPECT_EQ(graph.exits, 1);

    // The Qt pop-up brings its marks up to date as it opens, and its items send their commands.
    QMenu* periodMenu = nullptr;
    for (QToolButton* button : graph.Widget()->findChildren<QToolButton*>()) {
        if (button->text() == QStringLiteral("Period")) periodMenu = button->menu();
    }
    ASSERT_NE(periodMenu, nullptr);
    emit periodMenu->aboutToShow();
    EXPECT_TRUE(periodMenu->actions()[1]->isChecked());
    EXPECT_FALSE(periodMenu->actions()[0]->isChecked());
    periodMenu->actions()[0]->trigger();
    EXPECT_EQ(graph.period, 0);

}

}  // namespace
