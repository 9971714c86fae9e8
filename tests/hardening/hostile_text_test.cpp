// Hostile text where a person types it and where the catalogue file supplies
// it, through the real dialogs: overlong texts, printf directives, line breaks
// and control characters, broken bytes, characters outside the basic plane and
// names that differ only in letter case. Nothing crashes, everything is drawn
// literally, and nothing is stored but what was typed, cut to the bound.

#include "app/temp_device.h"
#include "support/list_rows.h"
#include "support/record_texts.h"

#include "app/vantrel_app.h"
#include "app/vantrel_dlg.h"
#include "entry/add_patient_dlg.h"
#include "entry/add_result_dlg.h"
#include "entry/modify_test_dlg.h"
#include "entry/switch_user_dlg.h"
#include "entry/take_test_dlg.h"
#include "platform/memory_listing.h"
#include "platform/records/record_store.h"
#include "platform/text.h"
#include "platform/ui/controls.h"
#include "res/resource.h"
#include "review/graph_options_dlg.h"
#include "review/results_graph_dlg.h"
#include "review/test_info_dlg.h"
#include "review/test_report_dlg.h"
#include "store/catalog_store.h"
#include "store/patient_store.h"
#include "store/result_row.h"
#include "store/settings_store.h"
#include "store/test_record_layout.h"
#include "support/dialog_driver.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

using Texts = std::vector<std::u16string>;

const std::u16string kSmile = u"\U0001F600";  // one character, two code units

// Code units of `fill` up to the bound and a character outside the basic plane whose
// two halves fall on either side of the bound, then more text.
std::u16string Straddling(char16_t fill) { return std::u16string(kTextMax - 1, fill) + kSmile + u"tail"; }
// The same character just inside the bound.
std::u16string EndingInPair(char16_t fill) { return std::u16string(kTextMax - 2, fill) + kSmile + u"tail"; }

bool HasLoneSurrogate(std::u16string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool high = text[i] >= 0xD800 && text[i] <= 0xDBFF, low = text[i] >= 0xDC00 && text[i] <= 0xDFFF;
        if (low) return true;
        if (high && (i + 1 == text.size() || !(text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF))) return true;
        if (high) ++i;
    }
    return false;
}

// Each stored record as user, test, comment, result name, value, goal and unit.
std::vector<Texts> StoredTests() {
    return RecordTexts(kTestRecordsDatabase, {kPropUser, kPropTestName, kPropComment, kPropResultName,
                                              kPropResultValue, kPropGoalValue, kPropResultUnit});
}

std::vector<std::u16string> DrawnTexts(CDialog& d) {
    std::vector<std::u16string> texts;
    for (const DrawnText& t : RecordPaint(d).texts) texts.push_back(t.text);
    return texts;
}

class HostileTextTest : public ::testing::Test {
protected:
    // Add Patient in mode 2 with a typed name, through Graph Options; the name the dialog stored.
    std::u16string AddUserTyped(std::u16string_view typed) {
        CAddPatientDlg dlg;
        dlg.mode = CAddPatientDlg::kModeNew;
        driver_.Expect<CAddPatientDlg>(IDD_ADD_PATIENT, [this, typed](CAddPatientDlg& p) {
            CEdit(p, CAddPatientDlg::kNameEdit).UserType(typed);
            CComboBox(p, CAddPatientDlg::kSexBox).UserChoose(0);  // Female
            driver_.Expect<CGraphOptionsDlg>(IDD_GRAPH_OPTIONS, [](CGraphOptionsDlg& g) { g.SendCommand(IDOK); });
            p.SendCommand(CAddPatientDlg::kOkButton);
        });
        EXPECT_EQ(dlg.DoModal(), IDOK);
        return dlg.name;
    }

    // Presses Add in Take Test and types the four fields of a result; a value
    // or goal that is no number is kept as typed when Ok asks.
    void AddTypedResult(CTakeTestDlg& d, const ResultRow& typed) {
        driver_.Expect<CAddResultDlg>(IDD_ADD_RESULT, [this, typed](CAddResultDlg& r) {
            CComboBox(r, CAddResultDlg::kResultNameBox).UserType(typed.name);
            CEdit(r, CAddResultDlg::kValueEdit).UserType(typed.value);
            CEdit(r, CAddResultDlg::kGoalEdit).UserType(typed.goal);
            CEdit(r, CAddResultDlg::kUnitEdit).UserType(typed.unit);
            KeepAsTyped(r);
        });
        d.SendCommand(CTakeTestDlg::kAddButton);
    }

