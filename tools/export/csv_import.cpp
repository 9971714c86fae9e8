#include "tools/export/csv_import.h"

#include "platform/device.h"
#include "platform/device_lock.h"
#include "platform/recording_surface.h"
#include "platform/text.h"
#include "store/patient_store.h"
#include "store/settings_store.h"
#include "store/one_change.h"
#include "store/test_changes.h"
#include "store/test_info_import.h"
#include "tools/export/csv_fields.h"
#include "tools/export/date_forms.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <tuple>

namespace {

enum Column { kUser, kTest, kDate, kResult, kValue, kGoal, kUnit, kComment, kColumns };
constexpr std::array<std::string_view, kColumns> kColumnNames = {"user",  "test", "date", "result",
                                                                 "value", "goal", "unit", "comment"};

struct Row {
    int line = 0;
    std::array<std::u16string, kColumns> text;
    SystemTime date;
};

std::string AtLine(int line, const std::string& what) { return "line " + std::to_string(line) + ": " + what; }

bool IsUtf8(std::string_view bytes) {
    return bytes.find('\0') == std::string_view::npos && TextToUtf8(Utf8ToText(bytes)) == bytes;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Where each column stands in the file; the file may leave out all but user, test and date.
std::string ReadHeader(const CsvRow& header, std::array<int, kColumns>& where) {
    where.fill(-1);
    for (std::size_t i = 0; i < header.fields.size(); ++i) {
        const std::string name = Lower(header.fields[i]);
        auto known = std::find(kColumnNames.begin(), kColumnNames.end(), name);
        if (known == kColumnNames.end())
            return AtLine(header.line, "unknown column \"" + header.fields[i] +
                                           "\" (the columns are user, test, date, result, value, goal, unit, comment)");
        int& slot = where[static_cast<std::size_t>(known - kColumnNames.begin())];
        if (slot != -1) return AtLine(header.line, "the column " + name + " is named twice");
        slot = static_cast<int>(i);
    }
    for (Column needed : {kUser, kTest, kDate})
        if (where[needed] == -1)
            return AtLine(header.line, "the header names no " + std::string(kColumnNames[needed]) + " column");
    return {};
}

// A row's fields as the windows would store them, or why they cannot be.
std::string ReadRow(const CsvRow& csv, const std::array<int, kColumns>& where, std::size_t width, Row& row) {
    row.line = csv.line;
    if (csv.fields.size() != width)
        return AtLine(csv.line, std::to_string(csv.fields.size()) + " fields where the header names " +
                                    std::to_string(width));
    for (std::size_t c = 0; c < kColumns; ++c) {
        if (where[c] == -1) continue;
        const std::string& field = csv.fields[static_cast<std::size_t>(where[c])];
        if (!IsUtf8(field)) return AtLine(csv.line, "the " + std::string(kColumnNames[c]) + " is not UTF-8 text");
        row.text[c] = LineBreaksToBlanks(Utf8ToText(field));
        if (row.text[c].size() > kTextMax)
            return AtLine(csv.line, "the " + std::string(kColumnNames[c]) + " is longer than " +
                                        std::to_string(kTextMax) + " characters");
    }
    if (row.text[kUser].empty()) return AtLine(csv.line, "the user is empty");
    if (row.text[kTest].empty()) return AtLine(csv.line, "the test is empty");
    std::optional<SystemTime> date = ReadDateForm(csv.fields[static_cast<std::size_t>(where[kDate])]);
    if (!date)
        return AtLine(csv.line, "\"" + csv.fields[static_cast<std::size_t>(where[kDate])] +
                                    "\" is not a date (use " + kDateForms + ")");
    row.date = *date;
    // A result needs all four of its fields, as Add Test Result asks for them;
    // a test stored without results has none.
    const bool named = !row.text[kResult].empty();
    for (Column part : {kValue, kGoal, kUnit}) {
        if (named && row.text[part].empty())
            return AtLine(csv.line, "the result " + TextToUtf8(row.text[kResult]) + " has no " +
                                        std::string(kColumnNames[part]));
        if (!named && !row.text[part].empty())
            return AtLine(csv.line, "a " + std::string(kColumnNames[part]) + " without a result name");
    }
    return {};
}

std::string ReadRows(const std::filesystem::path& file, std::vector<Row>& rows) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return "cannot read " + file.string();
    std::stringstream buffer;
    buffer << in.rdbuf();
    std::string text = buffer.str();
    if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
    if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF"))
        return file.string() + " is UTF-16 text; save it as UTF-8 CSV";

    CsvReader reader(text, CsvSeparator(text));
    CsvRow csv;
    std::string problem;
    if (!reader.Next(csv, problem)) return problem.empty() ? file.string() + " is empty" : AtLine(csv.line, problem);
    std::array<int, kColumns> where;
    problem = ReadHeader(csv, where);
    if (!problem.empty()) return problem;
    const std::size_t width = csv.fields.size();
    while (reader.Next(csv, problem)) {
        Row row;
        problem = ReadRow(csv, where, width, row);
        if (!problem.empty()) return problem;
        rows.push_back(std::move(row));
    }
    return problem.empty() ? std::string() : AtLine(csv.line, problem);
}

ImportedUser& UserIn(ImportOutcome& outcome, const std::u16string& name) {
    for (ImportedUser& user : outcome.users)
        if (user.name == name) return user;
    outcome.users.push_back({name});
    return outcome.users.back();
}

// Stores one row as Take Test stores a result of a day, joining the day's
// others; a user the device lacks is added. False when a write failed.
bool StoreRow(const Row& row) {
    const auto& t = row.text;
    if (FindPatient(t[kUser]) == -1 &&
        !AddPatient(t[kUser], u"", NewUserBirthdate(), kDefaultGraphPeriod, kDefaultGraphType))
        return false;
    TakenTest taken{t[kUser], t[kTest], row.date, t[kComment], {}};
    if (!t[kResult].empty()) taken.results.push_back({t[kResult], t[kValue], t[kGoal], t[kUnit]});
    return StoreTakenTest(taken, true) == TestSaved::Stored;
}

// Stores the rows, or with `dryRun` only counts them. False when a write failed.
bool StoreRows(const std::vector<Row>& rows, bool dryRun, ImportOutcome& outcome, int& failedLine) {
    std::set<std::tuple<std::u16string, std::u16string, std::u16string, int, int, int>> seen;
    for (const Row& row : rows) {
        failedLine = row.line;
        const auto& t = row.text;
        ImportedUser& user = UserIn(outcome, t[kUser]);
        if (!user.madeUser && FindPatient(t[kUser]) == -1) user.madeUser = true;
        const bool fresh =
            seen.emplace(t[kUser], t[kTest], t[kResult], row.date.year, row.date.month, row.date.day).second &&
            !ReadResult(t[kUser], t[kTest], t[kResult], row.date);
        ++(fresh ? user.added : user.updated);
        if (!dryRun && !StoreRow(row)) return false;
    }
    return true;
}

// Imports the test information when the device lacks it, then the rows, and
// makes the file's first user the current one when there is none.
std::string StoreFile(const std::vector<Row>& rows, bool dryRun, ImportOutcome& outcome) {
    // Without its catalogue the program would take the device for a first run
    // and never import its test information; so that comes first, as then.
    if (!TestInfoImported()) {
        const std::filesystem::path info = ResolveDevicePath(kTestInfoFilePath);
        std::error_code error;
        if (!std::filesystem::is_regular_file(info, error))
            return "the device has no test information file " + info.string() + "; start Vantrel once, then import";
        RecordingSurface progress;
        ImportProblem why = ImportProblem::None;
        if (!dryRun && !ImportTestInfo(progress, &why))
            return "cannot import the test information file " + info.string() +
                   (why == ImportProblem::FileTooLarge    ? ": it is far larger than any catalogue"
                    : why == ImportProblem::StoreRefused ? ": the data file refused it; is the disk full?"
                                                         : "");
        outcome.catalogueImported = true;
    }
    int failedLine = 0;
    if (!StoreRows(rows, dryRun, outcome, failedLine))
        return AtLine(failedLine, "could not be stored; nothing was imported");

    std::u16string current;
    GetSetting(kCurrentUserKey, current);
    if (current.empty()) {
        outcome.madeCurrent = rows.front().text[kUser];
        if (!dryRun && !CreateSettings(outcome.madeCurrent)) return "cannot store the current user";
    }
    return {};
}

}  // namespace

std::string ImportResultsCsv(const std::filesystem::path& file, bool dryRun, ImportOutcome& outcome) {
    outcome = {};
    std::vector<Row> rows;
    std::string problem = ReadRows(file, rows);
    if (!problem.empty()) return problem;
    if (rows.empty()) return file.string() + " holds no results";

    const std::filesystem::path root = DeviceRoot();
    std::error_code error;
    if (!std::filesystem::is_directory(root, error)) return "no Vantrel device at " + root.string();
    DeviceLock lock;
    if (!dryRun) {
        switch (lock.Acquire(root)) {
        case DeviceLock::Outcome::Held: break;
        case DeviceLock::Outcome::HeldElsewhere:
            return "Vantrel is running on this device (" + root.string() + "); close it, then import";
        case DeviceLock::Outcome::Failed: return "cannot lock the device folder " + root.string();
        }
    }

    // The whole file is one change: on any problem nothing of it is kept.
    if (dryRun) return StoreFile(rows, true, outcome);
    if (!AsOneChange([&] {
            problem = StoreFile(rows, false, outcome);
            return problem.empty();
        }) &&
        problem.empty())
        return "the results could not be stored; nothing was imported";
    return problem;
}
