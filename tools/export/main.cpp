// vantrel-export: reads a Vantrel device and lets its users take their records
// with them. It never writes into the object store, except `import` and `restore`.

#include "platform/datetime.h"
#include "platform/device.h"
#include "platform/text.h"
#include "store/data_file.h"
#include "store/patient_store.h"
#include "store/test_record_store.h"
#include "tools/export/csv_export.h"
#include "tools/export/csv_import.h"
#include "tools/export/date_forms.h"
#include "tools/export/device_records.h"
#include "tools/export/printed_files.h"
#include "tools/export/store_backup.h"
#include "tools/export/summary_pdf.h"

#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <sys/stat.h>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

const char* const kUsage =
    "Usage: vantrel-export [--root DIR] COMMAND [ARGUMENTS]\n"
    "Reads the Vantrel device in DIR (default: $VANTREL_DEVICE_ROOT or ~/.local/share/vantrel).\n"
    "\n"
    "Commands:\n"
    "  list                              the users, with their numbers of tests and results\n"
    "  csv [USER] [-o FILE]              every result of USER, or of all users, as CSV\n"
    "  report USER TEST [DATE] [-o FILE] the test report of one date as a PDF file\n"
    "  graph USER TEST RESULT [DAYS] [--type bar|line] [-o FILE]\n"
    "                                    the results graph as a PNG or PDF file\n"
    "  summary USER [-o FILE]            a PDF summary of USER's latest results for a doctor\n"
    "  import FILE [--dry-run]           store the results of a CSV file like csv writes\n"
    "  backup FILE                       a consistent copy of the device's data\n"
    "  restore FILE                      replace the device's data with a backup\n"
    "\n"
    "Run 'vantrel-export COMMAND --help' for one command.\n";

const std::map<std::string, const char*> kHelp = {
    {"list", "Usage: vantrel-export list\n"
             "Lists every user with the number of tests (a test on one date counts once) and of results.\n"},
    {"csv", "Usage: vantrel-export csv [USER] [-o FILE]\n"
            "Writes every result of USER (or of every user) as CSV (RFC 4180, UTF-8) to FILE or to\n"
            "standard output: user,test,date,result,value,goal,unit,comment, dates as YYYY-MM-DD.\n"
            "Rows come in the order the device keeps them: by user, each user's results as stored.\n"
            "A test stored without results gives one row with empty result fields.\n"},
    {"report", "Usage: vantrel-export report USER TEST [DATE] [-o FILE]\n"
               "Writes the report of USER's TEST on DATE (YYYY-MM-DD or M/D/YYYY; default: the latest\n"
               "date of that test) as a PDF file, with the same lines and icons as the Test Report\n"
               "screen. FILE defaults to report.pdf.\n"},
    {"graph", "Usage: vantrel-export graph USER TEST RESULT [DAYS] [--type bar|line] [-o FILE]\n"
              "Draws the Results Graph of one result over the last DAYS days ('all' for every date;\n"
              "default: the user's graph preferences) into FILE: a PDF when the name ends in .pdf,\n"
              "else a PNG image. FILE defaults to graph.png.\n"},
    {"summary", "Usage: vantrel-export summary USER [-o FILE]\n"
                "Writes a summary of USER for a doctor as a PDF file: name, sex and age, then for every test\n"
                "the results of its latest date with their goals and units, whether each is below, within or\n"
                "above its goal, the result before it, and its trend over the last year. FILE defaults to\n"
                "summary.pdf.\n"},
    {"import", "Usage: vantrel-export import FILE [--dry-run]\n"
               "Stores every result of FILE, a CSV file such as csv writes: a header naming the columns\n"
               "user,test,date (YYYY-MM-DD or M/D/YYYY),result,value,goal,unit,comment, in UTF-8 (with or\n"
               "without a BOM), separated by commas or, when the header uses them, semicolons. A result\n"
               "already stored for that user, test, date and name is updated; users, tests and result names\n"
               "the device lacks are added. The whole file is stored, or on any bad row nothing, and the\n"
               "row's line is named. --dry-run only tells what would be added and updated. Close Vantrel\n"
               "first.\n"},
    {"backup", "Usage: vantrel-export backup FILE\n"
               "Copies the device's data into the new file FILE, consistently even while Vantrel runs.\n"
               "An existing FILE is never overwritten.\n"},
    {"restore", "Usage: vantrel-export restore FILE\n"
                "Checks that FILE is a sound Vantrel data file, keeps a copy of the device's current data\n"
                "beside it in the device folder, then replaces the data with FILE. Close Vantrel first.\n"},
};

