// Windows and controls under a person's input: keys, clicks, focus moves,
// the date typed or picked, and what each paint shows and when it runs.

#include "support/screen.h"

#include "platform/paint/fonts.h"
#include "platform/paint/qt_paint_surface.h"
#include "platform/ui/qt_text.h"

#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/text.h"
#include "res/resource.h"
#include "support/dialog_driver.h"

#include <QAccessible>
#include <QCalendarWidget>
#include <QAbstractButton>
#include <QFontMetrics>
#include <QWheelEvent>

#include <functional>

namespace {

// Whether the window shows `text` drawn at (x, y) in navy in the default font
// on white, pixel for pixel as the paint surface draws it.
bool ShowsText(QWidget& window, int x, int y, std::u16string_view text) {
    const QImage shot = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QImage expected(shot.size(), QImage::Format_RGB32);
    expected.fill(Qt::white);
    {
        QtPaintSurface surface(expected, 1.0, shot.width(), shot.height());
        surface.SetTextColor(kNavy);
        surface.TextOut(x, y, text);
    }
    const QFontMetrics metrics(DefaultUiFont());
    const QRect cell = QRect(x, y, metrics.horizontalAdvance(ToQString(text)), metrics.height()) & shot.rect();
    for (int row = cell.top(); row <= cell.bottom(); ++row)
        for (int column = cell.left(); column <= cell.right(); ++column)
            if (shot.pixel(column, row) != expected.pixel(column, row)) return false;
    return true;
}

std::u16string g_heading = u"first";

// The Take Test template: 1009 a sorted drop-down box, 1008 the date picker, 1011 Add.
class Probe : public CDialog {
public:
    Probe() : CDialog(IDD_TAKE_TEST) {}
    const CommandTable& Commands() const override {
        static const CommandTable table{
            BindNotify(1009, kNotifySelectionConfirmed, &Probe::OnChosen),
            BindCommand(1011, &Probe::OnAdd),
            BindPaint(&Probe::OnPaint),
        };
        return table;
    }
    void OnOK() override { heard.push_back(u"ok"); }
    void OnChosen() { heard.push_back(u"chosen " + box.SelectedText()); }
    void OnAdd() {
        heard.push_back(u"add");
        if (opens) {
            CDialog about(IDD_ABOUT);
            about.DoModal();
        }
    }
    void OnPaint(PaintSurface& dc) {
        ++paints;
        dc.SetTextColor(kNavy);
        dc.TextOut(10, 10, g_heading);
        dc.SetTextColor(kWhite);
        dc.TextOut(10, 200, u"wiped");
    }

    CComboBox box{*this, 1009};
    CDateTimeCtrl picker{*this, 1008};
    std::vector<std::u16string> heard;
    int paints = 0;
    bool opens = false;
};

class RealInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetLocalTimeForTesting(&now_);
        ASSERT_TRUE(probe_.Create(nullptr));
        probe_.ShowWindow();
        window_ = probe_.Widget();
        QApplication::setActiveWindow(window_);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_));
        box_ = qobject_cast<QComboBox*>(probe_.ControlWidget(1009));
        picker_ = qobject_cast<QLineEdit*>(probe_.ControlWidget(1008));
        ASSERT_TRUE(box_ && picker_);
    }
    void TearDown() override { SetLocalTimeForTesting(nullptr); }

    SystemTime Picked() const {
        SystemTime read;
        EXPECT_TRUE(probe_.picker.GetTime(read));
        return read;
    }

    static constexpr SystemTime kNow{2026, 6, 0, 14, 9, 30, 5, 0};  // a Sunday
    SystemTime now_ = kNow;
    DialogDriver driver_;  // records message boxes
    Probe probe_;
    QWidget* window_ = nullptr;
    QComboBox* box_ = nullptr;
    QLineEdit* picker_ = nullptr;
};

// The wheel of a mouse passing over a closed drop-down box chooses nothing.
// Typing into a box, and leaving it by Tab, Enter or a click, choose nothing
// either, while its arrow keys and its list do: the Add Test Result tests on
// its result box, Add Patient's on its sex box (Enter there is the Ok).
TEST_F(RealInputTest, TheWheelOverAClosedDropDownBoxChoosesNothing) {
    probe_.box.AddString(u"Lipid Panel");
    probe_.box.AddString(u"Glucose");
    probe_.box.SetCurSel(0);
    QWheelEvent wheel(QPointF(5, 5), box_->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, -120), Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(box_, &wheel);
    EXPECT_EQ(probe_.box.GetCurSel(), 0);
    EXPECT_TRUE(probe_.heard.empty());
}

