#include "heavy_device.h"

#include "entry/goal_for_sex.h"
#include "platform/device.h"
#include "platform/memory_listing.h"
#include "platform/number_text.h"
#include "platform/recording_surface.h"
#include "platform/records/record_store.h"
#include "platform/text.h"
#include "store/catalog_store.h"
#include "store/patient_store.h"
#include "store/result_row.h"
#include "store/settings_store.h"
#include "store/test_info_import.h"
#include "store/test_record_layout.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <random>
#include <set>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

constexpr int kYears = 20;
constexpr int kDays = kYears * 365;
constexpr std::uint64_t kTicksPerDay = 864000000000ULL;

struct CatalogResult {
    std::u16string name, goalGeneral, goalFemale, unit;
};

struct CatalogTest {
    std::u16string name;
    std::vector<CatalogResult> results;
    int weight = 1;  // how often a user takes it, relative to the others
};

struct Person {
    std::u16string name, sex;
    SystemTime birthdate;
};

// Five users, listed in sort order so each one's records append to the store.
const Person kPeople[] = {
    {u"Anna Berg", u"Female", MakeDate(1961, 3, 2)},
    {u"Daniel Ruiz", u"Male", MakeDate(1958, 11, 20)},
    {u"Grace Liu", u"Female", MakeDate(1970, 7, 9)},
    {u"Omar Haddad", u"Male", MakeDate(1975, 1, 30)},
    {u"Sofia Rossi", u"Female", MakeDate(1988, 5, 17)},
};
constexpr int kHeavyPerson = 2;

const std::u16string_view kComments[] = {u"", u"", u"", u"Fasting", u"Annual checkup", u"After breakfast",
                                         u"Follow-up", u"Felt tired", u"On new medication"};

std::u16string Entry(std::u16string_view test, std::u16string_view key) {
    std::u16string text;
    GetTestEntry(test, key, text);
    return text;
}

// The catalogue as the import stored it.
std::vector<CatalogTest> ReadCatalogue() {
    MemoryListing tests;
    ListResultTests(tests);
    std::vector<CatalogTest> catalogue;
    for (const std::u16string& name : tests.Items()) {
        CatalogTest test{name, {}, 1};
        const int count = TextToInt(Entry(name, u"number of results"));
        for (int i = 1; i <= count; ++i) {
            const std::u16string n = IntToText(i);
            const GoalChoices goals = SplitGoalChoices(Entry(name, u"resultvalue" + n));
            test.results.push_back({Entry(name, u"resultname" + n), goals.general,
                                    goals.female.empty() ? goals.general : goals.female,
                                    Entry(name, u"resultunit" + n)});
        }
        // Routine panels come round far more often than the rare tests.
        if (name == u"Complete Blood Count" || name == u"Basic Metabolic Panel") test.weight = 12;
        else if (name == u"Lipid Panel" || name == u"Hemoglobin A1c" || name == u"Comprehensive Metabolic Panel")
            test.weight = 6;
        else if (test.results.size() > 1) test.weight = 3;
        catalogue.push_back(std::move(test));
    }
    if (catalogue.empty()) throw std::runtime_error("the catalogue import stored no tests");
    return catalogue;
}

// A value near the goal "low-high", written with the goal's decimals.
std::u16string ValueNear(std::u16string_view goal, std::mt19937& random) {
    const std::size_t dash = goal.find(u'-');
    const double low = ReadNumber(goal.substr(0, dash), kPlainNumbers).value_or(0);
    const double high =
        dash == std::u16string_view::npos ? low : ReadNumber(goal.substr(dash + 1), kPlainNumbers).value_or(low);
    const std::size_t point = goal.find(u'.');
    const int decimals = point == std::u16string_view::npos ? 0 : std::min<int>(3, static_cast<int>(goal.size() - point - 1));
    const double spread = std::max(high - low, 1.0);
    std::uniform_real_distribution<double> pick(std::max(0.0, low - spread * 0.2), high + spread * 0.2);
    const double scale = std::pow(10.0, decimals);
    const double value = std::round(pick(random) * scale) / scale;
    std::string text(32, '\0');
    text.resize(static_cast<std::size_t>(std::snprintf(text.data(), text.size(), "%.*f", decimals, value)));
    return Utf8ToText(text);
}

SystemTime DaysBefore(const SystemTime& now, int days) {
    FileTime time = 0;
    SystemTimeToFileTime(now, time);
    SystemTime date;
    FileTimeToSystemTime(time - static_cast<FileTime>(days) * kTicksPerDay, date);
    return MakeDate(date.year, date.month, date.day);
}

