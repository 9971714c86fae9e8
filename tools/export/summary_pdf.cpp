#include "tools/export/summary_pdf.h"

#include "platform/text.h"
#include "review/graph_data.h"
#include "review/report_text.h"
#include "store/patient_store.h"
#include "store/test_record_store.h"
#include "tools/export/printed_files.h"
#include "tools/export/printed_pages.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace {

struct Reading {
    std::u16string value, goal, unit;
    SystemTime date;
};

struct SummaryResult {
    std::u16string name;
    Reading latest;
    std::optional<Reading> previous;
};

struct SummaryTest {
    std::u16string name;
    SystemTime latest;
    std::u16string comment;
    std::vector<SummaryResult> results;
};

QString Q(const std::u16string& text) { return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())); }

// Every test of the user with the results of its latest date, in name order,
// each with its reading of the day before. Each is found through the date
// index: a few records a result are read, however many the user holds.
std::vector<SummaryTest> GatherTests(std::u16string_view user) {
    std::vector<SummaryTest> tests;
    for (const std::u16string& name : UserTests(user)) {
        const std::optional<SystemTime> latest = LatestDay(user, name, nullptr, std::nullopt);
        if (!latest) continue;
        const TakenTest day = ReadTakenTest(user, name, *latest);
        SummaryTest test{name, *latest, day.comment, {}};
        for (const ResultRow& row : day.results) {
            if (row.name.empty()) continue;
            SummaryResult result{row.name, {row.value, row.goal, row.unit, *latest}, std::nullopt};
            if (const std::optional<SystemTime> before = LatestDay(user, name, &row.name, latest))
                if (const std::optional<TestResult> found = ReadResult(user, name, row.name, *before))
                    result.previous = Reading{found->value, found->goal, found->unit, found->date};
            test.results.push_back(std::move(result));
        }
        tests.push_back(std::move(test));
    }
    std::sort(tests.begin(), tests.end(), [](const SummaryTest& a, const SummaryTest& b) {
        const int order = CompareNoCase(a.name, b.name);
        return order != 0 ? order < 0 : a.name < b.name;
    });
    return tests;
}

constexpr int kTrendWidth = 120;
constexpr int kTrendHeight = 130;  // the graph's proportions
constexpr int kTrendDays = 365;
constexpr int kTextX = 22;

const char16_t* GoalWord(int image) {
    return image == kReportBelowGoal ? u"below goal" : image == kReportAboveGoal ? u"above goal" : u"within goal";
}

std::vector<std::u16string> ResultLines(const SummaryResult& r) {
    UnitParts unit = SplitUnit(r.latest.unit);
    while (!unit.unit.empty() && unit.unit.back() == u' ') unit.unit.pop_back();
    std::vector<std::u16string> lines = {
        r.name + u": " + r.latest.value + u" " + r.latest.unit,
        u"Goal: " + r.latest.goal + u" " + unit.unit + u" (" + GoalWord(ReportImage(r.latest.value, r.latest.goal)) +
            u")"};
    lines.push_back(r.previous ? u"Previous: " + r.previous->value + u" " + r.previous->unit + u" on " +
                                     DateText(r.previous->date)
                               : u"No earlier result");
    return lines;
}

bool HasTrend(std::u16string_view user, const SummaryTest& test, const SummaryResult& r) {
    const GraphSeries series = CollectGraphSeries(user, test.name, r.name, kTrendDays);
    return series.count > 0 && !(series.rangeLow == 0 && series.rangeHigh == 0);
}

int ResultHeight(PrintedPages& pages, const SummaryResult& r, bool trend) {
    const int column = pages.Width() - kTextX - kTrendWidth - 12;
    const std::vector<std::u16string> lines = ResultLines(r);
    int height = 0;
    for (std::size_t i = 0; i < lines.size(); ++i)
        height += pages.TextHeight(Q(lines[i]), PrintFont(10, i == 0), kTextX, column);
    return std::max(height, trend ? kTrendHeight : 16) + 10;
}

void DrawResult(PrintedPages& pages, std::u16string_view user, const SummaryTest& test, const SummaryResult& r) {
    const bool trend = HasTrend(user, test, r);
    const int height = ResultHeight(pages, r, trend);
    const int page = pages.Page();
    pages.Reserve(height);
    if (pages.Page() != page) {
        pages.Text(Q(test.name + u" (continued)"), PrintFont(11, true));
        pages.Skip(6);
    }
    const int top = pages.Y();
    pages.Picture(ReportIcon(ReportImage(r.latest.value, r.latest.goal)), 0, 16, 16);
    if (trend) {
        constexpr double kScale = 3;
        pages.Picture(PrintedChart(user, test.name, r.name, kTrendDays, u"Line", kScale),
                      pages.Width() - kTrendWidth, kTrendWidth, kTrendHeight);
    }
    const int column = pages.Width() - kTextX - kTrendWidth - 12;
    const std::vector<std::u16string> lines = ResultLines(r);
    for (std::size_t i = 0; i < lines.size(); ++i) pages.Text(Q(lines[i]), PrintFont(10, i == 0), kTextX, column);
    pages.SetY(top + height);
}

}  // namespace

std::string WriteSummaryPdf(std::u16string_view user, QIODevice& out) {
    const std::vector<SummaryTest> tests = GatherTests(user);
    if (tests.empty()) return TextToUtf8(user) + " has no tests to summarise";
    std::u16string sex;
    GetPatientSex(user, sex);
    const int age = GetPatientAge(user);
    const std::u16string about = (sex.empty() ? u"Sex not given" : sex) + u" | " +
                                 (age < 0 ? u"age not given" : IntToText(age) + u" years old");
    const std::u16string name(user);

    return PrintPdf(out, Q(u"Results summary: " + name), Q(name + u"    Results summary"), [&](PrintedPages& pages) {
        pages.Text(QStringLiteral("Results summary"), PrintFont(20, true));
        pages.Skip(4);
        pages.Text(Q(name), PrintFont(14, true));
        pages.Text(Q(about), PrintFont(11));
        pages.Skip(14);
        for (const SummaryTest& test : tests) {
            const QString heading = Q(test.name + u", latest " + DateText(test.latest));
            const QString comment = Q(u"Comment: " + test.comment);
            int height = pages.TextHeight(heading, PrintFont(13, true), 0) + 6;
            if (!test.comment.empty()) height += pages.TextHeight(comment, PrintFont(10), kTextX) + 4;
            const int headingHeight = height;
            for (const SummaryResult& r : test.results) height += ResultHeight(pages, r, HasTrend(user, test, r));
            // A test that fits on a page is never split; a longer one starts
            // where at least its heading and first result fit.
            const bool fits = height <= pages.PageRoom();
            const int firstResult = test.results.empty() ? 0 : ResultHeight(pages, test.results[0], true);
            pages.Reserve(fits ? height : headingHeight + firstResult);
            pages.Text(heading, PrintFont(13, true));
            pages.Skip(6);
            if (!test.comment.empty()) {
                pages.Text(comment, PrintFont(10), kTextX);
                pages.Skip(4);
            }
            if (test.results.empty()) pages.Text(QStringLiteral("No results recorded"), PrintFont(10), kTextX);
            for (const SummaryResult& r : test.results) DrawResult(pages, user, test, r);
            pages.Skip(10);
        }
    });
}
