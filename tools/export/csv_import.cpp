#include "tools/export/csv_import.h"

#include "platform/device.h"
#include "platform/device_lock.h"
#include "platform/locale/desktop_numbers.h"
#include "platform/recording_surface.h"
#include "platform/text.h"
#include "store/one_change.h"
#include "store/patient_store.h"
#include "store/settings_store.h"
#include "store/test_changes.h"
#include "store/test_info_import.h"
#include "review/goal_reading.h"
#include "tools/export/csv_fields.h"
#include "tools/export/date_forms.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <unordered_map>
#include <sys/stat.h>
#include <unistd.h>

namespace {

enum Column { kUser, kTest, kDate, kResult, kValue, kGoal, kUnit, kComment, kColumns };
constexpr std::array<std::string_view, kColumns> kColumnNames = {"user",  "test", "date", "result",
                                                                 "value", "goal", "unit", "comment"};
constexpr const char* kColumnList = "user, test, date, result, value, goal, unit, comment";

// No text of kTextMax code units takes more UTF-8 bytes than this.
constexpr std::size_t kFieldBytesMax = 3 * kTextMax;

struct Row {
    int line = 0;
    std::array<std::u16string, kColumns> text;
    SystemTime date;
};

std::string AtLine(int line, const std::string& what) { return "line " + std::to_string(line) + ": " + what; }

bool IsUtf8(std::string_view bytes) {
    return bytes.find('\0') == std::string_view::npos && TextToUtf8(Utf8ToText(bytes)) == bytes;
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::string TooLong(int line, std::string_view column) {
    return AtLine(line, "the " + std::string(column) + " is longer than " + std::to_string(kTextMax) + " characters");
}

// Where each column stands in the file; the file may leave out all but user, test and date.
std::string ReadHeader(const CsvRow& header, std::array<int, kColumns>& where) {
    where.fill(-1);
    if (header.count > kColumns)
        return AtLine(header.line, "the header names " + std::to_string(header.count) +
                                       " columns (the columns are " + kColumnList + ")");
    for (std::size_t i = 0; i < header.fields.size(); ++i) {
        const std::string name = Lower(header.fields[i]);
        auto known = std::find(kColumnNames.begin(), kColumnNames.end(), name);
        if (known == kColumnNames.end())
            return AtLine(header.line,
                          "unknown column \"" + header.fields[i] + "\" (the columns are " + kColumnList + ")");
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
    if (csv.count != width)
        return AtLine(csv.line, std::to_string(csv.count) + " fields where the header names " + std::to_string(width));
    for (std::size_t c = 0; c < kColumns; ++c) {
        row.text[c].clear();
        if (where[c] == -1) continue;
        const std::string_view field = UnguardedField(csv.fields[static_cast<std::size_t>(where[c])]);
        if (!IsUtf8(field)) return AtLine(csv.line, "the " + std::string(kColumnNames[c]) + " is not UTF-8 text");
        row.text[c] = LineBreaksToBlanks(Utf8ToText(field));
        if (row.text[c].size() > kTextMax) return TooLong(csv.line, kColumnNames[c]);
    }
    if (row.text[kUser].empty()) return AtLine(csv.line, "the user is empty");
    if (row.text[kTest].empty()) return AtLine(csv.line, "the test is empty");
    const std::string& dateField = csv.fields[static_cast<std::size_t>(where[kDate])];
    std::optional<SystemTime> date = ReadDateForm(dateField);
    if (!date) return AtLine(csv.line, "\"" + dateField + "\" is not a date (use " + kDateForms + ")");
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

// What a result holds besides its name: a row changes the store when these
// differ from the stored ones.
struct Fields {
    std::u16string value, goal, unit, comment;
    bool operator==(const Fields&) const = default;
};

// The rows of one test of one day that follow one another in the file. Each
// is judged against what the file's earlier rows left of its result, else the
// day as stored before them, as a dry run judges every row; the changed ones
// are stored together as Take Test stores a day joined to what it holds. So
// the day is read and written once, however many rows it has; its rows met
// again later in the file are judged and joined again. A day is read only
// when the store held the user's test as the file turned to it, or the file
// met the day before; the days changed are stored some at a time.
class DayRows {
public:
    // `storing` false: a dry run, which only counts.
    DayRows(ImportTally& tally, bool storing) : tally_(tally), storing_(storing) {}

    // Counts `row` and holds it back when it changes the store; a row that
    // changes nothing stores nothing. 0, or the line of a row that could not be stored.
    int Take(const Row& row) {
        const auto& t = row.text;
        if (!Holds(row)) {
            if (const int failed = End()) return failed;
            if (const int failed = Begin(row)) return failed;
        }
        ++rows_;
        ImportedUser& user = tally_.User(t[kUser]);
        // A user is looked for once, at the first row that names them.
        if (user.added + user.updated + user.unchanged == 0 && !HasPatient(t[kUser])) {
            user.madeUser = true;
            if (storing_ && !AddPatient(t[kUser], u"", NewUserBirthdate(), kDefaultGraphPeriod, kDefaultGraphType))
                return row.line;
        }
        // A row without a comment keeps the one its result had.
        const std::optional<Fields> before = Before(t[kResult]);
        Fields after{t[kValue], t[kGoal], t[kUnit], t[kComment]};
        if (after.comment.empty() && before) after.comment = before->comment;
        met_.insert_or_assign(t[kResult], after);
        if (before == after) {
            ++user.unchanged;
            return 0;
        }
        ++(before ? user.updated : user.added);
        if (storing_) Hold(row);
        return 0;
    }

    // Stores the rows held back; 0, or the line of the first of them when that failed.
    int End() {
        if (!open_) return 0;
        open_ = false;
        std::vector<std::u16string_view> parts;
        for (const auto& [name, fields] : met_)
            parts.insert(parts.end(), {name, fields.value, fields.goal, fields.unit, fields.comment});
        tally_.Remember(DayKey(), ImportTally::Key('r', parts));
        if (!changed_) return 0;
        changed_ = false;
        if (pending_.empty()) pendingLine_ = line_;
        pending_.push_back({std::move(day_), std::move(stored_)});
        pendingRows_ += rows_;
        return pendingRows_ >= kRowsMost ? Flush() : 0;
    }

    // Stores the days held back; 0, or the line of the first of them when that failed.
    int Flush() {
        if (pending_.empty()) return 0;
        const bool stored = JoinTakenTests(pending_, context_) == TestSaved::Stored;
        pending_.clear();
        pendingRows_ = 0;
        return stored ? 0 : pendingLine_;
    }

private:
    // So many rows of one day at most are held; more are joined to it again.
    static constexpr int kRowsMost = 1000;

    bool Holds(const Row& row) const {
        const auto& t = row.text;
        return open_ && rows_ < kRowsMost && day_.date == row.date && day_.user == t[kUser] && day_.test == t[kTest];
    }

    std::string DayKey() const {
        const SystemTime& d = day_.date;
        return ImportTally::Key('d', {day_.user, day_.test, IntToText(d.year * 10000 + d.month * 100 + d.day)});
    }

    // 0, or the line of days held back that could not be stored.
    int Begin(const Row& row) {
        const auto& t = row.text;
        day_ = TakenTest{t[kUser], t[kTest], row.date, {}, {}};
        open_ = true;
        rows_ = 0;
        line_ = row.line;
        met_.clear();
        const std::optional<std::string> met = tally_.Recall(DayKey());
        if (t[kUser] != pairUser_ || t[kTest] != pairTest_) {
            // Days held back are of one user's test as the file spells it:
            // stored under another spelling, they would hide from its reads.
            if (const int failed = Flush()) return failed;
            pairUser_ = t[kUser];
            pairTest_ = t[kTest];
            pairHeld_ = HoldsTest(pairUser_, pairTest_);
        }
        stored_.clear();
        if (met) {
            // The days held back may hold this one.
            if (const int failed = Flush()) return failed;
            const std::vector<std::u16string> parts = ImportTally::Parts(*met);
            for (std::size_t at = 0; at + 5 <= parts.size(); at += 5)
                met_.insert_or_assign(parts[at], Fields{parts[at + 1], parts[at + 2], parts[at + 3], parts[at + 4]});
        }
        if (met || pairHeld_) stored_ = ReadDayRecords(t[kUser], t[kTest], row.date);
        return 0;
    }

    // The result as an earlier row of the file left it, else as the day held it.
    std::optional<Fields> Before(const std::u16string& result) const {
        if (const auto met = met_.find(result); met != met_.end()) return met->second;
        for (const TestResult& r : stored_)
            if (r.result == result) return Fields{r.value, r.goal, r.unit, r.comment};
        return std::nullopt;
    }

    // A later row of one result name replaces an earlier one, and the last
    // comment given becomes the day's; a row without a result stores the day.
    void Hold(const Row& row) {
        const auto& t = row.text;
        changed_ = true;
        if (!t[kComment].empty()) day_.comment = t[kComment];
        if (!t[kResult].empty()) day_.results.push_back({t[kResult], t[kValue], t[kGoal], t[kUnit]});
    }

    ImportTally& tally_;
    const bool storing_;
    bool open_ = false;
    bool changed_ = false;
    int rows_ = 0;
    int line_ = 0;  // of the day's first row
    TakenTest day_;
    std::vector<TestResult> stored_;
    std::unordered_map<std::u16string, Fields> met_;
    // Whether the store held the user's test of the rows before, as the file turned to it.
    std::u16string pairUser_, pairTest_;
    bool pairHeld_ = false;
    std::vector<DayToJoin> pending_;
    int pendingRows_ = 0;
    int pendingLine_ = 0;  // of the first day held back
    JoinContext context_;
};

// Whether a row's value and goal are read as numbers, as the windows read them.
class NumberCheck {
public:
    bool Judged(const Row& row) {
        const auto& t = row.text;
        if (t[kResult].empty()) return true;
        if (t[kUser] != user_) {
            user_ = t[kUser];
            reading_ = ReadingFor(user_, DesktopNumberFormat());
        }
        return ReadNumber(t[kValue], reading_.numbers) && ReadGoal(t[kGoal], reading_);
    }

private:
    std::u16string user_;
    ValueReading reading_;
};

// The file's descriptor ("-": standard input), refused at once when it is larger than an import reads.
std::string OpenInput(const std::string& file, int& fd) {
    fd = file == "-" ? STDIN_FILENO : ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return "cannot read " + file + ": " + std::strerror(errno);
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) return file + " is a folder";
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && static_cast<std::uint64_t>(info.st_size) > kImportFileMax)
        return file + " is larger than " + std::to_string(kImportFileMax >> 20) +
               " MB, the most an import reads; nothing was stored";
    return {};
}

// Why the reader stopped short, or empty when it did not.
std::string ReadFailure(const CsvReader& reader, const std::string& file) {
    if (reader.Failed() == EFBIG)
        return file + " is larger than " + std::to_string(kImportFileMax >> 20) +
               " MB, the most an import reads; nothing was stored";
    if (reader.Failed() != 0) return "cannot read " + file + ": " + std::strerror(reader.Failed());
    return {};
}

class Input {
public:
    ~Input() {
        if (fd >= 0 && fd != STDIN_FILENO) ::close(fd);
    }
    int fd = -1;
};

}  // namespace

std::string ImportResultsCsv(const std::string& file, bool dryRun, ImportOutcome& outcome, ImportTally& tally) {
    outcome = {};
    Input input;
    std::string problem = OpenInput(file, input.fd);
    if (!problem.empty()) return problem;
    CsvReader reader(input.fd, {kImportFileMax, kFieldBytesMax, kColumns});
    std::string_view opening = reader.Opening();
    if (opening.starts_with("\xFF\xFE") || opening.starts_with("\xFE\xFF"))
        return file + " is UTF-16 text; save it as UTF-8 CSV";
    if (opening.starts_with("\xEF\xBB\xBF")) {
        reader.SkipOpening(3);
        opening.remove_prefix(3);
    }
    reader.SetSeparator(CsvSeparator(opening));

    CsvRow csv;
    if (!reader.Next(csv, problem)) {
        if (std::string failure = ReadFailure(reader, file); !failure.empty()) return failure;
        return problem.empty() ? file + " is empty" : AtLine(csv.line, problem);
    }
    std::array<int, kColumns> where;
    problem = ReadHeader(csv, where);
    if (!problem.empty()) return problem;
    const std::size_t width = csv.count;

    const std::filesystem::path root = DeviceRoot();
    std::error_code error;
    if (!std::filesystem::is_directory(root, error)) return "no Vantrel device at " + root.string();
    DeviceLock lock;
    if (!dryRun) {
        switch (lock.Acquire(root, DeviceLock::Holder::Import)) {
        case DeviceLock::Outcome::Held: break;
        case DeviceLock::Outcome::HeldElsewhere:
            return TextToUtf8(RunningOnDevice(lock.OtherHolder())) + " on this device (" + root.string() +
                   (lock.OtherHolder() == DeviceLock::Holder::Program ? "); close it, then import" : "); let it end, then import");
        case DeviceLock::Outcome::Failed: return "cannot lock the device folder " + root.string();
        }
    }

    // The whole file is one change: a bad row leaves nothing of it stored.
    const auto importRows = [&]() -> std::string {
        // Without its catalogue the program would take the device for a first run
        // and never import its test information; so that comes first, as then.
        if (!TestInfoImported()) {
            const std::filesystem::path info = ResolveDevicePath(kTestInfoFilePath);
            if (!std::filesystem::is_regular_file(info, error))
                return "the device has no test information file " + info.string() +
                       "; start Vantrel once, then import";
            RecordingSurface progress;
            ImportProblem why = ImportProblem::None;
            if (!dryRun && !ImportTestInfo(progress, &why))
                return "cannot import the test information file " + info.string() +
                       (why == ImportProblem::FileTooLarge    ? ": it is far larger than any catalogue"
                        : why == ImportProblem::StoreRefused ? ": the data file refused it; is the disk full?"
                                                             : "");
            outcome.catalogueImported = true;
        }

        // Each row is checked as it is read and stored with the rows of its day.
        Row row;
        std::u16string firstUser;
        NumberCheck numbers;
        DayRows days(tally, !dryRun);
        const auto notStored = [](int line) { return AtLine(line, "could not be stored; nothing was imported"); };
        while (reader.Next(csv, problem)) {
            if (std::string failure = ReadFailure(reader, file); !failure.empty()) return failure;
            problem = ReadRow(csv, where, width, row);
            if (!problem.empty()) return problem;
            if (firstUser.empty()) firstUser = row.text[kUser];
            if (!numbers.Judged(row) && ++outcome.unjudgedRows <= kUnjudgedLinesNamed)
                outcome.unjudgedLines.push_back(row.line);
            if (const int failed = days.Take(row)) return notStored(failed);
        }
        if (std::string failure = ReadFailure(reader, file); !failure.empty()) return failure;
        if (csv.longField != SIZE_MAX) {
            const auto column = std::find(where.begin(), where.end(), static_cast<int>(csv.longField));
            const auto at = static_cast<std::size_t>(column - where.begin());
            return column == where.end() ? AtLine(csv.line, problem) : TooLong(csv.line, kColumnNames[at]);
        }
        if (!problem.empty()) return AtLine(csv.line, problem);
        if (firstUser.empty()) return file + " holds no results";
        if (const int failed = days.End()) return notStored(failed);
        if (const int failed = days.Flush()) return notStored(failed);

        std::u16string current;
        GetSetting(kCurrentUserKey, current);
        if (current.empty()) {
            outcome.madeCurrent = firstUser;
            if (!dryRun && !CreateSettings(outcome.madeCurrent)) return "cannot store the current user";
        }
        return {};
    };
    if (dryRun) return importRows();
    if (!AsOneChange([&] {
            problem = importRows();
            return problem.empty();
        }) &&
        problem.empty())
        return "the results could not be stored; nothing was imported";
    return problem;
}