TEST_F(RealInputTest, ATypedDateReadsBackAndAnImpossibleOneIsRefused) {
    // Never set: the device's date and time.
    EXPECT_EQ(Picked(), (SystemTime{2026, 6, 0, 14, 9, 30, 5, 0}));

    // Typed after a click (after Tab: Add Patient's test), the time of day kept.
    QTest::mouseClick(picker_, Qt::LeftButton);
    QTest::keyClicks(picker_, "03/04/1975");
    QTest::keyClick(picker_, Qt::Key_Tab);
    EXPECT_EQ(Picked(), (SystemTime{1975, 3, 2, 4, 9, 30, 5, 0}));
    EXPECT_EQ(picker_->text(), "3/4/1975");

    // Refused when Tab, Enter or a click on a button would leave it: the focus
    // stays with the typed text selected for correction; Enter and the button
    // do nothing, and the button does not stay pressed.
    auto* add = static_cast<QAbstractButton*>(probe_.ControlWidget(1011));
    const auto leave = std::vector<std::function<void()>>{
        [&] { QTest::keyClick(picker_, Qt::Key_Tab); }, [&] { QTest::keyClick(picker_, Qt::Key_Return); },
        [&] { QTest::mouseClick(add, Qt::LeftButton); }};
    const char* impossible[] = {"3.12.2026", "2/30/2026", "13/1/2026", "3/14", "3/14/1975x"};
    QTest::mouseClick(picker_, Qt::LeftButton);
    for (std::size_t i = 0; i < std::size(impossible); ++i) {
        QTest::keyClick(picker_, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(picker_, impossible[i]);
        leave[i % leave.size()]();
        EXPECT_TRUE(QTest::qWaitFor([&] {
            return QApplication::focusWidget() == picker_ && picker_->selectedText() == impossible[i];
        })) << impossible[i];
        EXPECT_FALSE(add->isDown());
    }
    EXPECT_EQ(Picked(), (SystemTime{1975, 3, 2, 4, 9, 30, 5, 0}));
    EXPECT_EQ(driver_.Messages().size(), std::size(impossible));
    EXPECT_TRUE(probe_.heard.empty());
    QTest::keyClicks(picker_, "3/4/1975");

    // The calendar: opened from the keyboard, the next day chosen.
    QTest::keyClick(picker_, Qt::Key_Down, Qt::AltModifier);
    auto* calendar = picker_->findChild<QCalendarWidget*>();
    ASSERT_TRUE(calendar && calendar->isVisible());
    EXPECT_EQ(calendar->selectedDate(), QDate(1975, 3, 4));
    QWidget* days = QApplication::focusWidget();
    QTest::keyClick(days, Qt::Key_Right);
    QTest::keyClick(days, Qt::Key_Return);
    EXPECT_FALSE(calendar->isVisible());
    EXPECT_EQ(Picked(), (SystemTime{1975, 3, 3, 5, 9, 30, 5, 0}));

    // Set by the program: kept as given, to the millisecond, the day of week filled.
    ASSERT_TRUE(probe_.picker.SetTime(SystemTime{2004, 3, 0, 5, 14, 30, 15, 250}));
    EXPECT_EQ(Picked(), (SystemTime{2004, 3, 5, 5, 14, 30, 15, 250}));
}

// What is painted is shown, and read by a screen reader beyond what the
// accessibility walk reads: texts follow each repaint, and a wipe in white is none.
TEST_F(RealInputTest, EveryPaintRunsTheHandlerAfreshAndARunEndingRepaintsTheWindowsBelow) {
    QAccessibleInterface* read = QAccessible::queryAccessibleInterface(window_);
    for (const char16_t* heading : {u"first", u"second"}) {
        g_heading = heading;
        EXPECT_TRUE(ShowsText(*window_, 10, 10, heading));
        probe_.RedrawNow();
        EXPECT_EQ(read->child(0)->role(), QAccessible::StaticText);
        EXPECT_EQ(read->child(0)->text(QAccessible::Name).toStdU16String(), heading);
        EXPECT_NE(read->child(1)->role(), QAccessible::StaticText);  // the controls follow at once
    }

    // A run above it ends: the window paints again without being asked.
    probe_.opens = true;
    driver_.ExpectModal(IDD_ABOUT, [](CDialog& about) {
        g_heading = u"third";
        about.SendCommand(IDOK);
    });
    const int before = probe_.paints;
    QTest::mouseClick(probe_.ControlWidget(1011), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return probe_.paints > before; }));
    EXPECT_TRUE(driver_.Failures().empty());

    // A caret blinking in a field repaints the field alone.
    const int painted = probe_.paints;
    probe_.ControlWidget(1007)->repaint();
    EXPECT_EQ(probe_.paints, painted);
    g_heading = u"first";
}

