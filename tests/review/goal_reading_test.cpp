#include "review/goal_reading.h"

#include "platform/text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

namespace {

constexpr NumberFormat kGerman{u',', u'.'};
constexpr NumberFormat kEnglish{u'.', u','};
constexpr NumberFormat kFrench{u',', u'\u202F'};

constexpr ValueReading kDe{kGerman, false}, kEn{kEnglish, false}, kEnWoman{kEnglish, true}, kFr{kFrench, false};

// Each row: how the user writes numbers, the value, the goal, the verdict.
TEST(GoalReading, JudgesOnlyWhatIsWhollyANumberAgainstEveryGoalForm) {
    using enum Verdict;
    const struct {
        ValueReading reading;
        std::u16string_view value, goal;
        Verdict verdict;
    } cases[] = {
        // The desktop's separators first, then the plain form.
        {kDe, u"5,4", u"5,7", Below},           {kDe, u"5.4", u"5,7", Below},
        {kEn, u"5,4", u"5.7", None},            {kEn, u"5.4", u"5.7", Below},
        {kDe, u"0,8", u"0.6-1.1", Within},      {kDe, u"1.000", u"999", Above},  // a German thousand
        {kEn, u"1,000", u"999", Above},         {kEn, u"1,00", u"999", None},    // groups are of three
        {kEn, u"12,345.6", u"<12,345.7", Within}, {kFr, u"1 000,5", u"1000", Above},
        {kEn, u" +5 ", u"5", Within},           {kEn, u"\u22125", u"-5", Within},
        {kEn, u".5", u"0.5", Within},           {kEn, u"1.5e3", u"1500", Within},
        // Text that merely starts with a number is none.
        {kEn, u"12 (repeat)", u"10", None},     {kEn, u"7.5 approx", u"8", None},
        {kEn, u"n/a", u"0", None},              {kEn, u"", u"0", None},
        {kEn, u"5.", u"5", None},               {kEn, u"1e999", u"1", None},
        // Ranges, their ends within.
        {kEn, u"3.5", u"3.5-5.0", Within},      {kEn, u"5.0", u"3.5-5.0", Within},
        {kEn, u"5.01", u"3.5-5.0", Above},      {kDe, u"3,4", u"3,5-5,0", Below},
        {kEn, u"4", u"3.5 \u2013 5", Within},   {kEn, u"-1.5", u"-2--1", Within},
        // Open ends.
        {kEn, u"99.9", u"<100", Within},        {kEn, u"100", u"<100", Above},
        {kEn, u"100", u"<=100", Within},        {kEn, u"100", u"\u2264 100", Within},
        {kEn, u"40", u">40", Below},            {kEn, u"40", u">=40", Within},
        {kEn, u"39", u"\u226540", Below},
        // A goal per sex: A for everyone but women, B for them.
        {kEn, u"14", u"13.8-17.2[12.1-15.1]", Within}, {kEnWoman, u"16", u"13.8-17.2[12.1-15.1]", Above},
        {kEnWoman, u"5", u"4.7-6.1[4.2-5.4]", Within},
        // Goals that are none of the forms.
        {kEn, u"5", u"", None},                 {kEn, u"5", u"70-", None},
        {kEn, u"5", u"6-3", None},              {kEn, u"5", u"about 5", None},
        {kEn, u"5", u"1-2-3", None},            {kEn, u"5", u"4-6[3-5] x", None},
        {kEn, u"5", u"4-6[3-5", None},          {kEn, u"5", u"<", None},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Judge(c.value, c.goal, c.reading), c.verdict)
            << TextToUtf8(c.value) << " vs " << TextToUtf8(c.goal) << " with decimal "
            << static_cast<char>(c.reading.numbers.decimal);

    // The whole number, not its start: the average of 131,5 is no 131.
    EXPECT_EQ(ReadNumber(u"131,5", kGerman), 131.5);
    EXPECT_EQ(ReadNumber(u"1.234,5", kGerman), 1234.5);
    EXPECT_EQ(ReadGoal(u"<100", kEn), (Goal{-INFINITY, 100, true, false}));
}

TEST(GoalReading, WritesNumbersAndCataloguedGoalsTheWayTheDesktopDoes) {
    EXPECT_EQ(FixedNumberText(5.2, 2, kGerman), u"5,20");
    EXPECT_EQ(FixedNumberText(5.2, 2, kEnglish), u"5.20");
    EXPECT_EQ(ShortNumberText(1e308, kGerman), u"1e+308");
    EXPECT_EQ(ShortNumberText(5.5, kGerman), u"5,5");
    EXPECT_EQ(GoalInFormat(u"3.5-5.0", kGerman), u"3,5-5,0");
    EXPECT_EQ(GoalInFormat(u"1.005-1.030", kGerman), u"1,005-1,030");  // else a German reads a thousand
    EXPECT_EQ(GoalInFormat(u"3.5-5.0", kEnglish), u"3.5-5.0");
    EXPECT_EQ(GoalInFormat(u"see note 2.1", kGerman), u"see note 2.1");
}

}  // namespace
