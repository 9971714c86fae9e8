// vantrel-export: reads a Vantrel device and lets its users take their records
// with them. It never writes into the object store, except `import` and `restore`.

#include "platform/datetime.h"
#include "platform/device.h"
#include "platform/text.h"
#include "store/data_file.h"
#include "store/patient_store.h"
#include "store/test_record_store.h"
#include "tools/export/command_line.h"
#include "tools/export/csv_export.h"
#include "tools/export/csv_import.h"
#include "tools/export/date_forms.h"
#include "tools/export/device_records.h"
#include "tools/export/failure.h"
#include "tools/export/output_file.h"
#include "tools/export/printed_files.h"
#include "tools/export/store_backup.h"
#include "tools/export/summary_pdf.h"
#include "tools/export/terminal_text.h"

#include <QBuffer>
#include <QGuiApplication>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// One line for the person at standard output, control characters escaped.
void Say(std::string_view line) {
    StandardOutput().Write(TerminalText(line));
    StandardOutput().Write("\n");
}

void Complain(std::string_view message) {
    std::fprintf(stderr, "vantrel-export: %s\n", TerminalText(message).c_str());
}

void RequireReadableDevice() {
    std::error_code error;
    std::filesystem::path root = DeviceRoot();
    if (!std::filesystem::is_directory(root, error)) Fail("no Vantrel device at " + root.string());
    std::u16string problem = DataFileProblem();
    if (!problem.empty()) Fail(TextToUtf8(problem));
}

std::u16string KnownUser(const std::string& name) {
    std::u16string user = Utf8ToText(name);
    for (const UserEntry& entry : ReadUsers())
        if (entry.name == user) return user;
    Fail("no user named \"" + name + "\" on this device (see vantrel-export list)");
}

SystemTime ParseDate(const std::string& text) {
    std::optional<SystemTime> date = ReadDateForm(text);
    if (!date) Misused("not a date: " + text + " (use " + kDateForms + ")");
    return *date;
}

// A device or pipe, which has no extension to tell a format.
bool IsDevice(const std::string& name) {
    struct stat info {};
    return ::stat(name.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
}

// The output's name and the format its extension asks for, one of `formats`
// (lower case); standard output, a device and a pipe get the first.
std::pair<std::string, std::string> OutputOf(const CommandLine& line, const std::string& fallback,
                                             std::initializer_list<const char*> formats) {
    const std::string name = line.output.value_or(fallback);
    if (name == "-" || IsDevice(name)) return {name, *formats.begin()};
    std::string extension = std::filesystem::path(name).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const char* format : formats)
        if (extension == std::string(".") + format) return {name, format};
    std::string names;
    for (const char* format : formats) names += std::string(names.empty() ? "" : " or ") + "." + format;
    Misused(line.command + " writes " + names + " files, not " + name);
}

// Qt warns on stderr when the session names no runtime folder; a private one
// for the run keeps a run that succeeds quiet.
class PrintingSession {
public:
    explicit PrintingSession(char** argv) : argv_{argv[0], nullptr} {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        if (runtime == nullptr || *runtime == '\0') {
            std::string pattern = (std::filesystem::temp_directory_path() / "vantrel-export-XXXXXX").string();
            if (mkdtemp(pattern.data()) != nullptr) {
                folder_ = pattern;
                setenv("XDG_RUNTIME_DIR", pattern.c_str(), 1);
            }
        }
        app_.emplace(argc_, argv_);
    }
    ~PrintingSession() {
        app_.reset();
        std::error_code ignored;
        if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
    }
    PrintingSession(const PrintingSession&) = delete;
    PrintingSession& operator=(const PrintingSession&) = delete;

private:
    // Qt is given the program's name only: no word of the command line is its option.
    int argc_ = 1;
    char* argv_[2];
    std::filesystem::path folder_;
    std::optional<QGuiApplication> app_;
};

