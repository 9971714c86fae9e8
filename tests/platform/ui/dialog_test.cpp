// Dialogs: keys and the close box, and when paint handlers run.

#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/test_driver.h"
#include "res/resource.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
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
            BindPaint(&ProbeDialog::OnPaint),
        };
        return table;
    }
    void OnAdd() { heard.push_back("add"); }
    void OnChosen() { heard.push_back("chosen"); }
    void OnPaint(PaintSurface& dc) {
        ++paints;
        dc.SetTextColor(kNavy);
        dc.TextOut(10, 10, u"Please Enter your test information:");
    }
    std::vector<std::string> heard;
    int paints = 0;
};

// The Test Report binds the cancel identifier to a command of its own.
class CancelBoundDialog : public CDialog {
public:
    CancelBoundDialog() : CDialog(IDD_TEST_REPORT) {}
    const CommandTable& Commands() const override {
        static const CommandTable table{BindCommand(IDCANCEL, &CancelBoundDialog::OnTestInfo)};
        return table;
    }
    void OnTestInfo() { ++infoPresses; }
    int infoPresses = 0;
};

void Press(QWidget* target, Qt::Key key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

TEST(Dialog, EnterAndEscapeAreOkAndCancelAndTheCloseBoxCancels) {
    DialogDriver driver;
    ProbeDialog probe;
    driver.Expect<ProbeDialog>(IDD_TAKE_TEST, [](ProbeDialog& d) { Press(d.ControlWidget(1007), Qt::Key_Return); });
    EXPECT_EQ(probe.DoModal(), IDOK);
    driver.Expect<ProbeDialog>(IDD_TAKE_TEST, [](ProbeDialog& d) { Press(d.ControlWidget(1009), Qt::Key_Escape); });
    EXPECT_EQ(probe.DoModal(), IDCANCEL);
    // Enter on a button is still the dialog's Ok, not a click of that button.
    driver.Expect<ProbeDialog>(IDD_TAKE_TEST, [](ProbeDialog& d) { Press(d.ControlWidget(1011), Qt::Key_Enter); });
    EXPECT_EQ(probe.DoModal(), IDOK);
    EXPECT_TRUE(probe.heard.empty());

    CancelBoundDialog report;
    driver.Expect<CancelBoundDialog>(IDD_TEST_REPORT, [](CancelBoundDialog& d) {
        Press(d.ControlWidget(IDOK), Qt::Key_Escape);  // the cancel key reaches the bound command
        EXPECT_FALSE(d.IsEnded());
        QCloseEvent close;
        QApplication::sendEvent(d.Widget(), &close);  // the close box is the Cancel operation itself
    });
    EXPECT_EQ(report.DoModal(), IDCANCEL);
    EXPECT_EQ(report.infoPresses, 1);
    EXPECT_TRUE(driver.Failures().empty());
}

// Paints like the Installation window: a nested modal run inside the paint
// handler, then the window ends and destroys itself from there.
class SelfClosingWindow : public CDialog {
public:
    explicit SelfClosingWindow(std::vector<std::string>& log) : CDialog(IDD_INSTALL), log_(log) {}
    const CommandTable& Commands() const override {
        static const CommandTable table{BindPaint(&SelfClosingWindow::OnPaint)};
        return table;
    }
    void OnPaint(PaintSurface& dc) {
        log_.push_back("install paint");
        dc.TextOut(20, 124, u"Initializing Database...Please Wait");
        CDialog firstUser(IDD_ADD_PATIENT);
        firstUser.DoModal();
        EndDialog(IDOK);
        DestroyWindow();
        EXPECT_FALSE(IsWindow());
        log_.push_back("destroyed");  // members stay usable until the handler returns
    }
    void PostNcDestroy() override {
        log_.push_back("freed");
        delete this;
    }

private:
    std::vector<std::string>& log_;
};

class MainWindow : public CDialog {
public:
    MainWindow() : CDialog(IDD_VANTREL) {}
    const CommandTable& Commands() const override {
        static const CommandTable table{BindPaint(&MainWindow::OnPaint)};
        return table;
    }
    void OnPaint(PaintSurface&) { log.push_back("main paint"); }
    bool OnInitDialog() override {
        CDialog::OnInitDialog();
        SetIcon(IDI_VANTREL);
        CenterWindow();
        auto* install = new SelfClosingWindow(log);
        install->Create(this);
        install->ShowWindow();
        return true;
    }
    std::vector<std::string> log;
};

TEST(DialogDriver, ModelessWindowsGetTheirFirstPaintAndMayDestroyThemselvesInIt) {
    DialogDriver driver;
    MainWindow main;
    driver.ExpectModal(IDD_ADD_PATIENT, [&](CDialog& firstUser) {
        // Shown first, the Installation window painted first; the main window's
        // first paint came while the nested run waited, as in the event loop.
        EXPECT_EQ(main.log, (std::vector<std::string>{"install paint", "main paint"}));
        firstUser.SendCommand(IDCANCEL);
    });
    driver.Expect<MainWindow>(IDD_VANTREL, [](MainWindow& d) {
        EXPECT_EQ(d.log, (std::vector<std::string>{"install paint", "main paint", "destroyed", "freed"}));
        d.SendCommand(IDOK);
    });
    EXPECT_EQ(main.DoModal(), IDOK);
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