    // Presses Ok, and when it asks whether to keep what is no number, says yes.
    void KeepAsTyped(CAddResultDlg& r) {
        r.SendCommand(IDOK);
        if (r.IsEnded()) return;
        ASSERT_FALSE(driver_.Messages().empty());
        EXPECT_TRUE(driver_.Messages().back().ends_with(u"as typed?")) << TextToUtf8(driver_.Messages().back());
        driver_.ClearMessages();
        driver_.AnswerNextQuestion(true);
        r.SendCommand(IDOK);
        driver_.ClearMessages();
        EXPECT_TRUE(r.IsEnded());
    }

    // Take Test in mode 0 with a typed test name, comment and results; the stored test name.
    std::u16string TakeTestTyped(std::u16string_view user, std::u16string_view test, std::u16string_view comment,
                                 const std::vector<ResultRow>& results) {
        CTakeTestDlg dlg;
        dlg.userName = std::u16string(user);
        driver_.Expect<CTakeTestDlg>(IDD_TAKE_TEST, [&](CTakeTestDlg& d) {
            CComboBox(d, CTakeTestDlg::kTestNameBox).UserType(test);
            CEdit(d, CTakeTestDlg::kCommentEdit).UserType(comment);
            for (const ResultRow& r : results) AddTypedResult(d, r);
            d.SendCommand(CTakeTestDlg::kOkButton);
        });
        EXPECT_EQ(dlg.DoModal(), IDOK);
        return dlg.testName;
    }

    // Opens dialog D on `user`'s `test` and runs `script` in it.
    template <class D>
    int Open(int id, std::u16string_view user, std::u16string_view test, std::function<void(D&)> script) {
        D dlg;
        dlg.userName = std::u16string(user);
        dlg.testName = std::u16string(test);
        driver_.Expect<D>(id, std::move(script));
        return dlg.DoModal();
    }

    void ExpectDriverDone() {
        EXPECT_TRUE(driver_.Failures().empty()) << driver_.Failures().front();
        EXPECT_EQ(driver_.PendingScripts(), 0u);
        EXPECT_TRUE(driver_.Messages().empty()) << TextToUtf8(driver_.Messages().front());
    }

    static constexpr SystemTime kToday{2026, 6, 0, 14, 0, 0, 0, 0};

    TempDevice device_;
    DialogDriver driver_;
};

TEST_F(HostileTextTest, LongTextsAreStoredCutToTheBoundNeverInsideACharacter) {
    const std::u16string user = AddUserTyped(Straddling(u'u') + u"\r\nsecond line");
    EXPECT_EQ(user, std::u16string(kTextMax - 1, u'u'));  // the character does not fit: dropped whole
    EXPECT_TRUE(HasPatient(user));

    const ResultRow typed{Straddling(u'n'), EndingInPair(u'v'), Straddling(u'g'), EndingInPair(u'e')};
    const std::u16string test = TakeTestTyped(user, EndingInPair(u't'), Straddling(u'c'), {typed});
    const Texts stored{user,
                            std::u16string(kTextMax - 2, u't') + kSmile,
                            std::u16string(kTextMax - 1, u'c'),
                            std::u16string(kTextMax - 1, u'n'),
                            std::u16string(kTextMax - 2, u'v') + kSmile,
                            std::u16string(kTextMax - 1, u'g'),
                            std::u16string(kTextMax - 2, u'e') + kSmile};
    EXPECT_EQ(test, stored[1]);
    EXPECT_EQ(StoredTests(), std::vector<Texts>{stored});

    // Drawn as stored, never half a character; edited again, the rows read
    // back from the store come out as stored.
    Open<CModifyTestDlg>(IDD_MODIFY_TEST, user, test, [&](CModifyTestDlg& m) {
        EXPECT_NE(RecordPaint(m).FindText(test), nullptr);
        CListCtrl(m, CModifyTestDlg::kDateList).UserSelect(0);
        driver_.Expect<CTakeTestDlg>(IDD_TAKE_TEST, [&](CTakeTestDlg& d) {
            EXPECT_EQ(ListRows(d, CTakeTestDlg::kResultList),
                      Texts{FormatResultRow(stored[3], stored[4], stored[5], stored[6])});
            CEdit(d, CTakeTestDlg::kCommentEdit).UserType(stored[2]);
            d.SendCommand(CTakeTestDlg::kOkButton);
        });
        m.SendCommand(CModifyTestDlg::kEditButton);
        m.SendCommand(IDOK);
    });
    EXPECT_EQ(StoredTests(), std::vector<Texts>{stored});
    Open<CTestReportDlg>(IDD_TEST_REPORT, user, test, [&](CTestReportDlg& r) {
        const Texts drawn = DrawnTexts(r);
        EXPECT_NE(std::find(drawn.begin(), drawn.end(), test), drawn.end());
        EXPECT_NE(std::find(drawn.begin(), drawn.end(), user), drawn.end());
        for (const std::u16string& row : ListRows(r, 1006)) {
            EXPECT_LE(row.size(), kTextMax);
            EXPECT_FALSE(HasLoneSurrogate(row));
        }
        r.SendCommand(IDOK);
    });
    Open<CResultsGraphDlg>(IDD_RESULTS_GRAPH, user, test, [&](CResultsGraphDlg& g) {
        EXPECT_EQ(CComboBox(g, 1009).SelectedText(), stored[3]);
        for (const std::u16string& text : DrawnTexts(g)) EXPECT_FALSE(HasLoneSurrogate(text));
        g.SendCommand(ID_EXIT);
    });
    ExpectDriverDone();
}

