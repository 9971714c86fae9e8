#include "review/results_graph_dlg.h"

#include "platform/recording_surface.h"
#include "platform/records/testing.h"
#include "platform/text.h"
#include "res/resource.h"
#include "review_fixture.h"
#include "store/catalog_store.h"
#include "store/patient_store.h"
#include "support/desktop_locale.h"
#include "support/dialog_driver.h"
#include "support/stored_text.h"

#include <QAccessible>
#include <QApplication>
#include <QAction>
#include <QImage>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <string>
#include <vector>

namespace {

constexpr Color kGreen{0, 255, 0};
constexpr Color kRed{255, 0, 0};
constexpr Color kCyan{0, 255, 255};

class ResultsGraphDlgTest : public ReviewTest {
protected:
    void SetUp() override {
        ReviewTest::SetUp();
        AddResultName(u"Lipids", u"LDL");
        AddResultName(u"Lipids", u"HDL");
        ASSERT_TRUE(AddPatient(u"Ann", u"Female", MakeDate(1980, 1, 1), u"7", u"Line"));
        // HDL, the first item of the sorted box: 5 three days back, 6 five days back.
        Store(u"Ann", u"Lipids", DaysAgo(3), u"HDL", u"5", u"");
        Store(u"Ann", u"Lipids", DaysAgo(5), u"HDL", u"6", u"");
    }
    int Open(std::u16string_view user, std::u16string_view test, std::function<void(CResultsGraphDlg&)> script) {
        driver.Expect<CResultsGraphDlg>(IDD_RESULTS_GRAPH, script);
        CResultsGraphDlg dialog;
        dialog.userName = std::u16string(user);
        dialog.testName = std::u16string(test);
        const int result = dialog.DoModal();
        EXPECT_TRUE(driver.Failures().empty());
        EXPECT_EQ(driver.PendingScripts(), 0u);
        return result;
    }
    // The pop-up of the bar's button `title`, its check marks brought up to date as it opens.
    static QMenu* Popup(CResultsGraphDlg& d, const QString& title) {
        for (QToolButton* button : d.Widget()->findChildren<QToolButton*>()) {
            if (button->text() != title || !button->menu()) continue;
            emit button->menu()->aboutToShow();
            return button->menu();
        }
        ADD_FAILURE() << "no pop-up " << title.toStdString();
        return nullptr;
    }
    static QStringList Checked(CResultsGraphDlg& d, const QString& title) {
        QStringList checked;
        if (QMenu* menu = Popup(d, title))
            for (QAction* item : menu->actions())
                if (item->isChecked()) checked << item->text();
        return checked;
    }
    static void Choose(CResultsGraphDlg& d, const QString& title, const QString& item) {
        if (QMenu* menu = Popup(d, title))
            for (QAction* action : menu->actions())
                if (action->text() == item) action->trigger();
    }
    static void ClickExit(CResultsGraphDlg& d) {
        for (QToolButton* button : d.Widget()->findChildren<QToolButton*>())
            if (button->text() == "Exit") QTest::mouseClick(button, Qt::LeftButton);
    }
    DialogDriver driver;
};

using Texts = std::vector<std::u16string>;

TEST_F(ResultsGraphDlgTest, MenuChecksFollowThePeriodAndTypeAndExitStoresThem) {
    Open(u"Ann", u"Lipids", [](CResultsGraphDlg& d) {
        EXPECT_EQ((CComboBox{d, 1009}.SelectedText()), u"HDL");
        EXPECT_EQ(Checked(d, "Period"), QStringList{"Last week"});
        EXPECT_EQ(Checked(d, "Type"), QStringList{"Line"});
        Choose(d, "Period", "Last 60 days");
        Choose(d, "Type", "Bar");
        EXPECT_EQ(Checked(d, "Period"), QStringList{"Last 60 days"});
        EXPECT_EQ(Checked(d, "Type"), QStringList{"Bar"});
        ClickExit(d);
        EXPECT_TRUE(d.IsEnded());
    });
    EXPECT_EQ(GetGraphPeriod(u"Ann"), 60);
    EXPECT_EQ(StoredGraphType(u"Ann"), u"Bar");

    // The next opening shows the stored choice; a choice the disk cannot take is
    // said, and closing another way stores nothing.
    Open(u"Ann", u"Lipids", [this](CResultsGraphDlg& d) {
        EXPECT_EQ(Checked(d, "Period"), QStringList{"Last 60 days"});
        EXPECT_EQ(Checked(d, "Type"), QStringList{"Bar"});
        Choose(d, "Period", "Year to Date");
        EXPECT_EQ(Checked(d, "Period"), QStringList{"Year to Date"});
        SetStoreWriteFailureForTesting(true);
        ClickExit(d);
        SetStoreWriteFailureForTesting(false);
        EXPECT_FALSE(d.IsEnded());
        EXPECT_EQ(driver.Messages(), std::vector<std::u16string>{u"Could not save the graph settings. Check that "
                                                                 u"there is space on the disk and try again."});
        d.Widget()->close();
    });
    EXPECT_EQ(GetGraphPeriod(u"Ann"), 60);

    // "All Dates" and a user without a record check no period; the type stays as it was.
    ASSERT_TRUE(SetGraphPreferences(u"Ann", u"-2", u"Line"));
    Open(u"Ann", u"Lipids", [](CResultsGraphDlg& d) {
        EXPECT_TRUE(Checked(d, "Period").empty());
        EXPECT_EQ(Checked(d, "Type"), QStringList{"Line"});
        EXPECT_NE(RecordPaint(d).FindText(u"Average Value:5.50"), nullptr);
        d.Widget()->close();
    });
    Open(u"Nobody", u"Lipids", [](CResultsGraphDlg& d) {
        EXPECT_TRUE(Checked(d, "Period").empty());
        EXPECT_EQ(Checked(d, "Type"), QStringList{"Line"});
        const RecordingSurface drawn = RecordPaint(d);
        EXPECT_NE(drawn.FindText(u"No results for graphing"), nullptr);
        EXPECT_EQ(drawn.FindText(u"Average Value:0.00"), nullptr);
        ClickExit(d);  // no record to store into
    });
    EXPECT_FALSE(HasPatient(u"Nobody"));
}

// The menu bar by keys: Enter on a focused menu-bar button opens its pop-up
// (it used to close the graph as the dialog's Ok); Enter on Exit exits.
TEST_F(ResultsGraphDlgTest, EnterOnAMenuBarButtonPressesIt) {
    Open(u"Ann", u"Lipids", [](CResultsGraphDlg& d) {
        QToolButton* period = nullptr;
        QToolButton* exit = nullptr;
        for (QToolButton* button : d.Widget()->findChildren<QToolButton*>()) {
            if (button->text() == "Period") period = button;
            if (button->text() == "Exit") exit = button;
        }
        ASSERT_TRUE(period && exit);
        QWidget* shown = nullptr;
        QTimer::singleShot(0, [&] {
            shown = QApplication::activePopupWidget();
            if (shown) shown->close();
        });
        period->setFocus();
        QTest::keyClick(period, Qt::Key_Return);
        EXPECT_EQ(shown, period->menu());
        EXPECT_FALSE(d.IsEnded());
        exit->setFocus();
        QTest::keyClick(exit, Qt::Key_Return);
        EXPECT_TRUE(d.IsEnded());
    });
}

// What the graph shows, told to a screen reader as the window's description.
TEST_F(ResultsGraphDlgTest, DescribesTheGraphForAScreenReader) {
    Store(u"Ann", u"Lipids", DaysAgo(4), u"LDL", u"100", u"0-130", u"mg/dL");
    Store(u"Ann", u"Lipids", DaysAgo(1), u"LDL", u"120.5", u"0-130", u"mg/dL");
    Open(u"Ann", u"Lipids", [](CResultsGraphDlg& d) {
        const auto described = [&d] {
            return QAccessible::queryAccessibleInterface(d.Widget())->text(QAccessible::Description).toStdString();
        };
        EXPECT_EQ(described(), "HDL, the last 7 days: 2 values; latest 5 on 3/12/2024; no goal; average 5.50");
        CComboBox{d, CResultsGraphDlg::kResultBox}.UserChoose(1);
        EXPECT_EQ(described(), "LDL, the last 7 days: 2 values; latest 120.5 mg/dL on 3/14/2024; "
                               "goal 0 to 130 mg/dL; average 110.25 mg/dL");
        Choose(d, "Period", "Today");
        EXPECT_EQ(described(), "LDL, today: no values");
        d.Widget()->close();
    });
}

// Values and goals are read whole, the desktop's way or plainly: what is no
// number is left out of the picture and the average, and the graph says how
// many; numbers are written the desktop's way. The graph opens on a result
// with values in the period: the one chosen last when it has some.
TEST_F(ResultsGraphDlgTest, GraphsWholeNumbersTheDesktopsWayFromAResultWithValues) {
    AddResultName(u"Lipids", u"Apo B");  // sorts first, and has no values
    AddResultName(u"Lipids", u"LDL");
    Store(u"Ann", u"Lipids", DaysAgo(1), u"LDL", u"n/a", u"<6");
    Store(u"Ann", u"Lipids", DaysAgo(2), u"LDL", u"5,4", u"<6");
    Store(u"Ann", u"Lipids", DaysAgo(4), u"LDL", u"6.1", u"<6");
    const auto described = [](CResultsGraphDlg& d) { return d.Widget()->accessibleDescription().toStdString(); };
    {
        const DesktopLocale german(QLocale::German);
        Open(u"Ann", u"Lipids", [&](CResultsGraphDlg& d) {
            CComboBox box{d, CResultsGraphDlg::kResultBox};
            EXPECT_EQ(box.SelectedText(), u"HDL");
            box.UserChoose(box.FindStringExact(-1, u"LDL"));
            EXPECT_EQ(described(d), "LDL, the last 7 days: 2 values (1 value left out, not numbers); latest 5,4 on "
                                    "3/13/2024; goal below 6; average 5,75");
            const RecordingSurface drawn = RecordPaint(d);
            for (const char16_t* text : {u"Average Value:5,75", u"Left out: 1 value", u"not read as numbers", u"6,1",
                                         u"5,4"})
                EXPECT_NE(drawn.FindText(text), nullptr) << TextToUtf8(text);
            ClickExit(d);
        });
    }
    const DesktopLocale english(QLocale::English);
    Open(u"Ann", u"Lipids", [&](CResultsGraphDlg& d) {
        EXPECT_EQ((CComboBox{d, CResultsGraphDlg::kResultBox}.SelectedText()), u"LDL");  // chosen last
        EXPECT_EQ(described(d), "LDL, the last 7 days: 1 value (2 values left out, not numbers); latest 6.1 on "
                                "3/11/2024; goal below 6; average 6.10");
        ClickExit(d);
    });
    // Today only HDL has a value: the choice of last time has none.
    Store(u"Ann", u"Lipids", DaysAgo(0), u"HDL", u"4", u"");
    ASSERT_TRUE(SetGraphPreferences(u"Ann", u"0", u"Line"));
    Open(u"Ann", u"Lipids", [](CResultsGraphDlg& d) {
        EXPECT_EQ((CComboBox{d, CResultsGraphDlg::kResultBox}.SelectedText()), u"HDL");
        d.SendCommand(IDCANCEL);
    });
}

TEST_F(ResultsGraphDlgTest, TestWithoutResultNamesSaysSoAndCloses) {
    // The dialog ends while it initialises: no script is needed, none may be left.
    CResultsGraphDlg dialog;
    dialog.userName = u"Ann";
    dialog.testName = u"Unknown";
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(driver.Messages(), Texts{u"No results available for graphing"});
    EXPECT_TRUE(driver.Failures().empty());
}

bool IsColor(const QImage& image, int x, int y, Color c) {
    const QColor pixel = image.pixelColor(x, y);
    return pixel.red() == c.red && pixel.green() == c.green && pixel.blue() == c.blue;
}

QImage Shot(CResultsGraphDlg& d) { return d.Widget()->grab().toImage(); }

TEST_F(ResultsGraphDlgTest, RendersBarAndLineCharts) {
    // A goal of 0: the band and the goal columns stand on the axis.
    Store(u"Ann", u"Lipids", DaysAgo(3), u"HDL", u"5", u"0");
    Store(u"Ann", u"Lipids", DaysAgo(5), u"HDL", u"6", u"0");
    Open(u"Ann", u"Lipids", [](CResultsGraphDlg& d) {
        const QImage line = Shot(d);
        EXPECT_TRUE(IsColor(line, 100, 192, kGreen));  // the goal band 190 to 195
        EXPECT_TRUE(IsColor(line, 100, 185, kWhite));
        EXPECT_TRUE(IsColor(line, 137, 67, kRed));     // marker of the value 5
        EXPECT_TRUE(IsColor(line, 78, 120, kWhite));   // no bars
        EXPECT_TRUE(IsColor(line, 15, 100, kBlack));

        Choose(d, "Type", "Bar");
        const QImage bar = Shot(d);
        EXPECT_TRUE(IsColor(bar, 15, 100, kBlack));    // vertical axis
        EXPECT_TRUE(IsColor(bar, 100, 200, kBlack));   // horizontal axis
        EXPECT_TRUE(IsColor(bar, 78, 120, kGreen));    // the value 6 bar, x 75 to 81 from y 40
        EXPECT_TRUE(IsColor(bar, 78, 30, kWhite));     // above it
        EXPECT_TRUE(IsColor(bar, 138, 120, kGreen));   // the value 5 bar from y 65
        EXPECT_TRUE(IsColor(bar, 138, 55, kWhite));
        EXPECT_TRUE(IsColor(bar, 85, 195, kRed));      // the goal column over the cyan one
        EXPECT_TRUE(IsColor(bar, 17, 232, kCyan));     // legend
        d.SendCommand(IDCANCEL);
    });
}

// Glucose once in mmol/L, now in mg/dL: one graph in the latest unit, the old
// value and its goal converted, a value in a unit that does not convert left
// out and counted; the axis and the description name the unit.
TEST_F(ResultsGraphDlgTest, DrawsValuesInOtherUnitsInTheLatestUnit) {
    AddResultName(u"Sugar", u"Glucose");
    Store(u"Ann", u"Sugar", DaysAgo(5), u"Glucose", u"5.4", u"3.9-5.5", u"mmol/L");
    Store(u"Ann", u"Sugar", DaysAgo(3), u"Glucose", u"2", u"", u"mEq/L");
    Store(u"Ann", u"Sugar", DaysAgo(1), u"Glucose", u"100", u"70-100", u"mg/dL");
    Open(u"Ann", u"Sugar", [](CResultsGraphDlg& d) {
        EXPECT_EQ(d.Widget()->accessibleDescription(),
                  "Glucose, the last 7 days: 2 values; 1 value in mmol/L converted to mg/dL as Glucose; 1 value in "
                  "mEq/L not shown; latest 100 mg/dL on 3/14/2024; goal 70 to 99 mg/dL; average 98.50 mg/dL");
        // 97 and 100 mg/dL over the goal 70-99 mg/dL: the range 70 to 100, 5 pixels a unit.
        const QImage shot = Shot(d);
        EXPECT_TRUE(IsColor(shot, 77, 57, kRed));     // 5.4 mmol/L as 97 mg/dL, 5 days back
        EXPECT_TRUE(IsColor(shot, 197, 42, kRed));    // 100 mg/dL yesterday
        EXPECT_TRUE(IsColor(shot, 100, 47, kGreen));  // the goal band from 99 ...
        EXPECT_TRUE(IsColor(shot, 100, 188, kGreen)); // ... down to 70
        EXPECT_TRUE(IsColor(shot, 100, 43, kWhite));
        for (int y = 20; y < 200; ++y) EXPECT_FALSE(IsColor(shot, 137, y, kRed)) << y;  // no mEq/L marker
        const RecordingSurface drawn = RecordPaint(d);
        for (const char16_t* text : {u"mg/dL", u"1 value in mmol/L", u"converted to mg/dL", u"1 value in mEq/L",
                                     u"not shown", u"Average Value:98.50"})
            EXPECT_NE(drawn.FindText(text), nullptr) << TextToUtf8(text);
        d.SendCommand(IDCANCEL);
    });
}

// A stored period the menu does not offer, a multiple of 31, and series that
// cannot be scaled as usual draw without dividing by nothing; every date
// keeps the 60 most recent tests.
TEST_F(ResultsGraphDlgTest, DrawsOddPeriodsAndSeriesAndKeepsTheSixtyMostRecent) {
    ASSERT_TRUE(SetGraphPreferences(u"Ann", u"62", u"Bar"));
    Open(u"Ann", u"Lipids", [](CResultsGraphDlg& d) {
        const QImage shot = Shot(d);
        EXPECT_TRUE(IsColor(shot, 209, 120, kGreen));  // the value 6 bar, x 208 to 211, shows its colour
        EXPECT_TRUE(IsColor(shot, 215, 195, kGreen));  // and so does the last one, a pixel narrower
        d.SendCommand(IDCANCEL);
    });

    ASSERT_TRUE(SetGraphPreferences(u"Ann", u"-2", u"Line"));
    Store(u"Ann", u"Lipids", DaysAgo(1), u"Words", u"none", u"");
    Store(u"Ann", u"Lipids", DaysAgo(0), u"Flat", u"5.5", u"5.5");
    Store(u"Ann", u"Lipids", DaysAgo(1), u"Huge", u"1e308", u"");
    Store(u"Ann", u"Lipids", DaysAgo(2), u"Huge", u"-1e308", u"");
    for (int age = 0; age < 65; ++age) Store(u"Ann", u"Lipids", DaysAgo(age), u"Many", IntToText(age + 1), u"");
    for (const char16_t* name : {u"Words", u"Flat", u"Huge", u"Many"}) AddResultName(u"Lipids", name);
    Open(u"Ann", u"Lipids", [](CResultsGraphDlg& d) {
        CComboBox box(d, 1009);
        const auto show = [&](std::u16string_view result) {
            box.UserChoose(box.FindStringExact(-1, result));
            return Shot(d);
        };
        EXPECT_TRUE(IsColor(show(u"Words"), 15, 100, kWhite));  // no axes, only the message
        EXPECT_NE(RecordPaint(d).FindText(u"No numerical results for graphing"), nullptr);
        const QImage flat = show(u"Flat");  // one date, one value: today's marker at the top
        EXPECT_TRUE(IsColor(flat, 227, 42, kRed));
        EXPECT_TRUE(IsColor(flat, 20, 1, kGreen));  // the goal band along the top edge
        EXPECT_NE(RecordPaint(d).FindText(u"5.5"), nullptr);  // the scale's label, not cut to a whole number
        EXPECT_TRUE(IsColor(show(u"Huge"), 15, 100, kBlack));
        EXPECT_NE(RecordPaint(d).FindText(u"Average Value:0.00"), nullptr);
        EXPECT_NE(RecordPaint(d).FindText(u"1e+308"), nullptr);
        show(u"Many");
        EXPECT_EQ(d.Widget()->accessibleDescription(),
                  "Many, every date: 60 values; latest 1 on 3/15/2024; no goal; average 30.50");
        d.SendCommand(IDCANCEL);
    });
}

}  // namespace
