#include "tools/export/command_line.h"

#include "tools/export/failure.h"

#include <getopt.h>

#include <map>
#include <set>

namespace {

const char* const kUsage =
    "Usage: vantrel-export [OPTIONS] COMMAND [ARGUMENTS]\n"
    "Lists, exports, prints, imports and backs up the records of a Vantrel device.\n"
    "\n"
    "Commands:\n"
    "  list                                  the users, with their numbers of tests and results\n"
    "  csv [USER] [-o FILE.csv]              every result of USER, or of all users, as CSV\n"
    "  report USER TEST [DATE] [-o FILE.pdf] the test report of one date as a PDF file\n"
    "  graph USER TEST RESULT [DAYS|all] [--type bar|line] [-o FILE.png|FILE.pdf]\n"
    "                                        the results graph as a PNG image or a PDF file\n"
    "  summary USER [-o FILE.pdf]            a PDF summary of USER's latest results for a doctor\n"
    "  import FILE.csv [--dry-run]           store the results of a CSV file like csv writes\n"
    "  backup FILE                           a consistent copy of the device's data\n"
    "  restore FILE                          replace the device's data with a backup\n"
    "\n"
    "Options may stand anywhere on the line; \"--\" ends them.\n"
    "  --root DIR          the device folder (default: $VANTREL_DEVICE_ROOT, else\n"
    "                      ~/.local/share/vantrel)\n"
    "  -o, --output FILE   where the output goes; \"-\" is standard output\n"
    "  -f, --force         replace an existing output file\n"
    "  -h, --help          this help; with a command, that command's\n"
    "      --version       the version\n"
    "\n"
    "Output files: an existing file is never replaced unless --force is given\n"
    "(devices and pipes such as /dev/null are written without it), and a new\n"
    "file appears only once it is complete. The file name's extension chooses\n"
    "the format; standard output, a device or a pipe gets the command's first.\n"
    "\n"
    "Exit status: 0 on success, 1 on failure, 2 for a wrong command line.\n";

const std::map<std::string, const char*> kHelp = {
    {"list", "Usage: vantrel-export list\n"
             "Lists every user with the number of tests (a test on one date counts once) and of\n"
             "results, in columns aligned for any script (wide characters count two columns).\n"},
    {"csv", "Usage: vantrel-export csv [USER] [-o FILE.csv] [--force]\n"
            "Writes every result of USER (or of every user) as CSV (RFC 4180, UTF-8 with a byte-order\n"
            "mark) to FILE or to standard output: user,test,date,result,value,goal,unit,comment, dates\n"
            "as YYYY-MM-DD. Rows come in the order the device keeps them: by user, each user's results\n"
            "as stored. A test stored without results gives one row with empty result fields.\n"
            "A field a spreadsheet would take for a formula (one starting with =, +, -, @, a tab or a\n"
            "carriage return that is not simply a signed number) is written after an apostrophe, so it\n"
            "shows as text; import drops that apostrophe again. On a terminal, control characters in\n"
            "the fields are shown escaped.\n"},
    {"report", "Usage: vantrel-export report USER TEST [DATE] [-o FILE.pdf] [--force]\n"
               "Writes the report of USER's TEST on DATE (YYYY-MM-DD or M/D/YYYY; default: the latest\n"
               "date of that test) as a PDF file, with the same lines and icons as the Test Report\n"
               "screen. FILE defaults to report.pdf.\n"},
    {"graph", "Usage: vantrel-export graph USER TEST RESULT [DAYS|all] [--type bar|line]\n"
              "                            [-o FILE.png|FILE.pdf] [--force]\n"
              "Draws the Results Graph of one result over the last DAYS days ('all' for every date;\n"
              "default: the user's graph preferences) as a PNG image or, for a name ending in .pdf,\n"
              "a PDF file. FILE defaults to graph.png; standard output gets a PNG image.\n"},
    {"summary", "Usage: vantrel-export summary USER [-o FILE.pdf] [--force]\n"
                "Writes a summary of USER for a doctor as a PDF file: name, sex and age, then for every test\n"
                "the results of its latest date with their goals and units, whether each is below, within or\n"
                "above its goal, the result before it, and its trend over the last year. FILE defaults to\n"
                "summary.pdf.\n"},
    {"import", "Usage: vantrel-export import FILE.csv [--dry-run]\n"
               "Stores every result of FILE (\"-\": standard input), a CSV file such as csv writes: a\n"
               "header naming the columns user,test,date (YYYY-MM-DD or M/D/YYYY),result,value,goal,unit,\n"
               "comment, in UTF-8 (with or without a byte-order mark), separated by commas or, when the\n"
               "header uses them, semicolons. A result already stored for that user, test, date and name\n"
               "is updated; users, tests and result names the device lacks are added. The whole file is\n"
               "stored, or on any bad row nothing, and the row's line is named. A file larger than\n"
               "256 MB or a field longer than 1023 characters is refused at once. --dry-run only tells\n"
               "what would be added and updated. Close Vantrel first.\n"},
    {"backup", "Usage: vantrel-export backup FILE [--force]\n"
               "Copies the device's data into FILE (\"-\": standard output), consistently even while\n"
               "Vantrel runs. The copy is readable by its owner only.\n"},
    {"restore", "Usage: vantrel-export restore FILE\n"
                "Checks that FILE is a sound Vantrel data file, keeps a copy of the device's current data\n"
                "beside it in the device folder, then replaces the data with FILE. Close Vantrel first.\n"},
};

// The options each command takes beyond --root and --help.
const std::map<std::string, std::set<std::string>> kOptions = {
    {"list", {}},
    {"csv", {"--output", "--force"}},
    {"report", {"--output", "--force"}},
    {"graph", {"--output", "--force", "--type"}},
    {"summary", {"--output", "--force"}},
    {"import", {"--dry-run"}},
    {"backup", {"--force"}},
    {"restore", {}},
};

const option kLongOptions[] = {
    {"root", required_argument, nullptr, 'R'},  {"output", required_argument, nullptr, 'o'},
    {"force", no_argument, nullptr, 'f'},       {"type", required_argument, nullptr, 'T'},
    {"dry-run", no_argument, nullptr, 'D'},     {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},     {nullptr, 0, nullptr, 0},
};

std::string LongName(int code) {
    for (const option& o : kLongOptions)
        if (o.val == code) return std::string("--") + o.name;
    return {};
}

}  // namespace