struct Failure {
    std::string message;
};

[[noreturn]] void Fail(const std::string& message) { throw Failure{message}; }

struct Arguments {
    std::vector<std::string> positional;
    std::optional<std::string> output;
    std::optional<std::string> type;
    bool help = false;
    bool dryRun = false;
};

Arguments Split(const std::vector<std::string>& words) {
    Arguments args;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (w == "--help" || w == "-h") {
            args.help = true;
        } else if (w == "--dry-run") {
            args.dryRun = true;
        } else if (w == "-o" || w == "--output" || w == "--type") {
            if (i + 1 >= words.size()) Fail(w + " needs a value");
            (w == "--type" ? args.type : args.output) = words[++i];
        } else if (w.size() > 1 && w[0] == '-' && w != "-") {
            Fail("unknown option " + w);
        } else {
            args.positional.push_back(w);
        }
    }
    return args;
}

void ExpectCount(const Arguments& args, std::size_t least, std::size_t most, const std::string& command) {
    if (args.positional.size() < least || args.positional.size() > most)
        Fail("wrong number of arguments for " + command + " (see vantrel-export " + command + " --help)");
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
    if (!date) Fail("not a date: " + text + " (use " + kDateForms + ")");
    return *date;
}

// Qt warns on stderr when the session names no runtime folder; a private one
// for the run keeps a run that succeeds quiet.
class PrintingSession {
public:
    PrintingSession(int argc, char** argv) : argc_(argc) {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        if (runtime == nullptr || *runtime == '\0') {
            std::string pattern = (std::filesystem::temp_directory_path() / "vantrel-export-XXXXXX").string();
            if (mkdtemp(pattern.data()) != nullptr) {
                folder_ = pattern;
                setenv("XDG_RUNTIME_DIR", pattern.c_str(), 1);
            }
        }
        app_.emplace(argc_, argv);
    }
    ~PrintingSession() {
        app_.reset();
        std::error_code ignored;
        if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
    }
    PrintingSession(const PrintingSession&) = delete;
    PrintingSession& operator=(const PrintingSession&) = delete;

private:
    int argc_;
    std::filesystem::path folder_;
    std::optional<QGuiApplication> app_;
};

std::ostream& Output(const Arguments& args, std::ofstream& file) {
    if (!args.output || *args.output == "-") return std::cout;
    file.open(*args.output, std::ios::binary | std::ios::trunc);
    if (!file) Fail("cannot write " + *args.output);
    return file;
}

int List() {
    RequireReadableDevice();
    // The counts come from the indexes: the records themselves are looked at apart.
    ReadEveryStoredRecord();
    std::map<std::u16string, int> tests, results;
    for (const UserTally& tally : TallyTestRecords()) {
        tests[tally.user] = tally.tests;
        results[tally.user] = tally.results;
    }
    std::printf("%-30s %8s %8s\n", "User", "Tests", "Results");
    for (const UserEntry& user : ReadUsers()) {
        std::string name = TextToUtf8(user.name.empty() ? u"(no name)" : user.name);
        if (!user.hasPatientRecord) name += " (no user record)";
        std::printf("%-30s %8d %8d\n", name.c_str(), tests[user.name], results[user.name]);
    }
    return 0;
}

