// The result row and its splitting back into name, value, goal and unit.

#include "store/result_row.h"

#include <gtest/gtest.h>

namespace {

TEST(ResultRowTest, RoundTripsFieldsWithoutAddingOrLosingBlanks) {
    EXPECT_EQ(FormatResultRow(u"Glucose", u"95", u"70-100", u"mg/dL"), u"Glucose [ 95 vs 70-100 ] mg/dL");
    for (const ResultRow& fields : {ResultRow{u"Glucose", u"95", u"70-100", u"mg/dL"},
                                    ResultRow{u" Two  words ", u" 1 2 ", u" x ", u" unit with blanks "},
                                    ResultRow{u"", u"", u"", u""}, ResultRow{u"Ä", u"12,5", u"<5", u"µmol/l"},
                                    ResultRow{u"N", u"", u"G", u""}}) {
        EXPECT_EQ(SplitResultRow(FormatResultRow(fields.name, fields.value, fields.goal, fields.unit)), fields);
    }
}

TEST(ResultRowTest, SplitsAtTheFirstBracketVersusAndClose) {
    // A name holding '[' is split at it (losing the character before it); a
    // value holding "vs" at that "vs"; a goal holding ']' at that ']'.
    EXPECT_EQ(SplitResultRow(FormatResultRow(u"AB[1]", u"5", u"7", u"u")), (ResultRow{u"A", u"] [ 5", u"7", u"u"}));
    EXPECT_EQ(SplitResultRow(FormatResultRow(u"N", u"avs b", u"7", u"u")), (ResultRow{u"N", u"", u"b vs 7", u"u"}));
    EXPECT_EQ(SplitResultRow(FormatResultRow(u"N", u"1", u"a]b", u"u")), (ResultRow{u"N", u"1", u"", u" ] u"}));
}

TEST(ResultRowTest, MalformedRowsNeverReadPastTheirEnd) {
    EXPECT_EQ(SplitResultRow(u""), (ResultRow{}));
    EXPECT_EQ(SplitResultRow(u"plain name"), (ResultRow{u"plain name", u"", u"", u""}));
    EXPECT_EQ(SplitResultRow(u"["), (ResultRow{}));
    EXPECT_EQ(SplitResultRow(u"N ["), (ResultRow{u"N", u"", u"", u""}));
    EXPECT_EQ(SplitResultRow(u"N [ 5"), (ResultRow{u"N", u"5", u"", u""}));
    EXPECT_EQ(SplitResultRow(u"N [ 5 vs"), (ResultRow{u"N", u"5", u"", u""}));
    EXPECT_EQ(SplitResultRow(u"N [ 5 vs 7"), (ResultRow{u"N", u"5", u"7", u""}));
    EXPECT_EQ(SplitResultRow(u"N [ 5 vs 7 ]"), (ResultRow{u"N", u"5", u"7", u""}));
    EXPECT_EQ(SplitResultRow(u"N [vs]"), (ResultRow{u"N", u"s]", u"", u""}));
    EXPECT_EQ(SplitResultRow(u"[vs]x"), (ResultRow{u"", u"s]x", u"", u""}));
    std::u16string longRow(3000, u'x');
    EXPECT_EQ(SplitResultRow(longRow).name.size(), 1023u);
}

}  // namespace
