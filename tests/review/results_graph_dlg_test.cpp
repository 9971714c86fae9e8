#include "review/results_graph_dlg.h"

#include "platform/recording_surface.h"
#include "platform/records/testing.h"
#include "platform/text.h"
#include "res/resource.h"
#include "review_fixture.h"
#include "store/catalog_store.h"
#include "store/patient_store.h"
#include "support/desktop_locale.h"
#include "support/screen.h"
#include "support/stored_text.h"

#include <QAction>
#include <QImage>
#include <QMenu>
#include <QTest>
#include <QToolButton>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

constexpr Color kGreen{0, 255, 0};
constexpr Color kRed{255, 0, 0};
constexpr Color kCyan{0, 255, 255};

struct Pixel {
    int x, y;
    Color color;
};

// The window's grabbed pixels at each point.
void ExpectPixels(CResultsGraphDlg& d, std::initializer_list<Pixel> pixels) {
    const QImage shot = d.Widget()->grab().toImage();
    for (const Pixel& p : pixels)
        EXPECT_EQ(shot.pixelColor(p.x, p.y), QColor(p.color.red, p.color.green, p.color.blue)) << p.x << "," << p.y;
}

void ExpectDrawn(CResultsGraphDlg& d, std::initializer_list<const char16_t*> texts) {
    const RecordingSurface drawn = RecordPaint(d);
    for (const char16_t* text : texts) EXPECT_NE(drawn.FindText(text), nullptr) << TextToUtf8(text);
}

std::string Described(CResultsGraphDlg& d) { return d.Widget()->accessibleDescription().toStdString(); }

void Show(CResultsGraphDlg& d, std::u16string_view result) {
    CComboBox box(d, CResultsGraphDlg::kResultBox);
    box.UserChoose(box.FindStringExact(-1, result));
}

