#include "store/test_info_import.h"

#include "platform/device.h"
#include "platform/paint_surface.h"
#include "platform/records/record_store.h"
#include "platform/text.h"
#include "store/catalog_store.h"
#include "store/test_info_file.h"

namespace {

constexpr std::u16string_view kResultNameKey = u"resultname";
constexpr int kInfoLines = 7;  // six information sections and "number of results"
constexpr int kProgressX = 20;
constexpr int kProgressY = 150;
// Drawn in white over the last progress text to wipe it out.
constexpr std::u16string_view kProgressWipe = u"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa";

// A line as read may still carry its line feed; nothing from it on belongs to the text.
std::u16string_view LineBody(std::u16string_view line) { return line.substr(0, line.find(u'\n')); }

void DrawProgress(PaintSurface& surface, std::u16string_view test) {
    surface.SelectFont(nullptr);
    surface.SetTextColor(kWhite);
    surface.TextOut(kProgressX, kProgressY, kProgressWipe);
    surface.SetTextColor(kBlack);
    surface.TextOut(kProgressX, kProgressY, BoundedText(u"Loading " + std::u16string(test)));
}

// The entry lines of one block and the two lines after them. The end of the
// file inside a block ends the block after its complete lines. False when a
// write failed.
bool ImportBlockEntries(TestInfoFile& file, PropertyDatabase& catalog, const std::u16string& test) {
    std::u16string line, key, value;
    // The seventh line's count extends the loop; 64 bits so 3 x count cannot overflow.
    long long resultLines = 0;
    for (long long i = 0; i < resultLines + kInfoLines; ++i) {
        if (!file.ReadLine(line)) return true;
        ParseEntryLine(line, key, value);
        // A lost result name would shift the numbering of every later result of the test.
        if (key.starts_with(kResultNameKey) && !AddResultName(test, value)) return false;
        if (!WriteTestEntry(catalog, test, key, value)) return false;
        if (i == kInfoLines - 1) {
            resultLines = 3LL * TextToInt(value);
            if (resultLines == 0 && !AddResultName(test, u"")) return false;
        }
    }
    file.ReadLine(line);
    file.ReadLine(line);
    return true;
}

}  // namespace

bool TestInfoImported() { return PropertyDatabase::Exists(kTestCatalogDatabase); }

bool ImportTestInfo(PaintSurface& progress, ImportProblem* problem) {
    ImportProblem ignored;
    ImportProblem& why = problem ? *problem : ignored;
    why = ImportProblem::None;
    if (TestInfoImported()) return false;
    TestInfoFile file;
    switch (file.Open(ResolveDevicePath(kTestInfoFilePath))) {
    case TestInfoFile::OpenResult::Opened:
        break;
    case TestInfoFile::OpenResult::Unreadable:
        return false;
    case TestInfoFile::OpenResult::TooLarge:
        why = ImportProblem::FileTooLarge;
        return false;
    }

    // The catalogue's existence marks a completed first run, so it appears only
    // with everything the file holds; an interrupted import leaves nothing.
    why = ImportProblem::StoreRefused;
    StoreTransaction transaction;
    PropertyDatabase catalog;
    if (!CreateTestCatalog(catalog)) return false;
    std::u16string line, test;
    while (file.ReadLine(line)) {
        test.clear();
        ParseNameLine(line, test);
        if (!ImportBlockEntries(file, catalog, test)) return false;
        DrawProgress(progress, test);
    }
    if (file.Failed() || file.TooLarge()) {
        why = file.Failed() ? ImportProblem::FileUnreadable : ImportProblem::FileTooLarge;
        return false;
    }
    file.Close();
    catalog.Close();
    if (!transaction.Commit()) return false;
    why = ImportProblem::None;
    return true;
}

bool ParseNameLine(std::u16string_view line, std::u16string& name) {
    line = LineBody(line);
    const auto mark = line.find(u'>');
    if (mark == std::u16string_view::npos) return false;
    name = BoundedText(line.substr(mark + 1));
    return true;
}

void ParseEntryLine(std::u16string_view line, std::u16string& key, std::u16string& value) {
    line = LineBody(line);
    const auto open = line.find(u'<');
    const auto close = open == std::u16string_view::npos ? open : line.find(u'>', open + 1);
    if (close == std::u16string_view::npos) {
        // A broken line is still one entry: its text, after a '<' when there is one.
        key.clear();
        value = BoundedText(open == std::u16string_view::npos ? line : line.substr(open + 1));
        return;
    }
    key = BoundedText(line.substr(open + 1, close - open - 1));
    value = BoundedText(line.substr(close + 1));
}
