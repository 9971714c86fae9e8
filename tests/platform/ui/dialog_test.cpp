// Dialogs: keys and the close box, and when paint handlers run. A modeless
// window's first paint and its end from inside it are the whole program's first run.

#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "res/resource.h"
#include "support/dialog_driver.h"

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// A Take Test window whose handlers note what reached them.
class ProbeDialog : public CDialog {
public:
    ProbeDialog() : CDialog(IDD_TAKE_TEST) {}
    const CommandTable& Commands() const override {
        static const CommandTable table{
            BindCommand(1011, &ProbeDialog::OnAdd),
            BindNotify(1009, kNotifySelectionConfirmed, &ProbeDialog::OnChosen),
        };
        return table;
    }
    void OnAdd() { heard.push_back("add"); }
    void OnChosen() { heard.push_back("chosen"); }
    std::vector<std::string> heard;
};

// Enter presses the push button that has the focus; only elsewhere is it the
// dialog's Ok. Escape is its Cancel.
TEST(Dialog, EnterPressesTheFocusedButtonElseOkAndEscapeIsCancel) {
    DialogDriver driver;
    ProbeDialog probe;
    driver.Expect<ProbeDialog>(IDD_TAKE_TEST, [](ProbeDialog& d) { QTest::keyClick(d.ControlWidget(1007), Qt::Key_Return); });
    EXPECT_EQ(probe.DoModal(), IDOK);
    driver.Expect<ProbeDialog>(IDD_TAKE_TEST, [](ProbeDialog& d) { QTest::keyClick(d.ControlWidget(1009), Qt::Key_Escape); });
    EXPECT_EQ(probe.DoModal(), IDCANCEL);
    EXPECT_TRUE(probe.heard.empty());
    driver.Expect<ProbeDialog>(IDD_TAKE_TEST, [](ProbeDialog& d) {
        QWidget* add = d.ControlWidget(1011);
        add->setFocus();
        QTest::keyClick(add, Qt::Key_Enter);
        QTest::keyClick(add, Qt::Key_Space);
        EXPECT_FALSE(d.IsEnded());
        QTest::keyClick(add, Qt::Key_Escape);
    });
    EXPECT_EQ(probe.DoModal(), IDCANCEL);
    EXPECT_EQ(probe.heard, (std::vector<std::string>{"add", "add"}));
    EXPECT_TRUE(driver.Failures().empty());
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

}  // namespace