TEST_F(HostileTextTest, FormatDirectivesAreStoredAndDrawnLiterally) {
    const std::u16string directives = u"%s%n%d %x%p %%s %1$s";
    ASSERT_TRUE(SetTestEntry(directives, u"other name", u"%n%s%n"));
    ASSERT_TRUE(SetTestEntry(directives, u"resultvalue1", u"%d[%s]"));
    ASSERT_TRUE(SetTestEntry(directives, u"resultunit1", u"%n (%s)"));
    ASSERT_TRUE(AddResultName(directives, u"%s"));

    const std::u16string user = AddUserTyped(directives);
    EXPECT_EQ(user, directives);
    // The test preset: chosen, not typed.
    EXPECT_EQ(Open<CTakeTestDlg>(IDD_TAKE_TEST, user, directives, [&](CTakeTestDlg& d) {
        CEdit(d, CTakeTestDlg::kCommentEdit).UserType(u"%n%n%n");
        driver_.Expect<CAddResultDlg>(IDD_ADD_RESULT, [this](CAddResultDlg& r) {
            // Prefilled from the catalogue for a woman: the goal in brackets.
            EXPECT_EQ(CComboBox(r, CAddResultDlg::kResultNameBox).SelectedText(), u"%s");
            EXPECT_EQ(CEdit(r, CAddResultDlg::kGoalEdit).Text(), u"%s");
            EXPECT_EQ(CEdit(r, CAddResultDlg::kUnitEdit).Text(), u"%n (%s)");
            CEdit(r, CAddResultDlg::kValueEdit).UserType(u"%d");
            KeepAsTyped(r);
        });
        d.SendCommand(CTakeTestDlg::kAddButton);
        d.SendCommand(CTakeTestDlg::kOkButton);
    }), IDOK);
    EXPECT_EQ(StoredTests(), (std::vector<Texts>{{user, directives, u"%n%n%n", u"%s", u"%d", u"%s", u"%n (%s)"}}));

    Open<CTestReportDlg>(IDD_TEST_REPORT, user, directives, [&](CTestReportDlg& r) {
        const Texts drawn = DrawnTexts(r);
        EXPECT_EQ(std::count(drawn.begin(), drawn.end(), directives), 2);  // test and user
        const Texts rows = ListRows(r, 1006);
        EXPECT_NE(std::find(rows.begin(), rows.end(), u"%s: %d %n  [Goal: %s %n ]"), rows.end());
        EXPECT_NE(std::find(rows.begin(), rows.end(), u"%n  : %s"), rows.end());
        r.SendCommand(IDOK);
    });
    CTestInfoDlg info;
    info.testName = directives;
    driver_.Expect<CTestInfoDlg>(IDD_TEST_INFO, [](CTestInfoDlg& i) {
        EXPECT_NE(RecordPaint(i).FindText(u"%n%s%n"), nullptr);
        i.SendCommand(1011);
    });
    info.DoModal();
    ExpectDriverDone();
}