int Csv(const Arguments& args) {
    ExpectCount(args, 0, 1, "csv");
    RequireReadableDevice();
    std::optional<std::u16string> user;
    if (!args.positional.empty()) user = KnownUser(args.positional[0]);
    std::ofstream file;
    std::ostream& out = Output(args, file);
    // Rows go out in store order as they are read: nothing is held.
    WriteCsvHeader(out);
    ForEachTestResult(user ? &*user : nullptr, [&out](const TestResult& r) { WriteCsvRow(r, out); });
    out.flush();
    if (!out) Fail("cannot write the CSV");
    return 0;
}

int Report(const Arguments& args, int argc, char** argv) {
    ExpectCount(args, 2, 3, "report");
    RequireReadableDevice();
    std::u16string user = KnownUser(args.positional[0]);
    std::u16string test = Utf8ToText(args.positional[1]);
    std::vector<SystemTime> dates = TestDates(user, test);
    if (dates.empty()) Fail(args.positional[0] + " has no test named \"" + args.positional[1] + "\"");
    SystemTime day = args.positional.size() == 3 ? ParseDate(args.positional[2]) : dates.front();
    std::string file = args.output.value_or("report.pdf");
    PrintingSession session(argc, argv);
    std::string problem = WriteReportPdf(user, test, day, file);
    if (!problem.empty()) Fail(problem);
    std::printf("%s\n", file.c_str());
    return 0;
}

int Graph(const Arguments& args, int argc, char** argv) {
    ExpectCount(args, 3, 4, "graph");
    RequireReadableDevice();
    std::u16string user = KnownUser(args.positional[0]);
    std::u16string test = Utf8ToText(args.positional[1]);
    std::u16string result = Utf8ToText(args.positional[2]);
    if (ResultValues(user, test, result, -1, 1).empty())
        Fail(args.positional[0] + " has no " + args.positional[2] + " results in " + args.positional[1]);

    int period = GetGraphPeriod(user);
    if (args.positional.size() == 4) {
        const std::string& days = args.positional[3];
        if (days == "all") {
            period = -1;
        } else {
            if (days.empty() || days.find_first_not_of("0123456789") != std::string::npos || days.size() > 6)
                Fail("DAYS must be a number of days or 'all', not " + days);
            period = std::stoi(days);
        }
    }
    std::u16string type = u"Bar";
    GetGraphType(user, type);
    if (args.type) {
        if (*args.type == "bar") type = u"Bar";
        else if (*args.type == "line") type = u"Line";
        else Fail("--type must be bar or line");
    }
    std::string file = args.output.value_or("graph.png");
    PrintingSession session(argc, argv);
    std::string problem = WriteGraphFile(user, test, result, period, type, file);
    if (!problem.empty()) Fail(problem);
    std::printf("%s\n", file.c_str());
    return 0;
}

int Summary(const Arguments& args, int argc, char** argv) {
    ExpectCount(args, 1, 1, "summary");
    RequireReadableDevice();
    std::u16string user = KnownUser(args.positional[0]);
    std::string file = args.output.value_or("summary.pdf");
    PrintingSession session(argc, argv);
    std::string problem = WriteSummaryPdf(user, file);
    if (!problem.empty()) Fail(problem);
    std::printf("%s\n", file.c_str());
    return 0;
}

