#include "store/test_info_import.h"

#include "platform/device.h"
#include "platform/recording_surface.h"
#include "platform/records/record_store.h"
#include "platform/text.h"
#include "store/catalog_store.h"
#include "store/test_info_file.h"
#include "store_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

// Catalogue entries as test, key, text; result names as test, name.
using Entry = std::vector<std::u16string>;
using Entries = std::vector<Entry>;

std::u16string U(std::string_view utf8) { return Utf8ToText(utf8); }

// Every record of `database` in store order, as the texts of `ids`; no database, no rows.
Entries RecordTexts(std::u16string_view database, std::initializer_list<std::uint16_t> ids) {
    Entries rows;
    PropertyDatabase db;
    if (!db.Open(database)) return rows;
    db.SetAdvanceAfterRead(true);
    db.SeekToIndex(0);
    PropertyRecord record;
    while (db.ReadCurrent(record)) {
        Entry& texts = rows.emplace_back();
        for (const std::uint16_t id : ids) texts.push_back(record.GetProperty(id)->StringValue());
    }
    return rows;
}
Entries CatalogEntries() { return RecordTexts(kTestCatalogDatabase, {201, 202, 203}); }
Entries ResultNames() { return RecordTexts(kResultCatalogDatabase, {901, 902}); }

// One block: name line, the six sections, the count line, then `resultLines`
// and the two separator lines.
std::string Block(const std::string& name, const std::string& count,
                  const std::vector<std::string>& resultLines = {}) {
    std::string block = "<name>" + name + "\n";
    for (const char* key : {"other name", "why", "when", "how", "normal results", "home test"})
        block += std::string("<") + key + ">" + name + " " + key + "\n";
    block += "<number of results>" + count + "\n";
    for (const std::string& line : resultLines) block += line + "\n";
    return block + "----\n\n";
}

std::string Utf16(std::u16string_view text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

class TestInfoImportTest : public StoreFixture {
protected:
    void Restart() { TearDown(), SetUp(); }
    static std::filesystem::path FilePath() { return ResolveDevicePath(kTestInfoFilePath); }

    static void WriteFile(const std::string& bytes) {
        std::filesystem::create_directories(FilePath().parent_path());
        std::ofstream(FilePath(), std::ios::binary | std::ios::trunc) << bytes;
    }

    // Imports `bytes` and returns the catalogue entries.
    static Entries Import(const std::string& bytes) {
        WriteFile(bytes);
        RecordingSurface surface;
        EXPECT_TRUE(ImportTestInfo(surface));
        return CatalogEntries();
    }
};

TEST_F(TestInfoImportTest, ResultCountReadsAsAnInteger) {
    // 0, empty and non-numbers all mean no results and add the marker; a
    // negative count ends the block after its seventh line; leading blanks and
    // trailing text are allowed.
    const Entries entries = Import(
        Block("A", "0") + Block("B", "") + Block("C", "none") + Block("D", "-3") +
        Block("E", " 1 result", {"<resultname1>e1", "<resultvalue1>1-2", "<resultunit1>u"}));

    EXPECT_EQ(entries.size(), 5u * 7 + 3);
    EXPECT_EQ(ResultNames(), (Entries{{u"A", u""}, {u"B", u""}, {u"C", u""}, {u"E", u"e1"}}));
    std::u16string count;
    EXPECT_TRUE(GetTestEntry(u"D", u"number of results", count));
    EXPECT_EQ(count, u"-3");
}

TEST_F(TestInfoImportTest, LinesSplitAtTheFirstMarksAndNothingIsTrimmed) {
    const Entries entries = Import(
        "Test Name>  Spaced Name \n"
        "   <how>  by a needle  \n"
        "junk<why>x < y > z<b>\n"
        "<when>>starts with a mark\n"
        "< other name >\n"
        "<>\n"
        "<home test>\n"
        "<number of results>0\n"
        "\n\n"
        "no mark at all\n"
        "<a>1\n<b>2\n<c>3\n<d>4\n<e>5\n<f>6\n<g>0\n\n\n");

    const std::u16string name = u"  Spaced Name ";
    EXPECT_EQ(Entries(entries.begin() + 7, entries.end()),
              (Entries{{name, u"how", u"  by a needle  "},
                                  {name, u"why", u"x < y > z<b>"},
                                  {name, u"when", u">starts with a mark"},
                                  {name, u" other name ", u""},
                                  {name, u"", u""},
                                  {name, u"home test", u""},
                                  {name, u"number of results", u"0"}}));
    // A name line without '>' gives the empty test name.
    EXPECT_EQ(entries.front(), (Entry{u"", u"a", u"1"}));
    EXPECT_EQ(entries.size(), 14u);
}

TEST_F(TestInfoImportTest, EncodingsAndLineEndsReadAlike) {
    // é, a letter outside the basic plane and a CJK letter in the name.
    const std::string utf8 = Block("Gluc\xC3\xA9se \xF0\x9F\xA9\xB8 \xE8\xA1\x80", "1",
                                   {"<resultname1>Sugar", "<resultvalue1>70-100", "<resultunit1>mg/dL"});
    const Entries expected = Import(utf8);
    ASSERT_EQ(expected.size(), 10u);
    EXPECT_EQ(expected[0][0], u"Gluc\u00E9se \U0001FA78 \u8840");

    std::string crlf, cr, noFinalEnd = utf8.substr(0, utf8.size() - 1);
    for (const char c : utf8) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        cr += c == '\n' ? '\r' : c;
    }
    const std::u16string text = U(utf8), crlfText = U(crlf);
    for (const std::string& bytes :
         {"\xEF\xBB\xBF" + utf8, crlf, cr, noFinalEnd, Utf16(text, false), Utf16(text, true),
          Utf16(crlfText, false), Utf16(crlfText, true)}) {
        SCOPED_TRACE(bytes.substr(0, 8));
        Restart();
        EXPECT_EQ(Import(bytes), expected);
        EXPECT_EQ(ResultNames(), (Entries{{expected[0][0], u"Sugar"}}));
    }
}

