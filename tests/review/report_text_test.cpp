#include "review/report_text.h"

#include "platform/text.h"
#include "review_fixture.h"

#include <string>
#include <vector>

namespace {

struct Row {
    std::u16string text;
    int image;
    bool operator==(const Row&) const = default;
};

// Inserts like the list view: a row beyond the end is appended.
class FakeReport : public ReportList {
public:
    void InsertRow(int row, std::u16string_view text, int image) override {
        const auto at = row < RowCount() ? rows.begin() + row : rows.end();
        rows.insert(at, Row{std::u16string(text), image});
    }
    int RowCount() const override { return static_cast<int>(rows.size()); }
    void Clear() override { rows.clear(); }
    std::vector<Row> rows;
};

class ReportTextTest : public ReviewTest {
protected:
    std::vector<Row> Report(std::u16string_view user, std::u16string_view test, const SystemTime& day) {
        FakeReport report;
        FillTestReport(user, test, day, kPlainNumbers, report);
        return report.rows;
    }
};

TEST_F(ReportTextTest, ListsResultsThenCommentThenNotes) {
    const SystemTime day = MakeDate(2004, 1, 5);
    Store(u"Ann", u"Panel", day, u"Glucose", u"95", u"70-100", u"mg/dL (fasting)", u"Morning");
    Store(u"Ann", u"Panel", day, u"Iron", u"4.9", u"5-6", u"g", u"Morning");
    Store(u"Ann", u"Panel", day, u"HDL", u"6.5", u"5-6", u"(after meal)", u"Morning");
    // Neither another day, another test nor a user differing in case belongs to the report.
    Store(u"Ann", u"Panel", MakeDate(2004, 1, 6), u"Glucose", u"1", u"2");
    Store(u"ann", u"Panel", day, u"Glucose", u"1", u"2");
    Store(u"Ann", u"Panel Two", day, u"Glucose", u"1", u"2");

    // The time of day of the requested date is ignored.
    SystemTime asked = day;
    asked.hour = 17;
    const std::vector<Row> expected{
        {u"Test Results:", kReportHeading},
        {u"Glucose: 95 mg/dL  [Goal: 70-100 mg/dL ]", kReportAtGoal},
        {u"Iron: 4.9 g [Goal: 5-6 g]", kReportBelowGoal},
        {u"HDL: 6.5  [Goal: 5-6 ]", kReportAboveGoal},
        {u"Comments:", kReportHeading},
        {u"Morning", kReportNoImage},
        {u"Notes:", kReportHeading},
        {u"mg/dL  : fasting", kReportNoImage},
        {u" : after meal", kReportNoImage},
    };
    EXPECT_EQ(Report(u"Ann", u"Panel", asked), expected);
}

TEST_F(ReportTextTest, TestWithoutResultsShowsOnlyItsComment) {
    const SystemTime day = MakeDate(2004, 2, 1);
    Store(u"Ann", u"Check-up", day, u"", u"", u"", u"", u"All fine");
    const std::vector<Row> expected{{u"Comments:", kReportHeading}, {u"All fine", kReportNoImage}};
    EXPECT_EQ(Report(u"Ann", u"Check-up", day), expected);

    // Nothing at all: an empty report.
    Store(u"Ann", u"Quiet", day, u"", u"", u"", u"", u"");
    EXPECT_TRUE(Report(u"Ann", u"Quiet", day).empty());
}

TEST_F(ReportTextTest, ListsAtMostTenNotes) {
    const SystemTime day = MakeDate(2004, 3, 1);
    for (int i = 0; i < 12; ++i) {
        const std::u16string name = u"R" + std::u16string(1, char16_t(u'a' + i));
        Store(u"Ann", u"Big", day, name, u"1", u"1", u"u (" + name + u")");
    }
    const std::vector<Row> rows = Report(u"Ann", u"Big", day);
    ASSERT_EQ(rows.size(), 1u + 12u + 1u + 10u);
    EXPECT_EQ(rows[13], (Row{u"Notes:", kReportHeading}));
    EXPECT_EQ(rows[14].text, u"u  : Ra");
    EXPECT_EQ(rows.back().text, u"u  : Rj");
}

}  // namespace