CommandLine ReadCommandLine(int argc, char** argv) {
    CommandLine line;
    std::vector<std::string> given;
    opterr = 0;  // the messages are ours
    optind = 1;
    for (int code; (code = getopt_long(argc, argv, ":o:fh", kLongOptions, nullptr)) != -1;) {
        const std::string word = argv[optind - 1];
        switch (code) {
        case 'R': line.root = optarg; break;
        case 'o': line.output = optarg; break;
        case 'T': line.type = optarg; break;
        case 'f': line.force = true; break;
        case 'D': line.dryRun = true; break;
        case 'h': line.help = true; break;
        case 'V': line.version = true; break;
        case ':': Misused(word + " needs a value");
        default:
            Misused("unknown option " + (optopt != 0 && word.rfind("--", 0) != 0 ? std::string("-") + char(optopt) : word));
        }
        if (code != 'R' && code != 'h' && code != 'V') given.push_back(LongName(code));
    }
    std::vector<std::string> operands(argv + optind, argv + argc);
    if (operands.empty()) return line;
    line.command = operands.front();
    line.operands.assign(operands.begin() + 1, operands.end());
    const auto options = kOptions.find(line.command);
    if (options == kOptions.end()) Misused("unknown command " + line.command);
    for (const std::string& option : given)
        if (!options->second.contains(option)) Misused(line.command + " takes no " + option + " option");
    return line;
}

const char* HelpText(const std::string& command) {
    const auto help = kHelp.find(command);
    return help == kHelp.end() ? kUsage : help->second;
}

void ExpectOperands(const CommandLine& line, std::size_t least, std::size_t most) {
    if (line.operands.size() < least || line.operands.size() > most)
        Misused("wrong number of arguments for " + line.command);
}
