// The export tool's text rules, each where it lives: CSV fields and their
// spreadsheet guard, the bounded CSV reader, and text for a terminal.

#include "platform/text.h"
#include "tools/export/csv_fields.h"
#include "tools/export/terminal_text.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>

#include <string>
#include <thread>
#include <vector>

namespace {

// The rows of `text` read through a pipe, as the import reads standard input.
struct ReadBack {
    std::vector<CsvRow> rows;
    std::string problem;
    int failed = 0;
};

ReadBack ReadThroughPipe(const std::string& text, const CsvBounds& bounds) {
    std::signal(SIGPIPE, SIG_IGN);  // the reader may stop before the writer does
    int ends[2];
    EXPECT_EQ(::pipe(ends), 0);
    std::thread writer([&] {
        for (std::size_t at = 0; at < text.size();) {
            const ssize_t put = ::write(ends[1], text.data() + at, text.size() - at);
            if (put <= 0) break;
            at += static_cast<std::size_t>(put);
        }
        ::close(ends[1]);
    });
    ReadBack back;
    CsvReader reader(ends[0], bounds);
    reader.SetSeparator(CsvSeparator(reader.Opening()));
    CsvRow row;
    while (reader.Next(row, back.problem)) back.rows.push_back(row);
    back.failed = reader.Failed();
    if (!back.problem.empty() || back.failed != 0) back.rows.push_back(row);
    ::close(ends[0]);  // a writer still writing gets an error and stops
    writer.join();
    return back;
}

constexpr CsvBounds kRoomy{1 << 20, 100, 8};

}  // namespace

TEST(CsvFields, QuotesOnlyWhatNeedsQuotingAndGuardsFormulas) {
    for (const auto& [text, field] : std::vector<std::pair<std::u16string, std::string>>{
             {u"plain", "plain"},
             {u"a, b", "\"a, b\""},
             {u"say \"hi\"", "\"say \"\"hi\"\"\""},
             {u"two\nlines", "\"two\nlines\""},
             {u"Fe\u00DF", "Fe\xC3\x9F"},
             // What a spreadsheet would run is shown as text.
             {u"=HYPERLINK(\"http://x\")", "\"'=HYPERLINK(\"\"http://x\"\")\""},
             {u"+1-2", "'+1-2"},
             {u"-x", "'-x"},
             {u"@SUM(A1)", "'@SUM(A1)"},
             {u"\tcmd", "'\tcmd"},
             {u"\r=1", "\"'\r=1\""},
             {u"''=1", "'''=1"},
             // Numbers stay numbers; apostrophes before plain text stay as they are.
             {u"-0.5", "-0.5"},
             {u"+3", "+3"},
             {u"-12,5", "\"-12,5\""},
             {u"'tis", "'tis"},
             {u"'-5", "'-5"},
             {u"a=b", "a=b"},
         }) {
        SCOPED_TRACE(field);
        EXPECT_EQ(CsvField(text), field);
        // Reading the field back gives the text: one guarding apostrophe dropped, no other.
        const ReadBack back = ReadThroughPipe(field + "\r\n", kRoomy);
        ASSERT_EQ(back.rows.size(), 1u);
        ASSERT_EQ(back.rows[0].fields.size(), 1u);
        EXPECT_EQ(UnguardedField(back.rows[0].fields[0]), TextToUtf8(text));
    }
}

TEST(CsvReader, ReadsRowsAcrossLineEndsAndBlocks) {
    // Rows far apart, so they cross the reader's blocks; a quoted field keeps its breaks.
    const std::string padding(70000, 'p');
    const ReadBack back = ReadThroughPipe("a;b\r\n\n\"x;\"\"y\"\"\r\nz\";2\r" + padding + ";3\n", {1 << 20, 1 << 17, 8});
    ASSERT_EQ(back.rows.size(), 3u) << back.problem;
    EXPECT_EQ(back.rows[1].line, 3);
    EXPECT_EQ(back.rows[1].fields, (std::vector<std::string>{"x;\"y\"\r\nz", "2"}));
    EXPECT_EQ(back.rows[2].line, 5);
    EXPECT_EQ(back.rows[2].fields[0].size(), padding.size());
}

TEST(CsvReader, StopsAtEachBoundAtOnce) {
    // A field longer than its bound: named, and the rest of the file is never read.
    ReadBack back = ReadThroughPipe("a,b\n1," + std::string(5000000, 'x') + "\n", {1 << 30, 100, 8});
    EXPECT_EQ(back.problem, "a field is longer than 100 bytes");
    EXPECT_EQ(back.rows.back().line, 2);
    EXPECT_EQ(back.rows.back().longField, 1u);

    // Fields past the kept ones are counted, not kept.
    back = ReadThroughPipe("a,b,c,d,e\n", CsvBounds{1 << 20, 100, 2});
    EXPECT_EQ(back.rows[0].count, 5u);
    EXPECT_EQ(back.rows[0].fields.size(), 2u);

    // A stream longer than the file bound fails with EFBIG, wherever it stands.
    back = ReadThroughPipe(std::string(300000, ','), {200000, 100, 8});
    EXPECT_EQ(back.failed, EFBIG);

    back = ReadThroughPipe("a\n\"never closed", kRoomy);
    EXPECT_EQ(back.problem, "a quoted field is never closed");
    back = ReadThroughPipe("\"a\"b,c", kRoomy);
    EXPECT_EQ(back.problem, "text after the closing quote of a field");
}

TEST(TerminalText, EscapesControlsAndMeasuresColumns) {
    for (const auto& [text, shown] : std::vector<std::pair<std::string, std::string>>{
             {"Anna M\xC3\xBCller", "Anna M\xC3\xBCller"},
             {"\x1b]0;pwned\x07", "\\x1b]0;pwned\\x07"},
             {"fake\r\nOK", "fake\\x0d\\x0aOK"},
             {"tab\there\x7f", "tab\\x09here\\x7f"},
             {"c1 \xC2\x9B" "2J", "c1 \\u009b2J"},                  // CSI as one character
             {"abc\xE2\x80\xAE" "cba", "abc\\u202ecba"},           // right-to-left override
             {"bad \xFF\xC0\x80 \xED\xA0\x80", "bad \\xff\\xc0\\x80 \\xed\\xa0\\x80"},  // no UTF-8
             {"\xE6\x9D\x8E\xF0\x9F\x98\x80", "\xE6\x9D\x8E\xF0\x9F\x98\x80"},
         })
        EXPECT_EQ(TerminalText(text), shown) << text;

    // Three Chinese characters, Hangul, an e with a combining accent, an emoji.
    for (const auto& [text, width] : {std::pair{"User", 4u}, {"M\xC3\xBCller", 6u},
                                      {"\xE6\x9D\x8E\xE5\xB0\x8F\xE9\xBE\x8D", 6u}, {"\xEA\xB9\x80", 2u},
                                      {"e\xCC\x81", 1u}, {"\xF0\x9F\x98\x80", 2u}})
        EXPECT_EQ(DisplayWidth(text), width) << text;
    EXPECT_EQ(PadToWidth("\xE6\x9D\x8E", 5), "\xE6\x9D\x8E   ");
    EXPECT_EQ(PadToWidth("longer", 3), "longer");
}