class ReentryProbe : public CDialog {
public:
    ReentryProbe() : CDialog(IDD_INSTALL) {}
    const CommandTable& Commands() const override {
        static const CommandTable table{BindPaint(&ReentryProbe::OnPaint)};
        return table;
    }
    void OnPaint(PaintSurface&) {
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        ++paints;
        if (paints == 1) {
            RedrawNow();  // as a covering window closing during a long first paint
            Invalidate();
        }
        --depth;
    }
    int depth = 0, maxDepth = 0, paints = 0;
};

TEST(Dialog, PaintRequestedWhileThePaintHandlerRunsComesAfterIt) {
    ReentryProbe probe;
    ASSERT_TRUE(probe.Create(nullptr));
    probe.RedrawNow();
    EXPECT_EQ(probe.paints, 1);
    EXPECT_EQ(probe.maxDepth, 1);
    QApplication::processEvents();  // the repaint it asked for
    EXPECT_EQ(probe.paints, 2);
    EXPECT_EQ(probe.maxDepth, 1);
    probe.Invalidate();
    probe.Invalidate();  // one dispatch however often it is asked
    QApplication::processEvents();
    EXPECT_EQ(probe.paints, 3);
    probe.DestroyWindow();
    EXPECT_FALSE(probe.IsWindow());
}

// The program's side of a sorted drop-down box (its order is the list box's
// test, through the same rule): searches start after the given item, look at
// it last, and wrap around; prefixes match beginnings only, also past a
// leading "[" or "[-". A failed selection leaves the box as it was.
TEST_F(RealInputTest, SortedBoxSearchesWrapAround) {
    CComboBox& box = probe_.box;
    for (auto name : {u"Lipid Panel", u"Iron Panel", u"Iron", u"[-Zinc]", u"[Copper]"}) box.AddString(name);
    const int iron = box.FindStringExact(-1, u"IRON"), panel = box.FindStringExact(-1, u"iron panel"),
              lipid = box.FindStringExact(-1, u"Lipid Panel"), zinc = box.FindStringExact(-1, u"[-Zinc]"),
              copper = box.FindStringExact(-1, u"[Copper]");
    ASSERT_EQ(box.GetLBText(iron), u"Iron");
    ASSERT_EQ(panel, iron + 1);
    const struct {
        int start;
        std::u16string_view prefix;
        int found;
    } searches[] = {{-1, u"iron", iron},  {iron, u"iron", panel}, {panel, u"IRON", iron}, {lipid, u"lip", lipid},
                    {-1, u"Panel", -1},   {-1, u"zinc", zinc},    {-1, u"copper", copper}, {-1, u"[c", copper}};
    for (const auto& s : searches) EXPECT_EQ(box.FindString(s.start, s.prefix), s.found) << TextToUtf8(s.prefix);
    EXPECT_EQ(box.FindStringExact(-1, u"Iron Pan"), -1);
    EXPECT_EQ(box.FindStringExact(iron, u"iron"), iron);

    EXPECT_EQ(box.SelectString(iron, u"iron"), panel);
    EXPECT_EQ(box.SelectString(iron, u"Glucose"), -1);
    EXPECT_EQ(box.GetCurSel(), panel);
    EXPECT_EQ(box.GetWindowText(), u"Iron Panel");
    box.SetCurSel(-1);
    EXPECT_EQ(box.SelectString(0, u"nothing"), -1);
    EXPECT_EQ(box.GetCurSel(), -1);
}

}  // namespace