struct Taking {
    int daysAgo;
    std::size_t test;
};

// Takings over twenty years (never today), oldest first, holding `records` results in all.
std::vector<Taking> PlanTakings(const std::vector<CatalogTest>& catalogue, int records, std::mt19937& random) {
    std::vector<int> weights;
    for (const CatalogTest& test : catalogue) weights.push_back(test.weight);
    std::discrete_distribution<std::size_t> pickTest(weights.begin(), weights.end());
    std::uniform_int_distribution<int> pickDay(1, kDays);
    std::set<std::pair<int, std::size_t>> taken;
    std::vector<Taking> takings;
    for (int planned = 0; planned < records;) {
        Taking taking{pickDay(random), pickTest(random)};
        if (!taken.insert({taking.daysAgo, taking.test}).second) continue;
        planned += static_cast<int>(std::max<std::size_t>(1, catalogue[taking.test].results.size()));
        takings.push_back(taking);
    }
    std::sort(takings.begin(), takings.end(), [](const Taking& a, const Taking& b) {
        return a.daysAgo != b.daysAgo ? a.daysAgo > b.daysAgo : a.test < b.test;
    });
    return takings;
}

// The eight properties of a test record, in AddResult's order.
PropertyRecord ResultRecord(std::u16string_view user, std::u16string_view test, std::u16string_view comment,
                            FileTime date, std::u16string_view result, std::u16string_view value,
                            std::u16string_view goal, std::u16string_view unit) {
    PropertyRecord record;
    const Property properties[] = {Property(user, kPropUser),          Property(test, kPropTestName),
                                   Property(date, kPropTestDate),      Property(result, kPropResultName),
                                   Property(value, kPropResultValue),  Property(unit, kPropResultUnit),
                                   Property(comment, kPropComment),    Property(goal, kPropGoalValue)};
    record.AddProperties(properties, 8);
    return record;
}

// Writes the person's takings; returns how many records were written, at most `records`.
int WriteTakings(PropertyDatabase& db, const Person& person, const std::vector<CatalogTest>& catalogue,
                 const std::vector<Taking>& takings, int records, std::mt19937& random) {
    std::uniform_int_distribution<std::size_t> pickComment(0, std::size(kComments) - 1);
    const bool female = person.sex == u"Female";
    int written = 0;
    for (const Taking& taking : takings) {
        const CatalogTest& test = catalogue[taking.test];
        FileTime date = 0;
        SystemTimeToFileTime(DaysBefore(kBenchNow, taking.daysAgo), date);
        const std::u16string_view comment = kComments[pickComment(random)];
        if (test.results.empty()) {
            if (written == records) break;
            if (!db.Write(ResultRecord(person.name, test.name, comment, date, u"", u"", u"", u""), 0))
                throw std::runtime_error("writing a test record failed");
            ++written;
            continue;
        }
        for (const CatalogResult& result : test.results) {
            if (written == records) break;
            const std::u16string& goal = female ? result.goalFemale : result.goalGeneral;
            if (!db.Write(ResultRecord(person.name, test.name, comment, date, result.name, ValueNear(goal, random),
                                       goal, result.unit),
                          0))
                throw std::runtime_error("writing a test record failed");
            ++written;
        }
    }
    return written;
}

}  // namespace

void PlaceCatalogue(const fs::path& root) {
    const fs::path target = root / "windows" / "BrennicTests.txt";
    fs::create_directories(target.parent_path());
    fs::copy_file(VANTREL_BENCH_CATALOGUE, target, fs::copy_options::overwrite_existing);
}

