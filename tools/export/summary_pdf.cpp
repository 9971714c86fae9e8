#include "tools/export/summary_pdf.h"

#include "platform/locale/desktop_numbers.h"
#include "platform/number_text.h"
#include "platform/text.h"
#include "review/graph_data.h"
#include "review/report_text.h"
#include "store/patient_store.h"
#include "store/test_record_store.h"
#include "tools/export/printed_files.h"
#include "tools/export/printed_pages.h"
#include "units/picture_unit.h"
#include "units/unit_identity.h"

#include <algorithm>
#include <map>
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

int DayKey(const SystemTime& date) { return date.year * 10000 + date.month * 100 + date.day; }

QString Q(const std::u16string& text) { return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())); }

// Every test of the user with every result it ever had, in name order; the
// results in the order first stored. One pass that keeps per result only the
// readings of its two latest days: memory grows with the names, not the records.
std::vector<SummaryTest> GatherTests(std::u16string_view user) {
    struct TwoLatest {
        Reading first;  // the latest day's
        std::optional<Reading> second;  // the latest day's before it
    };
    struct Gathered {
        SystemTime latest;
        std::u16string comment;  // of the latest day
        std::vector<std::u16string> order;
        std::map<std::u16string, TwoLatest> byResult;
    };
    std::map<std::u16string, Gathered> byTest;
    const std::u16string exact(user);
    ForEachTestResult(&exact, [&](const TestResult& record) {
        const Reading reading{record.value, record.goal, record.unit, record.date};
        const int day = DayKey(record.date);
        Gathered& test = byTest.try_emplace(record.test, Gathered{record.date, {}, {}, {}}).first->second;
        if (day > DayKey(test.latest)) {
            test.latest = record.date;
            test.comment.clear();
        }
        if (day == DayKey(test.latest) && !record.comment.empty()) test.comment = record.comment;
        if (record.result.empty()) return;
        auto [readings, first] = test.byResult.try_emplace(record.result, TwoLatest{reading, std::nullopt});
        if (first) test.order.push_back(record.result);
        TwoLatest& two = readings->second;
        if (first || day == DayKey(two.first.date)) return;
        if (day > DayKey(two.first.date)) {
            two.second = two.first;
            two.first = reading;
        } else if (!two.second || day > DayKey(two.second->date)) {
            two.second = reading;
        }
    });
    std::vector<SummaryTest> tests;
    for (auto& [name, gathered] : byTest) {
        SummaryTest test{name, gathered.latest, gathered.comment, {}};
        for (const std::u16string& result : gathered.order) {
            const TwoLatest& two = gathered.byResult[result];
            test.results.push_back({result, two.first, two.second});
        }
        tests.push_back(std::move(test));
    }
    std::stable_sort(tests.begin(), tests.end(),
                     [](const SummaryTest& a, const SummaryTest& b) { return CompareNoCase(a.name, b.name) < 0; });
    return tests;
}

constexpr int kTrendWidth = 120;
constexpr int kTrendHeight = 130;  // the graph's proportions
constexpr int kTrendDays = 365;
constexpr int kTextX = 22;

int VerdictImage(const Reading& reading, const ValueReading& rule) {
    return ReportImage(Judge(reading.value, reading.goal, rule));
}

// The result before the latest, in the latest's unit when it was stored in
// another one that converts; marked when it does not.
std::u16string PreviousValue(const SummaryResult& r, const NumberFormat& numbers) {
    const Reading& previous = *r.previous;
    const std::u16string stored = previous.value + u" " + previous.unit;
    if (SameUnit(previous.unit, r.latest.unit)) return stored;
    const std::optional<double> value = ReadNumber(previous.value, numbers);
    const std::optional<UnitConversion> conversion = FindConversion(r.name, previous.unit, r.latest.unit);
    if (!value || !conversion) return stored + u" (in another unit)";
    const double shown = RoundAsEntered(conversion->Apply(*value), *value, previous.value);
    return EnteredAsText(ShortNumberText(shown, numbers), r.latest.unit, previous.value, previous.unit);
}

std::vector<std::u16string> ResultLines(const SummaryResult& r, const ValueReading& rule) {
    UnitParts unit = SplitUnit(r.latest.unit);
    while (!unit.unit.empty() && unit.unit.back() == u' ') unit.unit.pop_back();
    std::vector<std::u16string> lines = {
        r.name + u": " + r.latest.value + u" " + r.latest.unit + u" on " + DateText(r.latest.date),
        u"Goal: " + r.latest.goal + u" " + unit.unit + u" (" +
            std::u16string(ReportImageWords(VerdictImage(r.latest, rule))) + u")"};
    lines.push_back(r.previous ? u"Previous: " + PreviousValue(r, rule.numbers) + u" on " + DateText(r.previous->date)
                               : u"No earlier result");
    return lines;
}

