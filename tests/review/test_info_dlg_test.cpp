#include "review/test_info_dlg.h"

#include "platform/recording_surface.h"
#include "res/resource.h"
#include "store/catalog_store.h"
#include "platform/text.h"
#include "review_fixture.h"
#include "support/screen.h"

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <functional>
#include <string>
#include <vector>

namespace {

struct Line {
    int y;
    std::u16string text;
    bool operator==(const Line&) const = default;
};

// The black text lines drawn below the title, top to bottom.
std::vector<Line> TextLines(const RecordingSurface& dc) {
    std::vector<Line> lines;
    for (const DrawnText& t : dc.texts) {
        if (t.color == kBlack) lines.push_back({t.y, t.text});
    }
    return lines;
}

class TestInfoDlgTest : public ReviewTest {
protected:
    static void WriteGlucose() {
        AddResultName(u"Glucose", u"Glucose");
        SetTestEntry(u"Glucose", u"other name", u"Blood sugar");
        SetTestEntry(u"Glucose", u"why", u"To check for diabetes");
        SetTestEntry(u"Glucose", u"home test", u"Yes");
    }
    // Opens the dialog for `test` and runs `script` in it, then closes it with Exit.
    void Open(std::u16string_view test, std::function<void(CTestInfoDlg&)> script) {
        CTestInfoDlg dialog;
        dialog.testName = std::u16string(test);
        driver.Run<CTestInfoDlg>(dialog, [&](CTestInfoDlg& d) {
            script(d);
            ClickOn(d, CTestInfoDlg::kExitButton);
        });
    }
    ScriptedRuns driver;
};

// Lines break at the last blank within 25 characters (one at index 25 still
// counts), else hard after 25, never inside a character; texts are drawn as
// stored, format directives and all.
TEST_F(TestInfoDlgTest, WrapsAtTwentyFiveCharacters) {
    WriteGlucose();
    SetTestEntry(u"Glucose", u"other name", u"Blood sugar; fasting blood sugar; glucose level");
    SetTestEntry(u"Glucose", u"why", std::u16string(24, u'w') + u"\U0001F600 %s%n %1");
    SetTestEntry(u"Glucose", u"when", u"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxx ab");
    SetTestEntry(u"Glucose", u"how", u"aaaaaaaaaaaaaaaaaaaaaaaaa b");
    const std::vector<Line> names{{60, u"Blood sugar; fasting"}, {75, u"blood sugar; glucose"}, {90, u"level"}};
    Open(u"Glucose", [&](CTestInfoDlg& d) {
        ClickOn(d, CTestInfoDlg::kWhenButton);
        std::vector<Line> expected = names;
        expected.insert(expected.end(), {{120, u"xxxxxxxxxxxxxxxxxxxxxxxxx"}, {135, u"xxxxx ab"}});
        EXPECT_EQ(TextLines(RecordPaint(d)), expected);
        ClickOn(d, CTestInfoDlg::kHowButton);
        expected = names;
        expected.insert(expected.end(), {{120, u"aaaaaaaaaaaaaaaaaaaaaaaaa"}, {135, u"b"}});
        EXPECT_EQ(TextLines(RecordPaint(d)), expected);
        ClickOn(d, CTestInfoDlg::kWhyButton);
        expected = names;
        expected.insert(expected.end(), {{120, std::u16string(24, u'w')}, {135, u"\U0001F600 %s%n %1"}});
        EXPECT_EQ(TextLines(RecordPaint(d)), expected);
    });
}

// A section longer than the window scrolls, by the wheel over the window and
// by keys on the scroll bar Tab reaches after Exit, a line at a time, no line
// drawn in halves; another section starts at its top, and one that fits
// shows no scroll bar.
TEST_F(TestInfoDlgTest, ASectionLongerThanTheWindowScrolls) {
    WriteGlucose();
    std::u16string results;
    for (int i = 10; i < 30; ++i) results += u"Result line number " + IntToText(i) + u" ok ";
    results.pop_back();
    SetTestEntry(u"Glucose", u"normal results", results);
    Open(u"Glucose", [](CTestInfoDlg& d) {
        auto* bar = qobject_cast<QScrollBar*>(d.ControlWidget(CTestInfoDlg::kTextScroll));
        ASSERT_NE(bar, nullptr);
        EXPECT_FALSE(bar->isVisibleTo(d.Widget()));
        QTest::mouseClick(d.ControlWidget(CTestInfoDlg::kResultsButton), Qt::LeftButton);
        EXPECT_TRUE(bar->isVisibleTo(d.Widget()));
        std::vector<Line> lines = TextLines(RecordPaint(d));
        ASSERT_EQ(lines.size(), 21u);
        EXPECT_EQ(lines.front(), (Line{60, u"Blood sugar"}));

        // The wheel turned down a notch over the text: three lines on.
        QWheelEvent wheel(QPointF(50, 150), d.Widget()->mapToGlobal(QPointF(50, 150)), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(d.Widget(), &wheel);
        lines = TextLines(RecordPaint(d));
        EXPECT_EQ(lines.front(), (Line{45, u"Result line number 10 ok"}));

        QWidget* exit = d.ControlWidget(CTestInfoDlg::kExitButton);
        exit->setFocus();
        QTest::keyClick(exit, Qt::Key_Tab);
        ASSERT_EQ(d.Widget()->focusWidget(), bar);
        QTest::keyClick(bar, Qt::Key_End);
        lines = TextLines(RecordPaint(d));
        EXPECT_EQ(lines.back().text, u"Result line number 29 ok");
        EXPECT_LE(lines.back().y + 15, d.ClientHeight());
        EXPECT_GE(lines.front().y, 40);

        QTest::mouseClick(d.ControlWidget(CTestInfoDlg::kWhyButton), Qt::LeftButton);
        EXPECT_FALSE(bar->isVisibleTo(d.Widget()));
        EXPECT_EQ(TextLines(RecordPaint(d)).front(), (Line{60, u"Blood sugar"}));
    });
}

TEST_F(TestInfoDlgTest, OpenersNameSelectsTheEqualItemElseOneBeginningWithIt) {
    const auto selected = [](CTestInfoDlg& d) { return CComboBox{d, CTestInfoDlg::kTestBox}.SelectedText(); };
    AddResultName(u"Iron", u"Fe");
    AddResultName(u"Iron Panel", u"Ferritin");
    SetTestEntry(u"Iron", u"other name", u"Serum iron");
    // Iron Panel begins with the name too, but Iron is equal to it.
    Open(u"IRON", [&](CTestInfoDlg& d) {
        EXPECT_EQ(selected(d), u"Iron");
        EXPECT_EQ(TextLines(RecordPaint(d)), (std::vector<Line>{{60, u"Serum iron"}}));
    });
    // None equal: the first beginning with it from item 1 on, item 0 last.
    Open(u"Ir", [&](CTestInfoDlg& d) { EXPECT_EQ(selected(d), u"Iron Panel"); });

    WriteGlucose();
    Open(u"Glucose", [&](CTestInfoDlg& d) { EXPECT_EQ(selected(d), u"Glucose"); });
    // Not in the catalogue: nothing selected, an empty alternative-names block.
    Open(u"Thyroid", [](CTestInfoDlg& d) {
        EXPECT_EQ((CComboBox{d, CTestInfoDlg::kTestBox}.GetCurSel()), -1);
        EXPECT_EQ(TextLines(RecordPaint(d)), (std::vector<Line>{{60, u""}}));
    });
}

}  // namespace