HeavyDevice BuildHeavyDevice(const fs::path& root, int heavyRecords, int otherRecords) {
    HeavyDevice device;
    device.root = root;
    fs::create_directories(root);
    PlaceCatalogue(root);
    SetDeviceRoot(root);
    RecordingSurface progress;
    if (!ImportTestInfo(progress)) throw std::runtime_error("the catalogue import failed");
    const std::vector<CatalogTest> catalogue = ReadCatalogue();

    std::mt19937 random(20260614);
    StoreTransaction unit;
    for (const Person& person : kPeople)
        if (!AddPatient(person.name, person.sex, person.birthdate, u"365", u"Bar"))
            throw std::runtime_error("adding a user failed");
    PropertyDatabase db;
    if (!OpenOrCreate(db, kTestRecords)) throw std::runtime_error("creating the test records failed");
    for (int p = 0; p < static_cast<int>(std::size(kPeople)); ++p) {
        const int records = p == kHeavyPerson ? heavyRecords : otherRecords;
        const std::vector<Taking> takings = PlanTakings(catalogue, records, random);
        if (p == kHeavyPerson) device.recordsBeforeHeavy = device.totalRecords;
        device.totalRecords += WriteTakings(db, kPeople[p], catalogue, takings, records, random);
        if (p != kHeavyPerson) continue;
        device.heavyUser = kPeople[p].name;
        device.heavyRecords = records;
        // The test with results the heavy user took on the most days, and the last of those days.
        std::vector<int> days(catalogue.size(), 0);
        for (const Taking& taking : takings) ++days[taking.test];
        std::size_t frequent = 0;
        for (std::size_t t = 0; t < catalogue.size(); ++t)
            if (!catalogue[t].results.empty() && (catalogue[frequent].results.empty() || days[t] > days[frequent]))
                frequent = t;
        device.frequentTest = catalogue[frequent].name;
        device.frequentResult = catalogue[frequent].results.front().name;
        for (const Taking& taking : takings)
            if (taking.test == frequent) device.lastTaken = DaysBefore(kBenchNow, taking.daysAgo);
    }
    db.Close();
    if (!CreateSettings(device.heavyUser) || !unit.Commit()) throw std::runtime_error("storing the device failed");
    CloseObjectStore();
    return device;
}

namespace {
const char* const kFactsFile = "bench-facts.txt";
}

void SaveDeviceFacts(const HeavyDevice& device) {
    std::ofstream out(device.root / kFactsFile);
    out << TextToUtf8(device.heavyUser) << '\n'
        << TextToUtf8(device.frequentTest) << '\n'
        << TextToUtf8(device.frequentResult) << '\n'
        << device.lastTaken.year << ' ' << device.lastTaken.month << ' ' << device.lastTaken.day << '\n'
        << device.heavyRecords << ' ' << device.totalRecords << ' ' << device.recordsBeforeHeavy << '\n';
    if (!out) throw std::runtime_error("writing the device facts failed");
}

HeavyDevice LoadDeviceFacts(const fs::path& root) {
    std::ifstream in(root / kFactsFile);
    HeavyDevice device;
    device.root = root;
    std::string user, test, result;
    int year = 0, month = 0, day = 0;
    std::getline(in, user);
    std::getline(in, test);
    std::getline(in, result);
    in >> year >> month >> day >> device.heavyRecords >> device.totalRecords >> device.recordsBeforeHeavy;
    if (!in) throw std::runtime_error("reading the device facts failed");
    device.heavyUser = Utf8ToText(user);
    device.frequentTest = Utf8ToText(test);
    device.frequentResult = Utf8ToText(result);
    device.lastTaken = MakeDate(year, month, day);
    return device;
}

std::vector<ResultRow> TwentyResultRows() {
    static const char16_t* const kRows[][4] = {
        {u"Glucose", u"92", u"70-99", u"mg/dL"},        {u"Calcium", u"9.4", u"8.5-10.2", u"mg/dL"},
        {u"Sodium", u"140", u"135-145", u"mmol/L"},     {u"Potassium", u"4.2", u"3.5-5.0", u"mmol/L"},
        {u"Chloride", u"101", u"96-106", u"mmol/L"},    {u"CO2", u"25", u"23-29", u"mmol/L"},
        {u"BUN", u"14", u"6-20", u"mg/dL"},             {u"Creatinine", u"0.9", u"0.7-1.3", u"mg/dL"},
        {u"Albumin", u"4.3", u"3.4-5.4", u"g/dL"},      {u"Total protein", u"7.1", u"6.0-8.3", u"g/dL"},
        {u"ALP", u"70", u"44-147", u"U/L"},             {u"ALT", u"22", u"7-56", u"U/L"},
        {u"AST", u"24", u"10-40", u"U/L"},              {u"Bilirubin", u"0.8", u"0.1-1.2", u"mg/dL"},
        {u"Cholesterol", u"182", u"0-199", u"mg/dL"},   {u"Triglycerides", u"120", u"0-149", u"mg/dL"},
        {u"HDL", u"55", u"40-100", u"mg/dL"},           {u"LDL", u"101", u"0-129", u"mg/dL"},
        {u"Hemoglobin A1c", u"5.4", u"4.0-5.6", u"%"},  {u"TSH", u"2.1", u"0.5-5.0", u"mIU/L (morning)"},
    };
    std::vector<ResultRow> rows;
    for (const auto& row : kRows) rows.push_back({row[0], row[1], row[2], row[3]});
    return rows;
}
