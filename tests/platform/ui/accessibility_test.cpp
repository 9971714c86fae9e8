// What a screen reader finds in a window, read through Qt's accessibility
// interfaces as the desktop's bridge reads them.

#include "support/dialog_driver.h"

#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "res/resource.h"
#include "res/take_test_ids.h"

#include <QAccessible>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

std::u16string g_heading = u"Please Enter your test information:";

// The Take Test window with its painted labels.
class LabelledProbe : public CDialog, public TakeTestIds {
public:
    LabelledProbe() : CDialog(IDD_TAKE_TEST) {}
    const CommandTable& Commands() const override {
        static const CommandTable table{BindPaint(&LabelledProbe::OnPaint)};
        return table;
    }
    void OnPaint(PaintSurface& dc) {
        dc.SetTextColor(kNavy);
        dc.TextOut(10, 10, g_heading);
        dc.TextOut(10, 35, u"Test Name");
        dc.TextOut(10, 65, u"Test Date");
        dc.SetTextColor(kWhite);  // a wipe is no text
        dc.TextOut(10, 200, u"wiped");
    }
    CComboBox box{*this, kTestNameBox};
};

QAccessibleInterface* Accessible(QObject* object) { return QAccessible::queryAccessibleInterface(object); }

QStringList ChildNames(QAccessibleInterface* parent) {
    QStringList names;
    for (int i = 0; i < parent->childCount(); ++i) names << parent->child(i)->text(QAccessible::Name);
    return names;
}

TEST(Accessibility, ADialogIsAModalDialogOfItsPaintedTextsThenItsControls) {
    DialogDriver driver;
    LabelledProbe probe;
    driver.Expect<LabelledProbe>(IDD_TAKE_TEST, [](LabelledProbe& d) {
        QAccessibleInterface* window = Accessible(d.Widget());
        EXPECT_EQ(window->role(), QAccessible::Dialog);
        EXPECT_TRUE(window->state().modal);
        EXPECT_EQ(window->text(QAccessible::Name), "Take Test");
        EXPECT_EQ(ChildNames(window).mid(0, 5), (QStringList{"Please Enter your test information:", "Test Name",
                                                             "Test Date", "Test Name", "Test Date"}));
        QAccessibleInterface* label = window->child(1);
        EXPECT_EQ(label->role(), QAccessible::StaticText);
        EXPECT_TRUE(window->rect().contains(label->rect()));

        // The box: named by the label that names it, its text as value.
        d.box.AddString(u"Lipid Panel");
        d.box.SetCurSel(0);
        QAccessibleInterface* box = window->child(3);
        EXPECT_EQ(box->role(), QAccessible::ComboBox);
        EXPECT_EQ(box->text(QAccessible::Value), "Lipid Panel");
        ASSERT_EQ(box->childCount(), 2);
        EXPECT_EQ(box->child(1)->text(QAccessible::Name), "Test Name");  // its edit field
        const auto relations = label->relations(QAccessible::Labelled);
        ASSERT_EQ(relations.size(), 1);
        EXPECT_EQ(relations.front().first, box);

        // A repaint that draws other texts is what the reader then finds.
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