// Broken UTF-16 becomes replacement characters (broken UTF-8 is Utf8ToText's
// to replace, in TextTest); NULs go.
TEST_F(TestInfoImportTest, BadBytesAreReplacedOrDropped) {
    const std::u16string text = u"<name>S\xD800x\n<why>\xDC00\0y\xD83D\n<a>\n<b>\n<c>\n<d>\n<number of results>0\n\n\n"s;
    Entries entries = Import(Utf16(text, true));
    ASSERT_EQ(entries.size(), 7u);
    EXPECT_EQ(entries[0], (Entry{u"S\uFFFDx", u"why", u"\uFFFDy\uFFFD"}));

    // An odd last byte of a UTF-16 file ends in one replacement character.
    Restart();
    entries = Import(Utf16(u"<name>T\n<why>w", false) + "w");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0][2], u"w\uFFFD");
}

TEST_F(TestInfoImportTest, LongLinesAreCutButNeverSplit) {
    const std::string longValue(1500, 'v');
    // A letter outside the basic plane straddling the bound is dropped whole.
    const std::string straddling = std::string(1016, 'n') + "\xF0\x9F\xA9\xB8" + "tail";
    const Entries entries =
        Import("<name>" + straddling + "\n<why>" + longValue + "\n<a>1\n<b>2\n<c>3\n<d>4\n<e>5\n"
               "<number of results>0\n\n\n" + Block("Zed", "0"));

    const std::u16string name = std::u16string(1016, u'n');
    ASSERT_EQ(entries.size(), 14u);
    EXPECT_EQ(entries[0][0], name);
    EXPECT_EQ(entries[0][2], std::u16string(kTextMax - 5, u'v'));
    EXPECT_EQ(entries[1], (Entry{name, u"a", u"1"}));
    // The long line counted as one, so the seventh entry is still the count
    // and the next block starts where it should.
    EXPECT_EQ(entries[6], (Entry{name, u"number of results", u"0"}));
    EXPECT_EQ(entries[7], (Entry{u"Zed", u"other name", u"Zed other name"}));

    Restart();
    const Entries wide = Import(Utf16(U("<name>W\n<why>" + longValue + "\n<b>2\n"), false));
    ASSERT_EQ(wide.size(), 2u);
    EXPECT_EQ(wide[0][2].size(), kTextMax - 5);
    EXPECT_EQ(wide[1], (Entry{u"W", u"b", u"2"}));
}