// One-line fields hold each line break as one blank and keep tabs and other
// control characters as typed.
TEST_F(HostileTextTest, ALineBreakInAOneLineFieldIsABlank) {
    const std::u16string user = AddUserTyped(u"Ann\tLee\r\nBob");
    EXPECT_EQ(user, u"Ann\tLee Bob");
    const std::u16string test =
        TakeTestTyped(user, u"Iron\tPanel\nsecond", u"Fasting\x01\tno breakfast\r\nsecond line",
                      {{u"Fe\tx\r\ny", u"60\n70", u"50-150\rz", u"mcg/dL\x7F\nx"}});
    EXPECT_EQ(test, u"Iron\tPanel second");
    EXPECT_EQ(StoredTests(), (std::vector<Texts>{{user, u"Iron\tPanel second",
                                                       u"Fasting\x01\tno breakfast second line", u"Fe\tx y",
                                                       u"60 70", u"50-150 z", u"mcg/dL\x7F x"}}));
    // Taught to the catalogue as stored (before a first run, the name alone).
    MemoryListing tests(true), names;
    ListResultTests(tests);
    EXPECT_EQ(tests.Items(), Texts{u"Iron\tPanel second"});
    ListResultNames(u"Iron\tPanel second", names);
    EXPECT_EQ(names.Items(), Texts{u"Fe\tx y"});
    ExpectDriverDone();
}

// The catalogue file as the first run reads it: broken bytes become
// replacement characters, NULs go, and what is left is shown exactly as read.
TEST_F(HostileTextTest, TheCatalogueFileIsShownAsItWasRead) {
    const std::string why = std::string(24, 'w') + "\xF0\x9F\x98\x80" + " and then some more words " +
                            std::string(40, 'x');  // hard breaks after 25 units, one falling in the pair
    device_.WriteTestInfoFile("<name>Iron\0 Panel \xF0\x9F\x98\x80\n"s
                              "<other name>Fe\xC0\xAF\t%s%n\n"
                              "<why>" + why + "\n"
                              "<when>\xFF\xFE\n<how>h\n<normal results>n\n<home test>No\n<number of results>1\n"
                              "<resultname1>Fe\xED\xA0\x80\n<resultvalue1>60-170[50-150]\n<resultunit1>mcg/dL\x01\n\n\n");
    driver_.Expect<CAddPatientDlg>(IDD_ADD_PATIENT, [](CAddPatientDlg& p) { p.SendCommand(CAddPatientDlg::kCancelButton); });
    driver_.Expect<CVantrelDlg>(IDD_VANTREL, [](CVantrelDlg& d) { d.SendCommand(CVantrelDlg::kCloseButton); });
    CVantrelApp app;
    app.InitInstance();

    const std::u16string test = u"Iron Panel " + kSmile;
    CTestInfoDlg info;
    info.testName = test;
    driver_.Expect<CTestInfoDlg>(IDD_TEST_INFO, [&](CTestInfoDlg& i) {
        EXPECT_EQ(CComboBox(i, 1002).SelectedText(), test);
        EXPECT_NE(RecordPaint(i).FindText(u"Fe\uFFFD\t%s%n"), nullptr);
        i.SendCommand(1001);  // Why
        std::u16string joined;
        for (const DrawnText& t : RecordPaint(i).texts) {
            if (t.y < 90) continue;  // the alternative names and the title
            if (t.text == u"Why take the test?") continue;
            EXPECT_FALSE(HasLoneSurrogate(t.text)) << t.y;
            joined += t.text;
        }
        std::u16string whyText = Utf8ToText(why);
        std::erase(whyText, u' ');
        std::erase(joined, u' ');  // the blanks lines break at are not drawn
        EXPECT_EQ(joined, whyText);
        i.SendCommand(1011);
    });
    info.DoModal();

    ASSERT_TRUE(AddPatient(u"Ann", u"Female", MakeDate(1970, 5, 2), u"0", u"Bar"));
    Open<CTakeTestDlg>(IDD_TAKE_TEST, u"Ann", test, [this, &test](CTakeTestDlg& d) {
        EXPECT_EQ(CComboBox(d, CTakeTestDlg::kTestNameBox).SelectedText(), test);
        driver_.Expect<CAddResultDlg>(IDD_ADD_RESULT, [](CAddResultDlg& r) {
            EXPECT_EQ(CComboBox(r, CAddResultDlg::kResultNameBox).SelectedText(), u"Fe\uFFFD");
            EXPECT_EQ(CEdit(r, CAddResultDlg::kGoalEdit).Text(), u"50-150");
            EXPECT_EQ(CEdit(r, CAddResultDlg::kUnitEdit).Text(), u"mcg/dL\x01");
            r.SendCommand(IDCANCEL);
        });
        d.SendCommand(CTakeTestDlg::kAddButton);
        d.SendCommand(CTakeTestDlg::kCancelButton);
    });
    EXPECT_TRUE(driver_.Failures().empty()) << driver_.Failures().front();
    EXPECT_EQ(driver_.PendingScripts(), 0u);
}

