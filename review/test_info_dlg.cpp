#include "review/test_info_dlg.h"

#include "platform/text.h"
#include "res/resource.h"
#include "review/test_name_choice.h"
#include "store/catalog_store.h"

#include <string_view>
#include <vector>

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
constexpr int kTextTop = 40;

// The section shown below the alternative names; every opening starts at 0.
int currentSection = 0;

// `text` in lines of at most 25 characters, breaking at the last blank that
// fits (hard after 25 code units when none does, or 24 where the 25th opens a
// character outside the basic plane, so no character is ever drawn in halves).
std::vector<std::u16string> WrapLines(std::u16string_view text) {
    std::vector<std::u16string> lines;
    while (text.size() > kLineChars) {
        const std::size_t blank = text.rfind(u' ', kLineChars);
        const std::size_t cut = blank == std::u16string_view::npos ? CutPoint(text, kLineChars) : blank;
        lines.emplace_back(text.substr(0, cut));
        text.remove_prefix(blank == std::u16string_view::npos ? cut : blank + 1);
    }
    lines.emplace_back(text);
    return lines;
}

// A fresh buffer for each entry, so an absent one reads as empty.
std::u16string ReadEntry(std::u16string_view test, std::u16string_view key) {
    std::u16string text;
    GetTestEntry(test, key, text);
    return text;
}

struct InfoRow {
    int y;  // unscrolled
    std::u16string text;
    bool title;
};

// The alternative names' title and lines, then for a section other than 0 its
// title one line below the last name line and its text one line below that.
std::vector<InfoRow> LayOut(std::u16string_view test, int section) {
    std::vector<InfoRow> rows{{kTextTop, std::u16string(kSections[0].title), true}};
    int y = 60;
    for (std::u16string& line : WrapLines(ReadEntry(test, kSections[0].key))) {
        rows.push_back({y, std::move(line), false});
        y += kLineHeight;
    }
    if (section == 0) return rows;
    rows.push_back({y, std::u16string(kSections[section].title), true});
    y += kLineHeight;
    for (std::u16string& line : WrapLines(ReadEntry(test, kSections[section].key))) {
        rows.push_back({y, std::move(line), false});
        y += kLineHeight;
    }
    return rows;
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
    textScroll_.SetAccessibleName(u"Test information");
    FitScrollBar();
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
        BindNotify(kTextScroll, kNotifyScrolled, &CTestInfoDlg::OnScrolled),
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

void CTestInfoDlg::OnScrolled() { RedrawNow(); }

void CTestInfoDlg::ShowSection(int index) {
    currentSection = index;
    FitScrollBar();
    RedrawNow();
}

// Shown, at the top, while the text is longer than the window: each position
// is one line.
void CTestInfoDlg::FitScrollBar() {
    const std::vector<InfoRow> rows = LayOut(testBox_.SelectedText(), currentSection);
    const int overflow = rows.back().y + kLineHeight - ClientHeight();
    const int lines = overflow > 0 ? (overflow + kLineHeight - 1) / kLineHeight : 0;
    textScroll_.SetScrollRange(0, lines, (ClientHeight() - kTextTop) / kLineHeight);
    textScroll_.SetScrollPos(0);
    textScroll_.ShowWindow(lines > 0);
}

void CTestInfoDlg::OnPaint(PaintSurface& dc) {
    dc.FillRect({0, 0, dc.Width(), dc.Height()}, kWhite);
    // Rows scrolled above the top are not drawn, so none shows in halves.
    const int shift = kLineHeight * textScroll_.GetScrollPos();
    for (const InfoRow& row : LayOut(testBox_.SelectedText(), currentSection)) {
        if (row.y - shift < kTextTop) continue;
        dc.SetTextColor(row.title ? kNavy : kBlack);
        dc.SelectFont(row.title ? &kTitleFont : &kTextFont);
        dc.TextOut(kTextX, row.y - shift, row.text);
    }
}
