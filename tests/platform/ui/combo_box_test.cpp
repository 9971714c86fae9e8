// Combo boxes: sorted insertion, the searches and program selection.

#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "res/resource.h"

#include <gtest/gtest.h>

namespace {

// The Add Patient template: 1020 is a sorted drop-down box with an edit field.
class SortedBoxDialog : public CDialog {
public:
    SortedBoxDialog() : CDialog(IDD_ADD_PATIENT) {}
    const CommandTable& Commands() const override {
        static const CommandTable table{
            BindNotify(1020, kNotifySelectionConfirmed, &SortedBoxDialog::OnConfirmed),
        };
        return table;
    }
    void OnConfirmed() { confirmedText.push_back(box.SelectedText()); }

    CComboBox box{*this, 1020};
    std::vector<std::u16string> confirmedText;
};

class ComboBox : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dialog_.Create(nullptr)); }
    SortedBoxDialog dialog_;
    CComboBox& box = dialog_.box;
};

std::vector<std::u16string> Items(const CComboBox& box) {
    std::vector<std::u16string> items;
    for (int i = 0; i < box.GetCount(); ++i) items.push_back(box.GetLBText(i));
    return items;
}

TEST_F(ComboBox, SortedBoxInsertsCaseInsensitivelyWithAccentsCounting) {
    EXPECT_EQ(box.AddString(u"pear"), 0);
    EXPECT_EQ(box.AddString(u"Apple"), 0);
    EXPECT_EQ(box.AddString(u"zebra"), 2);
    EXPECT_EQ(box.AddString(u"banana"), 1);
    EXPECT_EQ(box.AddString(u"\u00edris"), 2);  // íris sorts beside iris, not after z
    EXPECT_EQ(box.AddString(u"iris"), 2);       // the accent counts: plain i first
    const int upper = box.AddString(u"\u00cdris");  // Íris equals íris ignoring case
    EXPECT_TRUE(upper == 3 || upper == 4);
    EXPECT_EQ(box.AddString(u"Female"), 2);
    EXPECT_EQ(box.GetLBText(0), u"Apple");
    EXPECT_EQ(box.GetLBText(3), u"iris");
    EXPECT_EQ(box.GetLBText(6), u"pear");
    EXPECT_EQ(box.GetLBText(7), u"zebra");
    // Filling never selects an item, nor fills the edit field.
    EXPECT_EQ(box.GetCurSel(), -1);
    EXPECT_EQ(box.SelectedText(), u"");
    EXPECT_EQ(box.GetWindowText(), u"");
}

TEST_F(ComboBox, WordSortNearlyIgnoresHyphensAndPrefixesLookPastABracket) {
    for (auto name : {u"Creatinine", u"C-Reactive Protein", u"Comprehensive Metabolic Panel", u"O'Neil", u"Oneida"})
        box.AddString(name);
    EXPECT_EQ(Items(box), (std::vector<std::u16string>{u"Comprehensive Metabolic Panel", u"C-Reactive Protein",
                                                       u"Creatinine", u"Oneida", u"O'Neil"}));
    box.AddString(u"[-Iron]");
    box.AddString(u"[Zinc]");
    EXPECT_EQ(box.FindString(-1, u"iron"), box.FindStringExact(-1, u"[-Iron]"));
    EXPECT_EQ(box.FindString(-1, u"zinc"), box.FindStringExact(-1, u"[Zinc]"));
    EXPECT_EQ(box.FindString(-1, u"[z"), box.FindStringExact(-1, u"[Zinc]"));
}

TEST_F(ComboBox, SearchesStartAfterTheGivenItemAndWrapAround) {
    for (auto name : {u"Lipid Panel", u"Iron Panel", u"Iron"}) box.AddString(name);
    ASSERT_EQ(Items(box), (std::vector<std::u16string>{u"Iron", u"Iron Panel", u"Lipid Panel"}));

    EXPECT_EQ(box.FindString(-1, u"iron"), 0);
    EXPECT_EQ(box.FindString(0, u"iron"), 1);   // item 0 itself is looked at last
    EXPECT_EQ(box.FindString(1, u"IRON"), 0);   // wraps to the top
    EXPECT_EQ(box.FindString(2, u"lip"), 2);    // the start item matches when nothing else does
    EXPECT_EQ(box.FindString(-1, u"Panel"), -1);  // beginnings only

    EXPECT_EQ(box.FindStringExact(-1, u"IRON PANEL"), 1);
    EXPECT_EQ(box.FindStringExact(-1, u"Iron Pan"), -1);
    EXPECT_EQ(box.FindStringExact(0, u"iron"), 0);

    EXPECT_EQ(box.SelectString(0, u"iron"), 1);
    EXPECT_EQ(box.GetCurSel(), 1);
    EXPECT_EQ(box.GetWindowText(), u"Iron Panel");
    // No match: the selection and the edit field stay as they were.
    EXPECT_EQ(box.SelectString(0, u"Glucose"), -1);
    EXPECT_EQ(box.GetCurSel(), 1);
    EXPECT_EQ(box.GetWindowText(), u"Iron Panel");

    EXPECT_EQ(box.SetCurSel(-1), -1);
    EXPECT_EQ(box.SelectedText(), u"");
    EXPECT_EQ(box.SelectString(0, u"nothing"), -1);
    EXPECT_EQ(box.GetCurSel(), -1);
}

}  // namespace