// The trend of each of the test's results, read once for sizing and drawing
// and for both passes over the pages.
std::vector<GraphSeries> Trends(std::u16string_view user, const SummaryTest& test, const ValueReading& rule) {
    std::vector<GraphSeries> trends;
    trends.reserve(test.results.size());
    for (const SummaryResult& r : test.results)
        trends.push_back(CollectGraphSeries(user, test.name, r.name, kTrendDays, rule.numbers));
    return trends;
}

int ResultHeight(PrintedPages& pages, const SummaryResult& r, bool trend, const ValueReading& rule) {
    const int column = pages.Width() - kTextX - kTrendWidth - 12;
    const std::vector<std::u16string> lines = ResultLines(r, rule);
    int height = 0;
    for (std::size_t i = 0; i < lines.size(); ++i)
        height += pages.TextHeight(Q(lines[i]), PrintFont(10, i == 0), kTextX, column);
    return std::max(height, trend ? kTrendHeight : 16) + 10;
}

void DrawResult(PrintedPages& pages, const SummaryTest& test, const SummaryResult& r, const GraphSeries& series,
                const ValueReading& rule) {
    const bool trend = series.count > 0;
    const int height = ResultHeight(pages, r, trend, rule);
    const int page = pages.Page();
    pages.Reserve(height);
    if (pages.Page() != page) {
        pages.Text(Q(test.name + u" (continued)"), PrintFont(11, true));
        pages.Skip(6);
    }
    const int top = pages.Y();
    pages.Picture([&] { return ReportIcon(VerdictImage(r.latest, rule)); }, 0, 16, 16);
    if (trend) {
        constexpr double kScale = 3;
        pages.Picture([&] { return PrintedChart(series, r.name, kTrendDays, u"Line", kScale); },
                      pages.Width() - kTrendWidth, kTrendWidth, kTrendHeight);
    }
    const int column = pages.Width() - kTextX - kTrendWidth - 12;
    const std::vector<std::u16string> lines = ResultLines(r, rule);
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
    const ValueReading rule = ReadingFor(user, DesktopNumberFormat());
    std::vector<std::vector<GraphSeries>> trends;
    trends.reserve(tests.size());
    for (const SummaryTest& test : tests) trends.push_back(Trends(user, test, rule));

    return PrintPdf(out, Q(u"Results summary: " + name), Q(name + u"    Results summary"), [&](PrintedPages& pages) {
        pages.Text(QStringLiteral("Results summary"), PrintFont(20, true));
        pages.Skip(4);
        pages.Text(Q(name), PrintFont(14, true));
        pages.Text(Q(about), PrintFont(11));
        pages.Skip(14);
        for (std::size_t t = 0; t < tests.size(); ++t) {
            const SummaryTest& test = tests[t];
            const QString heading = Q(test.name + u", latest " + DateText(test.latest));
            const QString comment = Q(u"Comment: " + test.comment);
            int height = pages.TextHeight(heading, PrintFont(13, true), 0) + 6;
            if (!test.comment.empty()) height += pages.TextHeight(comment, PrintFont(10), kTextX) + 4;
            const int headingHeight = height;
            for (std::size_t i = 0; i < test.results.size(); ++i)
                height += ResultHeight(pages, test.results[i], trends[t][i].count > 0, rule);
            // A test that fits on a page is never split; a longer one starts
            // where at least its heading and first result fit.
            const bool fits = height <= pages.PageRoom();
            const int firstResult = test.results.empty() ? 0 : ResultHeight(pages, test.results[0], true, rule);
            pages.Reserve(fits ? height : headingHeight + firstResult);
            pages.Text(heading, PrintFont(13, true));
            pages.Skip(6);
            if (!test.comment.empty()) {
                pages.Text(comment, PrintFont(10), kTextX);
                pages.Skip(4);
            }
            if (test.results.empty()) pages.Text(QStringLiteral("No results recorded"), PrintFont(10), kTextX);
            for (std::size_t i = 0; i < test.results.size(); ++i)
                DrawResult(pages, test, test.results[i], trends[t][i], rule);
            pages.Skip(10);
        }
    });
}
