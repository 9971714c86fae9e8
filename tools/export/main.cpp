// vantrel-export: reads a Vantrel device and lets its users take their records
// with them. It never writes into the object store, except `restore`.

#include "platform/datetime.h"
#include "platform/device.h"
#include "platform/record_store.h"
#include "platform/text.h"
#include "store/patient_store.h"
#include "tools/export/csv_export.h"
#include "tools/export/device_records.h"
#include "tools/export/printed_files.h"
#include "tools/export/store_backup.h"

#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
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
            "A test stored without results gives one row with empty result fields.\n"},
    {"report", "Usage: vantrel-export report USER TEST [DATE] [-o FILE]\n"
               "Writes the report of USER's TEST on DATE (YYYY-MM-DD or M/D/YYYY; default: the latest\n"
               "date of that test) as a PDF file, with the same lines and icons as the Test Report\n"
               "screen. FILE defaults to report.pdf.\n"},
    {"graph", "Usage: vantrel-export graph USER TEST RESULT [DAYS] [--type bar|line] [-o FILE]\n"
              "Draws the Results Graph of one result over the last DAYS days ('all' for every date;\n"
              "default: the user's graph preferences) into FILE: a PDF when the name ends in .pdf,\n"
              "else a PNG image. FILE defaults to graph.png.\n"},
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
};

Arguments Split(const std::vector<std::string>& words) {
    Arguments args;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (w == "--help" || w == "-h") {
            args.help = true;
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
    std::u16string problem = ObjectStoreProblem();
    if (!problem.empty()) Fail(TextToUtf8(problem));
}

std::u16string KnownUser(const std::string& name) {
    std::u16string user = Utf8ToText(name);
    for (const UserEntry& entry : ReadUsers())
        if (entry.name == user) return user;
    Fail("no user named \"" + name + "\" on this device (see vantrel-export list)");
}

SystemTime ParseDate(const std::string& text) {
    int year = 0, month = 0, day = 0;
    char rest = 0;
    bool read = std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &rest) == 3 ||
                (ScanDateText(Utf8ToText(text), month, day, year) == 3 &&
                 text.find_first_not_of("0123456789/") == std::string::npos);
    SystemTime date = MakeDate(year, month, day);
    FileTime check = 0;
    if (!read || year < 1601 || !SystemTimeToFileTime(date, check)) Fail("not a date: " + text + " (use YYYY-MM-DD)");
    return date;
}

std::ostream& Output(const Arguments& args, std::ofstream& file) {
    if (!args.output || *args.output == "-") return std::cout;
    file.open(*args.output, std::ios::binary | std::ios::trunc);
    if (!file) Fail("cannot write " + *args.output);
    return file;
}

int List() {
    RequireReadableDevice();
    std::map<std::u16string, std::set<std::pair<std::u16string, std::string>>> tests;
    std::map<std::u16string, int> results;
    for (const TestRecordEntry& r : ReadTestRecords(nullptr)) {
        tests[r.user].insert({r.test, IsoDate(r.date)});
        if (!r.result.empty()) ++results[r.user];
    }
    std::printf("%-30s %8s %8s\n", "User", "Tests", "Results");
    for (const UserEntry& user : ReadUsers()) {
        std::string name = TextToUtf8(user.name.empty() ? u"(no name)" : user.name);
        if (!user.hasPatientRecord) name += " (no user record)";
        std::printf("%-30s %8zu %8d\n", name.c_str(), tests[user.name].size(), results[user.name]);
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
    WriteResultsCsv(ReadTestRecords(user ? &*user : nullptr), out);
    out.flush();
    if (!out) Fail("cannot write the CSV");
    return 0;
}

// The dates on which `user` took `test`, oldest first.
std::vector<SystemTime> TestDates(const std::u16string& user, const std::u16string& test) {
    std::map<std::string, SystemTime> dates;
    for (const TestRecordEntry& r : ReadTestRecords(&user))
        if (r.test == test) dates.emplace(IsoDate(r.date), r.date);
    std::vector<SystemTime> list;
    for (const auto& [key, date] : dates) list.push_back(date);
    return list;
}

int Report(const Arguments& args, int argc, char** argv) {
    ExpectCount(args, 2, 3, "report");
    RequireReadableDevice();
    std::u16string user = KnownUser(args.positional[0]);
    std::u16string test = Utf8ToText(args.positional[1]);
    std::vector<SystemTime> dates = TestDates(user, test);
    if (dates.empty()) Fail(args.positional[0] + " has no test named \"" + args.positional[1] + "\"");
    SystemTime day = args.positional.size() == 3 ? ParseDate(args.positional[2]) : dates.back();
    std::string file = args.output.value_or("report.pdf");
    QGuiApplication app(argc, argv);
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
    bool found = false;
    for (const TestRecordEntry& r : ReadTestRecords(&user)) found = found || (r.test == test && r.result == result);
    if (!found) Fail(args.positional[0] + " has no " + args.positional[2] + " results in " + args.positional[1]);

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
    QGuiApplication app(argc, argv);
    std::string problem = WriteGraphFile(user, test, result, period, type, file);
    if (!problem.empty()) Fail(problem);
    std::printf("%s\n", file.c_str());
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
    // Everything but restore only reads the device, even while the program uses it.
    SetObjectStoreReadOnly(command != "restore");
    if (command == "list") {
        ExpectCount(args, 0, 0, "list");
        return List();
    }
    if (command == "csv") return Csv(args);
    if (command == "report") return Report(args, argc, argv);
    if (command == "graph") return Graph(args, argc, argv);
    if (command == "backup") return Backup(args);
    return Restore(args);
}

}  // namespace

int main(int argc, char** argv) {
    // The PDF and PNG files need fonts, never a display.
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    try {
        return Run(argc, argv);
    } catch (const Failure& failure) {
        std::fprintf(stderr, "vantrel-export: %s\n", failure.message.c_str());
        return 1;
    }
}