// Draws a printed file in memory with `draw`, then writes it to `name`.
void WritePrinted(const std::string& name, bool force, char** argv,
                  const std::function<std::string(QIODevice&)>& draw) {
    OutputFile out(name, force);
    QByteArray bytes;
    {
        PrintingSession session(argv);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        std::string problem = draw(buffer);
        if (!problem.empty()) Fail(problem);
    }
    out.Write(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    out.Finish();
    if (!out.IsStandardOutput()) Say(name);
}

int List(const CommandLine& line) {
    ExpectOperands(line, 0, 0);
    RequireReadableDevice();
    // The counts come from an index alone: no record is read, as a count reads none.
    std::vector<std::pair<std::string, UserEntry>> rows;
    std::size_t width = DisplayWidth("User");
    for (UserEntry& user : ReadCountedUsers()) {
        std::string name = TerminalText(TextToUtf8(user.name.empty() ? u"(no name)" : user.name));
        if (!user.hasPatientRecord) name += " (no user record)";
        width = std::max(width, DisplayWidth(name));
        rows.emplace_back(std::move(name), std::move(user));
    }
    char counts[40];
    std::snprintf(counts, sizeof counts, " %8s %8s", "Tests", "Results");
    Say(PadToWidth("User", width) + counts);
    for (const auto& [name, user] : rows) {
        std::snprintf(counts, sizeof counts, " %8d %8d", user.tests, user.results);
        Say(PadToWidth(name, width) + counts);
    }
    return 0;
}

int Csv(const CommandLine& line) {
    ExpectOperands(line, 0, 1);
    const std::string name = OutputOf(line, "-", {"csv"}).first;
    RequireReadableDevice();
    std::optional<std::u16string> user;
    if (!line.operands.empty()) user = KnownUser(line.operands[0]);
    OutputFile out(name, line.force);
    const bool forTerminal = out.IsStandardOutput() && ::isatty(STDOUT_FILENO);
    // Rows go out in store order as they are read: nothing is held.
    out.Write(CsvHead());
    ForEachTestResult(user ? &*user : nullptr, [&](const TestResult& r) { out.Write(CsvLine(r, forTerminal)); });
    out.Finish();
    return 0;
}

int Report(const CommandLine& line, char** argv) {
    ExpectOperands(line, 2, 3);
    const std::string name = OutputOf(line, "report.pdf", {"pdf"}).first;
    const bool dated = line.operands.size() == 3;
    SystemTime day = dated ? ParseDate(line.operands[2]) : SystemTime{};
    RequireReadableDevice();
    std::u16string user = KnownUser(line.operands[0]);
    std::u16string test = Utf8ToText(line.operands[1]);
    std::vector<SystemTime> dates = TestDates(user, test);
    if (dates.empty()) Fail(line.operands[0] + " has no test named \"" + line.operands[1] + "\"");
    if (!dated) day = dates.front();
    WritePrinted(name, line.force, argv,
                 [&](QIODevice& out) { return WriteReportPdf(user, test, day, out); });
    return 0;
}

int Graph(const CommandLine& line, char** argv) {
    ExpectOperands(line, 3, 4);
    const auto [name, format] = OutputOf(line, "graph.png", {"png", "pdf"});
    std::optional<int> days;
    if (line.operands.size() == 4) {
        const std::string& text = line.operands[3];
        if (text == "all") days = -1;
        else if (!text.empty() && text.size() <= 6 && text.find_first_not_of("0123456789") == std::string::npos)
            days = std::stoi(text);
        else Misused("DAYS must be a number of days or 'all', not " + text);
    }
    std::u16string type = u"Bar";
    if (line.type && *line.type != "bar" && *line.type != "line") Misused("--type must be bar or line");
    RequireReadableDevice();
    std::u16string user = KnownUser(line.operands[0]);
    std::u16string test = Utf8ToText(line.operands[1]);
    std::u16string result = Utf8ToText(line.operands[2]);
    if (ResultValues(user, test, result, -1, 1).empty())
        Fail(line.operands[0] + " has no " + line.operands[2] + " results in " + line.operands[1]);

    const int period = days.value_or(GetGraphPeriod(user));
    GetGraphType(user, type);
    if (line.type) type = *line.type == "bar" ? u"Bar" : u"Line";
    WritePrinted(name, line.force, argv, [&, pdf = format == "pdf"](QIODevice& out) {
        return WriteGraphFile(user, test, result, period, type, pdf, out);
    });
    return 0;
}

int Summary(const CommandLine& line, char** argv) {
    ExpectOperands(line, 1, 1);
    const std::string name = OutputOf(line, "summary.pdf", {"pdf"}).first;
    RequireReadableDevice();
    std::u16string user = KnownUser(line.operands[0]);
    WritePrinted(name, line.force, argv, [&](QIODevice& out) { return WriteSummaryPdf(user, out); });
    return 0;
}

// Which rows hold a value or goal that is no number, as the windows read numbers.
std::string UnjudgedRows(const ImportOutcome& outcome) {
    const int rows = outcome.unjudgedRows;
    std::string lines;
    for (const int line : outcome.unjudgedLines) lines += (lines.empty() ? "" : ", ") + std::to_string(line);
    if (static_cast<std::size_t>(rows) > outcome.unjudgedLines.size())
        lines += " and " + std::to_string(rows - static_cast<int>(outcome.unjudgedLines.size())) + " more";
    return std::to_string(rows) + (rows == 1 ? " row holds" : " rows hold") +
           " a value or goal that is not a number (line" + (rows == 1 ? " " : "s ") + lines +
           "): kept as text, compared with no goal and left out of graphs.";
}

int Import(const CommandLine& line) {
    ExpectOperands(line, 1, 1);
    std::error_code error;
    if (std::filesystem::exists(ObjectStorePath(), error)) {
        std::u16string problem = DataFileProblem();
        if (!problem.empty()) Fail(TextToUtf8(problem));
    }
    ImportOutcome outcome;
    ImportTally tally;
    std::string problem = ImportResultsCsv(line.operands[0], line.dryRun, outcome, tally);
    if (!problem.empty()) Fail(problem);
    const bool dry = line.dryRun;
    if (outcome.catalogueImported)
        Say(dry ? "The device's test information would be imported first, as on a first run."
                : "The device's test information was imported first, as on a first run.");
    tally.ForEachUser([dry](const ImportedUser& user) {
        Say(TextToUtf8(user.name) + ": " + std::to_string(user.added) + (dry ? " to add, " : " added, ") +
            std::to_string(user.updated) + (dry ? " to update, " : " updated, ") + std::to_string(user.unchanged) +
            " unchanged" + (user.madeUser ? " (a new user: choose their sex and birthdate in Vantrel)" : ""));
    });
    if (outcome.unjudgedRows > 0) Say(UnjudgedRows(outcome));
    if (!outcome.madeCurrent.empty())
        Say(TextToUtf8(outcome.madeCurrent) + (dry ? " would become" : " is now") + " the current user.");
    if (dry) Say("Dry run: nothing was stored.");
    return 0;
}

int Backup(const CommandLine& line) {
    ExpectOperands(line, 1, 1);
    // A file of an earlier format is backed up as it is, before any conversion.
    OutputFile out(line.operands[0], line.force);
    std::string problem = BackupObjectStore(out.FileToMake());
    if (!problem.empty()) Fail(problem);
    out.Finish();
    if (!out.IsStandardOutput()) Say(line.operands[0]);
    return 0;
}

int Restore(const CommandLine& line) {
    ExpectOperands(line, 1, 1);
    KeptData kept;
    std::string problem = RestoreObjectStore(line.operands[0], kept);
    if (!problem.empty()) Fail(problem);
    if (!kept.file.empty())
        Say((kept.damaged ? "The previous data file was damaged; it was kept as it was in "
                          : "The previous data was kept in ") +
            kept.file.string());
    Say("Restored " + line.operands[0]);
    return 0;
}

int Run(int argc, char** argv) {
    const CommandLine line = ReadCommandLine(argc, argv);
    if (line.version) {
        Say("vantrel-export " VANTREL_VERSION);
        return 0;
    }
    if (line.help) {
        StandardOutput().Write(HelpText(line.command));
        return 0;
    }
    if (line.command.empty()) {
        std::fputs(HelpText(""), stderr);
        return 2;
    }
    if (line.root) SetDeviceRoot(*line.root);
    // Everything but import and restore only reads the device, even while the program uses it.
    SetDataFileReadOnly(line.command != "restore" && (line.command != "import" || line.dryRun));
    if (line.command == "list") return List(line);
    if (line.command == "csv") return Csv(line);
    if (line.command == "report") return Report(line, argv);
    if (line.command == "graph") return Graph(line, argv);
    if (line.command == "summary") return Summary(line, argv);
    if (line.command == "import") return Import(line);
    if (line.command == "backup") return Backup(line);
    return Restore(line);
}

}  // namespace

