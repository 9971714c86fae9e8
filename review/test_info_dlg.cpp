#include "review/test_info_dlg.h"

#include "platform/text.h"
#include "res/resource.h"
#include "review/test_name_choice.h"
#include "store/catalog_store.h"

#include <string_view>

namespace {

struct Section {
    std::u16string_view title;
    std::u16string_view key;
};

constexpr Section kSections[] = {
    {u"Alternative names:", u"other name"},
    {u"Why take the test?", u"why"},
    {u"When to take the test?", u"when"},
    {u"How is the it performed?", u"how"},
    {u"Results Interpretation", u"normal results"},
    {u"Is there a home test?", u"home test"},
};

const FontSpec kTitleFont{u"Verdana", -12, 700, true};
const FontSpec kTextFont{u"Verdana", -12, 400};

constexpr std::size_t kLineChars = 25;
constexpr int kLineHeight = 15;
constexpr int kTextX = 10;

// The section shown below the alternative names; every opening starts at 0.
int currentSection = 0;

// Draws `text` in lines of at most 25 characters from `y` on, breaking at the
// last blank that fits (hard after 25 code units when none does, or 24 where
// the 25th opens a character outside the basic plane, so no character is ever
// drawn in halves). Returns the number of lines drawn before the last one.
int DrawWrapped(PaintSurface& dc, std::u16string_view text, int y) {
    int lines = 0;
    while (text.size() > kLineChars) {
        const std::size_t blank = text.rfind(u' ', kLineChars);
        if (blank == std::u16string_view::npos) {
            const std::size_t cut = CutPoint(text, kLineChars);
            dc.TextOut(kTextX, y, text.substr(0, cut));
            text.remove_prefix(cut);
        } else {
            dc.TextOut(kTextX, y, text.substr(0, blank));
            text.remove_prefix(blank + 1);
        }
        y += kLineHeight;
        ++lines;
    }
    dc.TextOut(kTextX, y, text);
    return lines;
}

// A fresh buffer for each entry, so an absent one reads as empty.
std::u16string ReadEntry(std::u16string_view test, std::u16string_view key) {
    std::u16string text;
    GetTestEntry(test, key, text);
    return text;
}

}  // namespace

CTestInfoDlg::CTestInfoDlg(CDialog* parent) : CDialog(IDD_TEST_INFO, parent) {}

bool CTestInfoDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // Nothing painted beside the box names it.
    testBox_.SetAccessibleName(u"Test Name");
    ListResultTests(testBox_);
    SelectNamedTest(testBox_, testName);
    currentSection = 0;
    return true;
}

const CommandTable& CTestInfoDlg::Commands() const {
    static const CommandTable table{
        BindCommand(kWhyButton, &CTestInfoDlg::OnWhy),
        BindCommand(kWhenButton, &CTestInfoDlg::OnWhen),
        BindCommand(kHowButton, &CTestInfoDlg::OnHow),
        BindCommand(kResultsButton, &CTestInfoDlg::OnResults),
        BindCommand(kHomeButton, &CTestInfoDlg::OnHome),
        BindNotify(kTestBox, kNotifySelectionConfirmed, &CTestInfoDlg::OnTestChosen),
        BindCommand(kExitButton, &CTestInfoDlg::OnExit),
        BindPaint(&CTestInfoDlg::OnPaint),
    };
    return table;
}

void CTestInfoDlg::OnWhy() { ShowSection(1); }
void CTestInfoDlg::OnWhen() { ShowSection(2); }
void CTestInfoDlg::OnHow() { ShowSection(3); }
void CTestInfoDlg::OnResults() { ShowSection(4); }
void CTestInfoDlg::OnHome() { ShowSection(5); }
void CTestInfoDlg::OnTestChosen() { ShowSection(0); }
void CTestInfoDlg::OnExit() { EndDialog(IDOK); }

void CTestInfoDlg::ShowSection(int index) {
    currentSection = index;
    RedrawNow();
}

void CTestInfoDlg::OnPaint(PaintSurface& dc) {
    dc.FillRect({0, 0, dc.Width(), dc.Height()}, kWhite);
    dc.SetTextColor(kNavy);
    dc.SelectFont(&kTitleFont);
    dc.TextOut(kTextX, 40, kSections[0].title);

    dc.SetTextColor(kBlack);
    dc.SelectFont(&kTextFont);
    const std::u16string test = testBox_.SelectedText();
    const int n = DrawWrapped(dc, ReadEntry(test, kSections[0].key), 60);

    const int s = currentSection;
    if (s == 0) return;
    DrawWrapped(dc, ReadEntry(test, kSections[s].key), 90 + kLineHeight * n);
    dc.SetTextColor(kNavy);
    dc.SelectFont(&kTitleFont);
    dc.TextOut(kTextX, 75 + kLineHeight * n, kSections[s].title);
}