int Import(const Arguments& args) {
    ExpectCount(args, 1, 1, "import");
    std::error_code error;
    if (std::filesystem::exists(ObjectStorePath(), error)) {
        std::u16string problem = DataFileProblem();
        if (!problem.empty()) Fail(TextToUtf8(problem));
    }
    ImportOutcome outcome;
    std::string problem = ImportResultsCsv(args.positional[0], args.dryRun, outcome);
    if (!problem.empty()) Fail(problem);
    const bool dry = args.dryRun;
    if (outcome.catalogueImported)
        std::printf("%s\n", dry ? "The device's test information would be imported first, as on a first run."
                                : "The device's test information was imported first, as on a first run.");
    for (const ImportedUser& user : outcome.users) {
        std::printf("%s: %d %s, %d %s%s\n", TextToUtf8(user.name).c_str(), user.added, dry ? "to add" : "added",
                    user.updated, dry ? "to update" : "updated",
                    user.madeUser ? " (a new user: choose their sex and birthdate in Vantrel)" : "");
    }
    if (!outcome.madeCurrent.empty())
        std::printf("%s %s the current user.\n", TextToUtf8(outcome.madeCurrent).c_str(),
                    dry ? "would become" : "is now");
    if (dry) std::printf("Dry run: nothing was stored.\n");
    return 0;
}

int Backup(const Arguments& args) {
    ExpectCount(args, 1, 1, "backup");
    RequireReadableDevice();
    std::string problem = BackupObjectStore(args.positional[0]);
    if (!problem.empty()) Fail(problem);
    std::printf("%s\n", args.positional[0].c_str());
    return 0;
}

int Restore(const Arguments& args) {
    ExpectCount(args, 1, 1, "restore");
    std::filesystem::path kept;
    std::string problem = RestoreObjectStore(args.positional[0], kept);
    if (!problem.empty()) Fail(problem);
    if (!kept.empty()) std::printf("The previous data was kept in %s\n", kept.c_str());
    std::printf("Restored %s\n", args.positional[0].c_str());
    return 0;
}

int Run(int argc, char** argv) {
    std::vector<std::string> words(argv + 1, argv + argc);
    if (words.size() >= 2 && words[0] == "--root") {
        SetDeviceRoot(words[1]);
        words.erase(words.begin(), words.begin() + 2);
    }
    if (words.empty() || words[0] == "--help" || words[0] == "-h") {
        std::fputs(kUsage, words.empty() ? stderr : stdout);
        return words.empty() ? 2 : 0;
    }
    const std::string command = words[0];
    auto help = kHelp.find(command);
    if (help == kHelp.end()) Fail("unknown command " + command + " (see vantrel-export --help)");
    Arguments args = Split({words.begin() + 1, words.end()});
    if (args.help) {
        std::fputs(help->second, stdout);
        return 0;
    }
    if (args.dryRun && command != "import") Fail("unknown option --dry-run");
    // Everything but import and restore only reads the device, even while the program uses it.
    SetDataFileReadOnly(command != "restore" && (command != "import" || args.dryRun));
    if (command == "list") {
        ExpectCount(args, 0, 0, "list");
        return List();
    }
    if (command == "csv") return Csv(args);
    if (command == "report") return Report(args, argc, argv);
    if (command == "graph") return Graph(args, argc, argv);
    if (command == "summary") return Summary(args, argc, argv);
    if (command == "import") return Import(args);
    if (command == "backup") return Backup(args);
    return Restore(args);
}

}  // namespace

int main(int argc, char** argv) {
    // The PDF and PNG files need fonts, never a display.
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Exported health data follows the user's umask, but others never get to write it.
    ::umask(::umask(0) | 022);
    // Every record the command passed over is named, and fails it, whatever it wrote.
    int passedOver = 0;
    OnPassedOverRecord([&passedOver](const PassedOverRecord& record) {
        std::fprintf(stderr, "vantrel-export: record %lld of \"%s\" in the data file %s cannot be read; it was passed over and left as it was.\n",
                     static_cast<long long>(record.id), TextToUtf8(record.database).c_str(), record.file.c_str());
        ++passedOver;
    });
    int status = 1;
    try {
        status = Run(argc, argv);
    } catch (const Failure& failure) {
        std::fprintf(stderr, "vantrel-export: %s\n", failure.message.c_str());
    }
    return passedOver > 0 ? std::max(status, 1) : status;
}
