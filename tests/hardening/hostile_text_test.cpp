// Hostile text where a person types it and where the catalogue file supplies
// it, through the real dialogs: overlong texts, format directives, broken
// bytes and characters outside the basic plane. Nothing crashes, everything
// is drawn literally, and nothing is stored but what was typed, cut to the
// bound. Line breaks in one-line fields are the text rules' and the entry
// windows' tests; names differing in case only, the user changes'.

#include "app/temp_device.h"
#include "support/record_texts.h"

#include "entry/add_patient_dlg.h"
#include "entry/add_result_dlg.h"
#include "entry/take_test_dlg.h"
#include "platform/recording_surface.h"
#include "platform/text.h"
#include "platform/ui/controls.h"
#include "res/resource.h"
#include "review/graph_options_dlg.h"
#include "review/test_info_dlg.h"
#include "store/patient_store.h"
#include "store/test_info_import.h"
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

// `fill` up to the bound, then a character whose two halves fall on either side of it.
std::u16string Straddling(char16_t fill) { return std::u16string(kTextMax - 1, fill) + kSmile + u"tail"; }
// The same character just inside the bound.
std::u16string EndingInPair(char16_t fill) { return std::u16string(kTextMax - 2, fill) + kSmile + u"tail"; }

// A lone half of a surrogate pair does not survive the trip through UTF-8.
bool HasLoneSurrogate(std::u16string_view text) { return Utf8ToText(TextToUtf8(text)) != text; }

class HostileTextTest : public ::testing::Test {
protected:
    // Opens dialog D on `user`'s `test` and runs `script` in it.
    template <class D>
    int Open(int id, std::u16string_view user, std::u16string_view test, std::function<void(D&)> script) {
        D dlg;
        dlg.userName = std::u16string(user);
        dlg.testName = std::u16string(test);
        driver_.Expect<D>(id, std::move(script));
        return dlg.DoModal();
    }

    void TearDown() override {
        EXPECT_TRUE(driver_.Failures().empty()) << driver_.Failures().front();
        EXPECT_EQ(driver_.PendingScripts(), 0u);
    }

    TempDevice device_;
    DialogDriver driver_;
};

TEST_F(HostileTextTest, LongTextsAreStoredCutToTheBoundNeverInsideACharacter) {
    CAddPatientDlg patient;
    patient.mode = CAddPatientDlg::kModeNew;
    driver_.Expect<CAddPatientDlg>(IDD_ADD_PATIENT, [this](CAddPatientDlg& p) {
        CEdit(p, CAddPatientDlg::kNameEdit).UserType(Straddling(u'u'));
        driver_.Expect<CGraphOptionsDlg>(IDD_GRAPH_OPTIONS, [](CGraphOptionsDlg& g) { g.SendCommand(IDOK); });
        p.SendCommand(CAddPatientDlg::kOkButton);
    });
    ASSERT_EQ(patient.DoModal(), IDOK);
    const std::u16string user = std::u16string(kTextMax - 1, u'u');  // the character does not fit: dropped whole
    EXPECT_TRUE(HasPatient(user));

    const std::u16string test = std::u16string(kTextMax - 2, u't') + kSmile;
    EXPECT_EQ(Open<CTakeTestDlg>(IDD_TAKE_TEST, user, u"", [this](CTakeTestDlg& d) {
        CComboBox(d, CTakeTestDlg::kTestNameBox).UserType(EndingInPair(u't'));
        CEdit(d, CTakeTestDlg::kCommentEdit).UserType(Straddling(u'c'));
        driver_.Expect<CAddResultDlg>(IDD_ADD_RESULT, [this](CAddResultDlg& r) {
            CComboBox(r, CAddResultDlg::kResultNameBox).UserType(Straddling(u'n'));
            CEdit(r, CAddResultDlg::kValueEdit).UserType(EndingInPair(u'v'));
            CEdit(r, CAddResultDlg::kGoalEdit).UserType(Straddling(u'g'));
            CEdit(r, CAddResultDlg::kUnitEdit).UserType(EndingInPair(u'e'));
            driver_.AnswerNextQuestion(true);  // keep what is no number as typed
            r.SendCommand(IDOK);
        });
        d.SendCommand(CTakeTestDlg::kAddButton);
        d.SendCommand(CTakeTestDlg::kOkButton);
    }), IDOK);
    const Texts stored{user, test, std::u16string(kTextMax - 1, u'c'), std::u16string(kTextMax - 1, u'n'),
                       std::u16string(kTextMax - 2, u'v') + kSmile, std::u16string(kTextMax - 1, u'g'),
                       std::u16string(kTextMax - 2, u'e') + kSmile};
    EXPECT_EQ(RecordTexts(kTestRecordsDatabase, {kPropUser, kPropTestName, kPropComment, kPropResultName,
                                                 kPropResultValue, kPropGoalValue, kPropResultUnit}),
              std::vector<Texts>{stored});
}

// The catalogue file as the first run reads it (how broken bytes and NULs
// are read is the import's test): drawn exactly as read, lines broken
// between characters, never inside one.
TEST_F(HostileTextTest, TheCatalogueFileIsShownAsItWasRead) {
    const std::string why = std::string(24, 'w') + "\xF0\x9F\x98\x80" + " and then some more words " +
                            std::string(40, 'x');  // hard breaks after 25 units, one falling in the pair
    device_.WriteTestInfoFile("<name>Iron\0 Panel \xF0\x9F\x98\x80\n"s
                              "<other name>Fe\xC0\xAF\t%s%n %1\n<why>" + why + "\n"
                              "<when>w\n<how>h\n<normal results>n\n<home test>No\n<number of results>0\n\n\n");
    RecordingSurface progress;
    ASSERT_TRUE(ImportTestInfo(progress));
    CTestInfoDlg info;
    info.testName = u"Iron Panel " + kSmile;
    driver_.Expect<CTestInfoDlg>(IDD_TEST_INFO, [&](CTestInfoDlg& i) {
        EXPECT_EQ(CComboBox(i, 1002).SelectedText(), info.testName);
        EXPECT_NE(RecordPaint(i).FindText(u"Fe\uFFFD\t%s%n %1"), nullptr);
        i.SendCommand(1001);  // Why
        std::u16string joined;
        for (const DrawnText& t : RecordPaint(i).texts) {
            if (t.y < 90 || t.text == u"Why take the test?") continue;  // the alternative names and the titles
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
}

}  // namespace