// Two users whose names differ only in letter case are two users: Switch User
// lists the one it meets first, each sees only its own tests, and deleting
// one leaves the other with everything it had.
TEST_F(HostileTextTest, NamesThatDifferOnlyInCaseStayApart) {
    EXPECT_EQ(AddUserTyped(u"\u00E9mile"), u"\u00E9mile");
    // No longer addable by hand, but an earlier version or an import may have stored both.
    ASSERT_TRUE(AddPatient(u"\u00C9MILE", u"Female", MakeDate(1980, 1, 1), u"0", u"Bar"));
    EXPECT_EQ(ReadPatient(u"\u00E9mile")->name, u"\u00E9mile");
    EXPECT_EQ(ReadPatient(u"\u00C9MILE")->name, u"\u00C9MILE");
    TakeTestTyped(u"\u00E9mile", u"Iron", u"", {{u"Fe", u"60", u"50-150", u"mcg/dL"}});
    TakeTestTyped(u"\u00C9MILE", u"Zinc", u"", {});
    ASSERT_TRUE(CreateSettings(u"\u00E9mile"));

    CVantrelDlg main;
    driver_.Expect<CVantrelDlg>(IDD_VANTREL, [&](CVantrelDlg& d) {
        EXPECT_EQ(ListRows(d, CVantrelDlg::kTestList), Texts{u"Iron"});
        driver_.Expect<CSwitchUserDlg>(IDD_SWITCH_USER, [this](CSwitchUserDlg& s) {
            EXPECT_EQ(ListBoxRows(s, CSwitchUserDlg::kUserList), Texts{u"\u00E9mile"});
            driver_.AnswerNextQuestion(true);
            s.SendCommand(CSwitchUserDlg::kDeleteButton);  // the selected current user
            EXPECT_EQ(driver_.Messages(), Texts{u"Delete \u00E9mile and 1 test?"});
            driver_.ClearMessages();
            EXPECT_TRUE(ListBoxRows(s, CSwitchUserDlg::kUserList).empty());
            s.SendCommand(CSwitchUserDlg::kCancelButton);
        });
        d.SendCommand(CVantrelDlg::kSwitchUserButton);
        driver_.Expect<CSwitchUserDlg>(IDD_SWITCH_USER, [](CSwitchUserDlg& s) {
            EXPECT_EQ(ListBoxRows(s, CSwitchUserDlg::kUserList), Texts{u"\u00C9MILE"});
            CListBox(s, CSwitchUserDlg::kUserList).UserSelect(0);
            s.SendCommand(CSwitchUserDlg::kOkButton);
        });
        d.SendCommand(CVantrelDlg::kSwitchUserButton);
        EXPECT_EQ(ListRows(d, CVantrelDlg::kTestList), Texts{u"Zinc"});
        EXPECT_EQ(DrawnTexts(d).front(), u"Tests for \u00C9MILE");
        d.SendCommand(CVantrelDlg::kCloseButton);
    });
    main.DoModal();
    EXPECT_FALSE(HasPatient(u"\u00E9mile"));
    EXPECT_EQ(StoredTests(), (std::vector<Texts>{{u"\u00C9MILE", u"Zinc", u"", u"", u"", u"", u""}}));
    ExpectDriverDone();
}

}  // namespace
