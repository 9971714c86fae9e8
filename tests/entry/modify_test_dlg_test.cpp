#include "entry/modify_test_dlg.h"

#include "entry/take_test_dlg.h"
#include "entry_fixture.h"
#include "res/resource.h"
#include "store/test_record_store.h"
#include "support/list_rows.h"

namespace {

using Dates = std::vector<std::u16string>;

class ModifyTestDlgTest : public EntryTest {
protected:
    void SetUp() override {
        EntryTest::SetUp();
        WriteCatalogue();
        AddResult(u"Ann", u"Lipid Panel", u"", MakeDate(2004, 12, 31), u"HDL", u"45", u"50", u"mg/dL");
        AddResult(u"Ann", u"Lipid Panel", u"", MakeDate(2004, 12, 31), u"LDL", u"110", u"100", u"mg/dL");
        AddResult(u"Ann", u"Lipid Panel", u"", MakeDate(2004, 1, 5), u"HDL", u"40", u"50", u"mg/dL");
        AddResult(u"Bob", u"Lipid Panel", u"", MakeDate(2004, 2, 2), u"HDL", u"40", u"50", u"mg/dL");
        dlg.userName = u"Ann";
        dlg.testName = u"Lipid Panel";
    }

    int Run(std::function<void(CModifyTestDlg&)> script) {
        driver.Expect<CModifyTestDlg>(IDD_MODIFY_TEST, std::move(script));
        return dlg.DoModal();
    }

    static Dates Listed(CDialog& d) { return ListRows(d, CModifyTestDlg::kDateList); }
    static void Select(CDialog& d, std::u16string_view date) {
        CListCtrl list(d, CModifyTestDlg::kDateList);
        list.UserSelect(list.FindItem(kFindString | kFindPartial, -1, date));
    }

    CModifyTestDlg dlg;
};

TEST_F(ModifyTestDlgTest, EditOpensTakeTestOnTheChosenDate) {
    const int result = Run([this](CModifyTestDlg& d) {
        EXPECT_EQ(Listed(d), (Dates{u"12/31/2004", u"1/5/2004"}));
        d.SendCommand(CModifyTestDlg::kEditButton);
        EXPECT_EQ(driver.Messages(), Dates{u"Pease choose a date to modify"});

        Select(d, u"12/31/2004");
        driver.Expect<CTakeTestDlg>(IDD_TAKE_TEST, [](CTakeTestDlg& t) {
            EXPECT_EQ(t.testDate, MakeDate(2004, 12, 31));
            CDateTimeCtrl(t, CTakeTestDlg::kDatePicker).UserSetDate(2004, 11, 30);
            t.SendCommand(CTakeTestDlg::kOkButton);
        });
        d.SendCommand(CModifyTestDlg::kEditButton);
        // The moved results show only when the dialog opens again; the old date stays.
        EXPECT_EQ(Listed(d), (Dates{u"12/31/2004", u"1/5/2004"}));
        d.SendCommand(IDOK);  // Close
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_FALSE(dlg.noDatesLeft);
    EXPECT_NE(FindTestRecord(u"Ann", u"Lipid Panel", MakeDate(2004, 11, 30)), -1);
    EXPECT_NE(FindTestRecord(u"Ann", u"Lipid Panel", MakeDate(2004, 12, 31)), -1);
}

TEST_F(ModifyTestDlgTest, DeletingTheLastDateSetsTheFlag) {
    Run([this](CModifyTestDlg& d) {
        d.SendCommand(CModifyTestDlg::kDeleteButton);
        EXPECT_EQ(driver.Messages(), Dates{u"Pease choose a date to delete"});
        EXPECT_FALSE(dlg.noDatesLeft);

        Select(d, u"12/31/2004");
        d.SendCommand(CModifyTestDlg::kDeleteButton);
        EXPECT_EQ(Listed(d), Dates{u"1/5/2004"});
        EXPECT_EQ(FindTestRecord(u"Ann", u"Lipid Panel", MakeDate(2004, 12, 31)), -1);
        EXPECT_FALSE(dlg.noDatesLeft);

        Select(d, u"1/5/2004");
        d.SendCommand(CModifyTestDlg::kDeleteButton);
        EXPECT_TRUE(Listed(d).empty());
        EXPECT_TRUE(dlg.noDatesLeft);
        d.SendCommand(IDOK);
    });
    EXPECT_EQ(driver.Messages().size(), 1u);
    // Bob's test of the same name is untouched.
    EXPECT_NE(FindTestRecord(u"Bob", u"Lipid Panel", MakeDate(2004, 2, 2)), -1);

    // An empty list: the message, and the flag as well.
    CModifyTestDlg empty;
    empty.userName = u"Cy";
    empty.testName = u"Lipid Panel";
    driver.Expect<CModifyTestDlg>(IDD_MODIFY_TEST, [](CModifyTestDlg& d) {
        d.SendCommand(CModifyTestDlg::kDeleteButton);
        d.SendCommand(IDOK);
    });
    EXPECT_EQ(empty.DoModal(), IDOK);
    EXPECT_TRUE(empty.noDatesLeft);
    EXPECT_EQ(driver.Messages().back(), u"Pease choose a date to delete");
}

TEST_F(ModifyTestDlgTest, AddListsANewDateOnce) {
    Run([this](CModifyTestDlg& d) {
        for (int press = 0; press < 2; ++press) {
            driver.Expect<CTakeTestDlg>(IDD_TAKE_TEST, [](CTakeTestDlg& t) {
                EXPECT_EQ(t.mode, CTakeTestDlg::kModeAddDate);
                EXPECT_EQ(t.testName, u"Lipid Panel");
                t.SendCommand(CTakeTestDlg::kOkButton);  // today, no results
            });
            d.SendCommand(CModifyTestDlg::kAddButton);
            EXPECT_EQ(Listed(d), (Dates{u"12/31/2004", u"1/5/2004", u"3/5/2004"}));
        }
        driver.Expect<CTakeTestDlg>(IDD_TAKE_TEST, [](CTakeTestDlg& t) { t.SendCommand(CTakeTestDlg::kCancelButton); });
        d.SendCommand(CModifyTestDlg::kAddButton);
        EXPECT_EQ(Listed(d).size(), 3u);
        d.SendCommand(IDOK);
    });
    EXPECT_NE(FindTestRecord(u"Ann", u"Lipid Panel", MakeDate(2004, 3, 5)), -1);
}

}  // namespace