class ResultsGraphDlgTest : public ReviewTest {
protected:
    void SetUp() override {
        ReviewTest::SetUp();
        AddResultName(u"Lipids", u"LDL");
        AddResultName(u"Lipids", u"HDL");
        ASSERT_TRUE(AddPatient(u"Ann", u"Female", MakeDate(1980, 1, 1), u"7", u"Line"));
        // HDL, the first item of the sorted box: 5 three days back, 6 five days back.
        Store(u"Ann", u"Lipids", DateDaysBeforeNow(3), u"HDL", u"5", u"");
        Store(u"Ann", u"Lipids", DateDaysBeforeNow(5), u"HDL", u"6", u"");
    }
    void Open(std::u16string_view user, std::u16string_view test, std::function<void(CResultsGraphDlg&)> script) {
        CResultsGraphDlg dialog;
        dialog.userName = std::u16string(user);
        dialog.testName = std::u16string(test);
        driver.Run(dialog, std::move(script));
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
    ScriptedRuns driver;
};

// Enter on the menu bar's buttons and the description as the period changes
// are the accessibility walk's.
TEST_F(ResultsGraphDlgTest, MenuChecksFollowThePeriodAndTypeAndExitStoresThem) {
    Open(u"Ann", u"Lipids", [](CResultsGraphDlg& d) {
        EXPECT_EQ(Checked(d, "Period"), QStringList{"Last week"});
        EXPECT_EQ(Checked(d, "Type"), QStringList{"Line"});
        Choose(d, "Period", "Last 60 days");
        Choose(d, "Type", "Bar");
        EXPECT_EQ(Checked(d, "Period"), QStringList{"Last 60 days"});
        ClickExit(d);
        EXPECT_TRUE(d.IsEnded());
    });
    EXPECT_EQ(GetGraphPeriod(u"Ann"), 60);
    EXPECT_EQ(StoredGraphType(u"Ann"), u"Bar");

    // The next opening shows the stored choice; a choice the disk cannot take is
    // said, and closing another way stores nothing.
    Open(u"Ann", u"Lipids", [this](CResultsGraphDlg& d) {
        EXPECT_EQ(Checked(d, "Type"), QStringList{"Bar"});
        Choose(d, "Period", "Year to Date");
        SetStoreWriteFailureForTesting(true);
        ClickExit(d);
        SetStoreWriteFailureForTesting(false);
        EXPECT_FALSE(d.IsEnded());
        EXPECT_EQ(driver.Messages(), std::vector<std::u16string>{u"Could not save the graph settings. Check that "
                                                                 u"there is space on the disk and try again."});
        d.Widget()->close();
    });
    EXPECT_EQ(GetGraphPeriod(u"Ann"), 60);

    // "All Dates" and a user without a record check no period.
    ASSERT_TRUE(SetGraphPreferences(u"Ann", u"-2", u"Line"));
    Open(u"Ann", u"Lipids", [](CResultsGraphDlg& d) {
        EXPECT_TRUE(Checked(d, "Period").empty());
        ExpectDrawn(d, {u"Average Value:5.50"});
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

// Values and goals are read whole, the desktop's way or plainly: what is no
// number is left out of the picture and the average, and the graph says how
// many; numbers are written the desktop's way. The graph opens on a result
// with values in the period: the one chosen last when it has some.
TEST_F(ResultsGraphDlgTest, GraphsWholeNumbersTheDesktopsWayFromAResultWithValues) {
    AddResultName(u"Lipids", u"Apo B");  // sorts first, and has no values
    AddResultName(u"Lipids", u"LDL");
    Store(u"Ann", u"Lipids", DateDaysBeforeNow(1), u"LDL", u"n/a", u"<6");
    Store(u"Ann", u"Lipids", DateDaysBeforeNow(2), u"LDL", u"5,4", u"<6");
    Store(u"Ann", u"Lipids", DateDaysBeforeNow(4), u"LDL", u"6.1", u"<6");
    {
        const DesktopLocale german(QLocale::German);
        Open(u"Ann", u"Lipids", [&](CResultsGraphDlg& d) {
            EXPECT_EQ((CComboBox{d, CResultsGraphDlg::kResultBox}.SelectedText()), u"HDL");
            EXPECT_EQ(Described(d), "HDL, the last 7 days: 2 values; latest 5 on 3/12/2024; no goal; average 5,50");
            Show(d, u"LDL");
            EXPECT_EQ(Described(d), "LDL, the last 7 days: 2 values (1 value left out, not numbers); latest 5,4 on "
                                    "3/13/2024; goal below 6; average 5,75");
            ExpectDrawn(d, {u"Average Value:5,75", u"Left out: 1 value", u"not read as numbers", u"6,1", u"5,4"});
            ClickExit(d);
        });
    }
    const DesktopLocale english(QLocale::English);
    Open(u"Ann", u"Lipids", [&](CResultsGraphDlg& d) {
        EXPECT_EQ((CComboBox{d, CResultsGraphDlg::kResultBox}.SelectedText()), u"LDL");  // chosen last
        EXPECT_EQ(Described(d), "LDL, the last 7 days: 1 value (2 values left out, not numbers); latest 6.1 on "
                                "3/11/2024; goal below 6; average 6.10");
        ClickExit(d);
    });
    // Today only HDL has a value: the choice of last time has none.
    Store(u"Ann", u"Lipids", DateDaysBeforeNow(0), u"HDL", u"4", u"");
    ASSERT_TRUE(SetGraphPreferences(u"Ann", u"0", u"Line"));
    Open(u"Ann", u"Lipids", [](CResultsGraphDlg& d) {
        EXPECT_EQ((CComboBox{d, CResultsGraphDlg::kResultBox}.SelectedText()), u"HDL");
        Show(d, u"LDL");
        EXPECT_EQ(Described(d), "LDL, today: no values");
        d.Widget()->close();
    });
}

TEST_F(ResultsGraphDlgTest, TestWithoutResultNamesSaysSoAndCloses) {
    // The dialog ends while it initialises: no script is needed, none may be left.
    CResultsGraphDlg dialog;
    dialog.userName = u"Ann";
    dialog.testName = u"Unknown";
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(driver.Messages(), std::vector<std::u16string>{u"No results available for graphing"});
}

TEST_F(ResultsGraphDlgTest, RendersBarAndLineCharts) {
    // A goal of 0: the band and the goal columns stand on the axis.
    Store(u"Ann", u"Lipids", DateDaysBeforeNow(3), u"HDL", u"5", u"0");
    Store(u"Ann", u"Lipids", DateDaysBeforeNow(5), u"HDL", u"6", u"0");
    Open(u"Ann", u"Lipids", [](CResultsGraphDlg& d) {
        // The goal band 190 to 195, the marker of the value 5, no bars, the vertical axis.
        ExpectPixels(d, {{100, 192, kGreen}, {100, 185, kWhite}, {137, 67, kRed}, {78, 120, kWhite}, {15, 100, kBlack}});
        Choose(d, "Type", "Bar");
        // The axes; the value 6 bar (x 75 to 81 from y 40) and the value 5 bar
        // (from y 65), white above each; the goal column over the cyan one; the legend.
        ExpectPixels(d, {{15, 100, kBlack}, {100, 200, kBlack}, {78, 120, kGreen}, {78, 30, kWhite},
                         {138, 120, kGreen}, {138, 55, kWhite}, {85, 195, kRed}, {17, 232, kCyan}});
        d.Widget()->close();
    });
}

// Glucose once in mmol/L, now in mg/dL: one graph in the latest unit, the old
// value and its goal converted, a value in a unit that does not convert left
// out and counted; the axis and the description name the unit.
TEST_F(ResultsGraphDlgTest, DrawsValuesInOtherUnitsInTheLatestUnit) {
    AddResultName(u"Sugar", u"Glucose");
    Store(u"Ann", u"Sugar", DateDaysBeforeNow(5), u"Glucose", u"5.4", u"3.9-5.5", u"mmol/L");
    Store(u"Ann", u"Sugar", DateDaysBeforeNow(3), u"Glucose", u"2", u"", u"mEq/L");
    Store(u"Ann", u"Sugar", DateDaysBeforeNow(1), u"Glucose", u"100", u"70-100", u"mg/dL");
    Open(u"Ann", u"Sugar", [](CResultsGraphDlg& d) {
        EXPECT_EQ(Described(d), "Glucose, the last 7 days: 2 values; 1 value in mmol/L converted to mg/dL as Glucose; "
                                "1 value in mEq/L not shown; latest 100 mg/dL on 3/14/2024; goal 70 to 99 mg/dL; "
                                "average 98.50 mg/dL");
        // 97 and 100 mg/dL over the goal 70-99 mg/dL, 5 pixels a unit: 5.4 mmol/L
        // as 97 mg/dL, 100 mg/dL, the goal band from 99 down to 70.
        ExpectPixels(d, {{77, 57, kRed}, {197, 42, kRed}, {100, 47, kGreen}, {100, 188, kGreen}, {100, 43, kWhite}});
        const QImage shot = d.Widget()->grab().toImage();
        for (int y = 20; y < 200; ++y) EXPECT_NE(shot.pixelColor(137, y), QColor(255, 0, 0)) << y;  // no mEq/L marker
        ExpectDrawn(d, {u"mg/dL", u"1 value in mmol/L", u"converted to mg/dL", u"1 value in mEq/L", u"not shown",
                        u"Average Value:98.50"});
        d.Widget()->close();
    });
}

// A stored period the menu does not offer, a multiple of 31, and series that
// cannot be scaled as usual draw without dividing by nothing; every date
// keeps the 60 most recent tests.
TEST_F(ResultsGraphDlgTest, DrawsOddPeriodsAndSeriesAndKeepsTheSixtyMostRecent) {
    ASSERT_TRUE(SetGraphPreferences(u"Ann", u"62", u"Bar"));
    Open(u"Ann", u"Lipids", [](CResultsGraphDlg& d) {
        // The value 6 bar, x 208 to 211, and the last one, a pixel narrower, show their colour.
        ExpectPixels(d, {{209, 120, kGreen}, {215, 195, kGreen}});
        d.Widget()->close();
    });

    ASSERT_TRUE(SetGraphPreferences(u"Ann", u"-2", u"Line"));
    Store(u"Ann", u"Lipids", DateDaysBeforeNow(1), u"Words", u"none", u"");
    Store(u"Ann", u"Lipids", DateDaysBeforeNow(0), u"Flat", u"5.5", u"5.5");
    Store(u"Ann", u"Lipids", DateDaysBeforeNow(1), u"Huge", u"1e308", u"");
    Store(u"Ann", u"Lipids", DateDaysBeforeNow(2), u"Huge", u"-1e308", u"");
    for (int age = 0; age < 65; ++age)
        Store(u"Ann", u"Lipids", DateDaysBeforeNow(age), u"Many", IntToText(age + 1), u"");
    for (const char16_t* name : {u"Words", u"Flat", u"Huge", u"Many"}) AddResultName(u"Lipids", name);
    Open(u"Ann", u"Lipids", [](CResultsGraphDlg& d) {
        Show(d, u"Words");  // no axes, only the message
        ExpectPixels(d, {{15, 100, kWhite}});
        ExpectDrawn(d, {u"No numerical results for graphing"});
        Show(d, u"Flat");  // one date, one value: today's marker at the top, the goal band along the top edge
        ExpectPixels(d, {{227, 42, kRed}, {20, 1, kGreen}});
        ExpectDrawn(d, {u"5.5"});  // the scale's label, not cut to a whole number
        Show(d, u"Huge");
        ExpectPixels(d, {{15, 100, kBlack}});
        ExpectDrawn(d, {u"Average Value:0.00", u"1e+308"});
        Show(d, u"Many");
        EXPECT_EQ(Described(d), "Many, every date: 60 values; latest 1 on 3/15/2024; no goal; average 30.50");
        d.Widget()->close();
    });
}

}  // namespace
