// What a screen reader finds in a window beyond what the accessibility walk
// reads (role, modal state, painted texts, controls named by their labels):
// texts follow each repaint, and a wipe in white is no text.

#include "support/dialog_driver.h"

#include "platform/ui/dialog.h"
#include "res/resource.h"

#include <QAccessible>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

std::u16string g_heading = u"Please Enter your test information:";

class LabelledProbe : public CDialog {
public:
    LabelledProbe() : CDialog(IDD_TAKE_TEST) {}
    const CommandTable& Commands() const override {
        static const CommandTable table{BindPaint(&LabelledProbe::OnPaint)};
        return table;
    }
    void OnPaint(PaintSurface& dc) {
        dc.SetTextColor(kNavy);
        dc.TextOut(10, 10, g_heading);
        dc.SetTextColor(kWhite);
        dc.TextOut(10, 200, u"wiped");
    }
};

TEST(Accessibility, PaintedTextsFollowEachRepaintAndAWipeIsNone) {
    DialogDriver driver;
    LabelledProbe probe;
    driver.Expect<LabelledProbe>(IDD_TAKE_TEST, [](LabelledProbe& d) {
        QAccessibleInterface* window = QAccessible::queryAccessibleInterface(d.Widget());
        QAccessibleInterface* heading = window->child(0);
        EXPECT_EQ(heading->role(), QAccessible::StaticText);
        EXPECT_EQ(heading->text(QAccessible::Name), "Please Enter your test information:");
        EXPECT_NE(window->child(1)->role(), QAccessible::StaticText);  // the controls follow at once
        g_heading = u"Changed";
        d.RedrawNow();
        EXPECT_EQ(window->child(0)->text(QAccessible::Name), "Changed");
        g_heading = u"Please Enter your test information:";
        d.EndDialog(IDOK);
    });
    probe.DoModal();
    EXPECT_TRUE(driver.Failures().empty());
}

}  // namespace
