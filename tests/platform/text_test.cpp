// The shared text rules: case-insensitive matching, number readings, bounded
// copies and the UTF-8 bridge.

#include "platform/text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <tuple>

namespace {

TEST(TextTest, MatchesIgnoringCaseAcrossUnicodeWhateverTheLocale) {
    std::setlocale(LC_ALL, "C");  // the folding must not depend on it
    for (const auto& [a, b, equal] : {std::tuple{u"Äpfel", u"äPFEL", true}, {u"Í", u"í", true},
                                      {u"ΣΟΦΙΑ", u"σοφια", true}, {u"\U00010400x", u"\U00010428X", true},
                                      {u"í", u"i", false}, {u"abc", u"abcd", false}})  // accents count
        EXPECT_EQ(EqualsNoCase(a, b), equal) << TextToUtf8(a);
    EXPECT_EQ(FoldCase(u"ABC Äx"), u"abc äx");
    EXPECT_EQ(FoldCase(u"\U00010400"), u"\U00010428");  // Deseret, outside the BMP

    EXPECT_LT(CompareNoCase(u"abc", u"ABD"), 0);
    EXPECT_GT(CompareNoCase(u"b", u"A"), 0);
    EXPECT_LT(CompareNoCase(u"ab", u"AB c"), 0);
    EXPECT_EQ(CompareNoCase(u"", u""), 0);
    // Supplementary characters order after the whole BMP, as code points do.
    EXPECT_GT(CompareNoCase(u"\U0001F600", u"\uFF21"), 0);
    EXPECT_GT(CompareCodePoints(u"\U0001F600", u"\uFF21"), 0);
    EXPECT_EQ(CompareCodePoints(FoldCase(u"ÄB"), FoldCase(u"äb")), 0);
    EXPECT_LT(CompareCodePoints(u"a", u"ab"), 0);

    for (const auto& [text, prefix, starts] : {std::tuple{u"ABC Panel", u"abc", true}, {u"Ärger", u"ä", true},
                                               {u"x", u"", true}, {u"ab", u"abc", false}, {u"ABC", u"b", false}})
        EXPECT_EQ(StartsWithNoCase(text, prefix), starts) << TextToUtf8(text);
    std::setlocale(LC_ALL, "");
}

TEST(TextTest, ReadsIntegersLikeThePlatform) {
    for (const auto& [text, value] : {std::pair{u"42", 42}, {u"  \t-17kg", -17}, {u"12.5", 12}, {u"- 5", 0},
                                      {u"99999999999999999999999", 2147483647},
                                      {u"-99999999999999999999999", -2147483647 - 1}})
        EXPECT_EQ(TextToInt(text), value) << TextToUtf8(text);
    EXPECT_EQ(IntToText(-9223372036854775807LL - 1), u"-9223372036854775808");
}

TEST(TextTest, BoundsCopiesWithoutSplittingAPair) {
    std::u16string exact(kTextMax, u'a');
    EXPECT_EQ(BoundedText(exact), exact);
    EXPECT_EQ(BoundedText(exact + u"bc").size(), kTextMax);
    // A pair straddling the bound goes whole.
    std::u16string straddling = std::u16string(kTextMax - 1, u'a') + u"\U0001F600";
    EXPECT_EQ(BoundedText(straddling), std::u16string(kTextMax - 1, u'a'));
    std::u16string inside = std::u16string(kTextMax - 2, u'a') + u"\U0001F600" + u"z";
    EXPECT_EQ(BoundedText(inside), std::u16string(kTextMax - 2, u'a') + u"\U0001F600");

    // A CR LF pair is one break; LF then CR are two; tabs and other controls stay as typed.
    EXPECT_EQ(OneLine(u"a\r\nb\rc\nd\n\r\t\x01\x7F"), u"a b c d  \t\x01\x7F");
    EXPECT_EQ(OneLine(std::u16string(2000, u'x') + u"\n").size(), kTextMax);
}

TEST(TextTest, ConvertsUtf8BothWaysAndReplacesWhatIsInvalid) {
    EXPECT_EQ(Utf8ToText("Äpfel \xF0\x9F\x98\x80"), u"Äpfel \U0001F600");
    EXPECT_EQ(TextToUtf8(u"Äpfel \U0001F600"), "Äpfel \xF0\x9F\x98\x80");
    EXPECT_EQ(Utf8ToText("a\xFF" "b"), u"a\uFFFDb");
    EXPECT_EQ(Utf8ToText("\xC3"), u"\uFFFD");                  // cut short
    EXPECT_EQ(Utf8ToText("\xC0\xAF"), u"\uFFFD");              // overlong
    EXPECT_EQ(Utf8ToText("\xED\xA0\x80"), u"\uFFFD");          // an encoded surrogate
    EXPECT_EQ(Utf8ToText("\xF4\x90\x80\x80"), u"\uFFFD");      // past U+10FFFF
    EXPECT_EQ(TextToUtf8(std::u16string(1, char16_t(0xD800)) + u"x"), "\xEF\xBF\xBDx");
}

}  // namespace