int main(int argc, char** argv) {
    // A summary draws a chart of a few megabytes for each result, one after
    // another. Left to itself the allocator maps each afresh and hands it
    // back, so every chart's pages fault in one by one (a third of a large
    // summary's time); from the heap, each reuses the last one's memory.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 128 << 20);
    // The PDF and PNG files need fonts, never a display.
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Exported health data follows the user's umask, but others never get to write it.
    ::umask(::umask(0) | 022);
    // Every record the command passed over is named, and fails it, whatever it wrote;
    // so does a data file found unusable part way.
    int passedOver = 0;
    OnPassedOverRecord([&passedOver](const PassedOverRecord& record) {
        Complain("record " + std::to_string(record.id) + " of \"" + TextToUtf8(record.sortText) + "\" in \"" +
                 TextToUtf8(record.database) + "\" in the data file " + record.file.string() +
                 " cannot be read; it was passed over and left as it was.");
        ++passedOver;
    });
    OnDataFileProblem([&passedOver](const std::u16string& problem) {
        Complain(TextToUtf8(problem));
        ++passedOver;
    });
    int status = 1;
    try {
        status = Run(argc, argv);
        StandardOutput().Flush();
    } catch (const Failure& failure) {
        if (!failure.message.empty()) Complain(failure.message);
        status = 1;
    } catch (const UsageError& usage) {
        Complain(usage.message + " (see vantrel-export --help)");
        status = 2;
    }
    if (status != 0) {
        try {
            StandardOutput().Flush();  // what was said before the failure
        } catch (const Failure&) {
        }
    }
    return passedOver > 0 ? std::max(status, 1) : status;
}