TEST_F(TestInfoImportTest, EndOfFileInsideABlockKeepsTheCompleteLines) {
    WriteFile(Block("Whole", "0") + "<name>Cut\n<why>w\n<how>h");
    RecordingSurface surface;
    EXPECT_TRUE(ImportTestInfo(surface));
    const Entries entries = CatalogEntries();
    ASSERT_EQ(entries.size(), 9u);
    EXPECT_EQ(entries[1], (Entry{u"Cut", u"how", u"h"}));
    EXPECT_NE(surface.FindText(u"Loading Cut"), nullptr);

    // A count larger than what follows reads to the end and stops there.
    Restart();
    EXPECT_EQ(Import(Block("Huge", "2147483647", {"<resultname1>r"})).size(), 10u);
}

// Too many lines is refused by the first run's own test.
TEST_F(TestInfoImportTest, AFileBeyondItsBoundsOrNoFileIsRefusedBeforeAnythingIsStored) {
    RecordingSurface surface;
    std::filesystem::create_directories(FilePath());  // a folder of that name is no file
    EXPECT_FALSE(ImportTestInfo(surface));
    std::filesystem::remove(FilePath());
    ImportProblem problem = ImportProblem::None;
    WriteFile(Block("Big", "0"));
    std::filesystem::resize_file(FilePath(), kTestInfoMaxBytes + 1);
    EXPECT_FALSE(ImportTestInfo(surface, &problem));
    EXPECT_EQ(problem, ImportProblem::FileTooLarge);
    EXPECT_FALSE(PropertyDatabase::Exists(kTestCatalogDatabase));
    EXPECT_FALSE(PropertyDatabase::Exists(kResultCatalogDatabase));
    EXPECT_TRUE(surface.texts.empty());

    // At the bounds it imports; a CR LF pair is one line.
    std::filesystem::resize_file(FilePath(), kTestInfoMaxBytes);
    EXPECT_TRUE(ImportTestInfo(surface, &problem));
    EXPECT_EQ(problem, ImportProblem::None);
    Restart();
    EXPECT_EQ(Import(std::string(kTestInfoMaxLines - 2, '\n') + "\r\n<a>b").size(),
              kTestInfoMaxLines / 10 * 7);

    // An empty file makes an empty catalogue: the first run's import is done.
    Restart();
    EXPECT_TRUE(Import("").empty());
    EXPECT_TRUE(PropertyDatabase::Exists(kTestCatalogDatabase));
    EXPECT_FALSE(PropertyDatabase::Exists(kResultCatalogDatabase));
}

// Calls `hook` once the progress text `at` is drawn.
class HookedSurface : public RecordingSurface {
public:
    HookedSurface(std::u16string at, std::function<void()> hook) : at_(std::move(at)), hook_(std::move(hook)) {}
    void TextOut(int x, int y, std::u16string_view text) override {
        RecordingSurface::TextOut(x, y, text);
        if (text == at_) hook_();
    }

private:
    std::u16string at_;
    std::function<void()> hook_;
};

// An import that stops part way (a full disk, or a kill, which ends it as
// surely) leaves no catalogue, so the next start imports again; enough
// blocks that an import committed in parts would leave some.
TEST_F(TestInfoImportTest, AnImportStoppedPartWayLeavesNothingAndTheNextStartImports) {
    constexpr int kBlocks = 300;
    std::string file;
    for (int i = 0; i < kBlocks; ++i)
        file += Block("Test " + std::to_string(i), "1", {"<resultname1>r", "<resultvalue1>1", "<resultunit1>u"});
    WriteFile(file);

    // From the start, in the middle (a failed entry write), and only at the last block.
    for (const std::u16string fullFrom : {u"", u"Loading Test 150", u"Loading Test 299"}) {
        SCOPED_TRACE(TextToUtf8(fullFrom));
        SetStoreWriteFailureForTesting(fullFrom.empty());
        HookedSurface surface(fullFrom, [] { SetStoreWriteFailureForTesting(true); });
        EXPECT_FALSE(ImportTestInfo(surface));
        SetStoreWriteFailureForTesting(false);
        EXPECT_FALSE(PropertyDatabase::Exists(kTestCatalogDatabase));
        EXPECT_FALSE(PropertyDatabase::Exists(kResultCatalogDatabase));
    }
    RecordingSurface surface;
    EXPECT_TRUE(ImportTestInfo(surface));
    EXPECT_EQ(CatalogEntries().size(), kBlocks * 10u);
    EXPECT_EQ(ResultNames().size(), kBlocks * 1u);
}

}  // namespace
