// Dialogs: command dispatch, keys and the close box, modal runs under the
// driver, message boxes, and when paint handlers run.

#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/ui/test_driver.h"
#include "platform/ui/win_app.h"
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

TEST(Dialog, CommandsDispatchThroughTheTableWithOkAndCancelFallbacks) {
    DialogDriver driver;
    ProbeDialog probe;
    driver.Expect<ProbeDialog>(IDD_TAKE_TEST, [](ProbeDialog& d) {
        d.SendCommand(1011);
        d.SendCommand(1011, kNotifySelectionConfirmed);  // no entry for that code
        d.SendCommand(1009, kNotifySelectionConfirmed);
        CButton add{d, 1011};
        add.UserClick();
        EXPECT_FALSE(d.IsEnded());
        d.SendCommand(IDOK);  // no entry: the framework's Ok
    });
    EXPECT_EQ(probe.DoModal(), IDOK);
    EXPECT_EQ(probe.heard, (std::vector<std::string>{"add", "chosen", "add"}));
    EXPECT_FALSE(probe.IsWindow());

    driver.Expect<ProbeDialog>(IDD_TAKE_TEST, [](ProbeDialog& d) { d.SendCommand(IDCANCEL); });
    EXPECT_EQ(probe.DoModal(), IDCANCEL);

    CancelBoundDialog report;
    driver.Expect<CancelBoundDialog>(IDD_TEST_REPORT, [](CancelBoundDialog& d) {
        d.SendCommand(IDCANCEL);
        EXPECT_FALSE(d.IsEnded());
        d.EndDialog(42);
    });
    EXPECT_EQ(report.DoModal(), 42);
    EXPECT_EQ(report.infoPresses, 1);
    EXPECT_TRUE(driver.Failures().empty());
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

// A dialog whose Add opens a nested run of Add Test Result and reports on it.
class OuterDialog : public CDialog {
public:
    OuterDialog() : CDialog(IDD_TAKE_TEST) {}
    const CommandTable& Commands() const override {
        static const CommandTable table{BindCommand(1011, &OuterDialog::OnAdd)};
        return table;
    }
    void OnAdd() {
        CDialog inner(IDD_ADD_RESULT, this);
        innerResults.push_back(inner.DoModal());
        if (innerResults.back() != IDOK) MessageBox(this, u"Please Enter Result Name");
    }
    std::vector<int> innerResults;
};

TEST(DialogDriver, RunsNestedModalRunsInOrderAndRecordsMessages) {
    DialogDriver driver;
    OuterDialog outer;
    driver.Expect<OuterDialog>(IDD_TAKE_TEST, [&](OuterDialog& d) {
        d.SendCommand(1011);
        driver.ExpectModal(IDD_ADD_RESULT, [](CDialog& inner) { inner.EndDialog(7); });
        d.SendCommand(1011);
        d.SendCommand(1011);  // no script: a failure, ended with Cancel
        d.SendCommand(IDOK);
    });
    driver.ExpectModal(IDD_ADD_RESULT, [](CDialog& inner) { inner.SendCommand(IDOK); });
    EXPECT_EQ(outer.DoModal(), IDOK);
    EXPECT_EQ(outer.innerResults, (std::vector<int>{IDOK, 7, IDCANCEL}));
    EXPECT_EQ(driver.Messages(), (std::vector<std::u16string>{u"Please Enter Result Name", u"Please Enter Result Name"}));
    ASSERT_EQ(driver.Failures().size(), 1u);
    EXPECT_NE(driver.Failures()[0].find("without a script"), std::string::npos);
    EXPECT_EQ(driver.PendingScripts(), 0u);
    EXPECT_EQ(AfxAppName(), u"Vantrel");  // the caption of every message box
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
