// The command-line conventions of vantrel-export and vantrel, through the
// built programs: exit statuses, options anywhere, standard output for every
// output, one overwrite rule, write errors, and text safe for a terminal.

#include "tools/export_fixture.h"

#include <sys/resource.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

const std::string kPng("\x89PNG\r\n\x1a\n", 8);

// Each output command with an output name, and what its file starts with.
const std::vector<std::tuple<std::string, std::string, std::string>> kOutputs = {
    {"csv 'Tavi Orlenska' -o", "tavi.csv", "\xEF\xBB\xBFuser,test,date"},
    {"report 'Tavi Orlenska' 'Lipid Panel' -o", "lipids.pdf", "%PDF"},
    {"graph 'Tavi Orlenska' 'Lipid Panel' 'LDL cholesterol' all -o", "ldl.png", kPng},
    {"graph 'Tavi Orlenska' 'Lipid Panel' 'LDL cholesterol' --type line -o", "ldl.pdf", "%PDF"},
    {"summary 'Tavi Orlenska' -o", "summary.pdf", "%PDF"},
    {"backup", "saved.vantrel", "SQLite format 3"},
};

}  // namespace

TEST_F(ExportTool, ExitStatusTellsAFailureFromAWrongCommandLine) {
    for (const auto& [args, status, says] : std::vector<std::tuple<std::string, int, std::string>>{
             {"frobnicate", 2, "unknown command frobnicate"},
             {"list --bogus", 2, "unknown option --bogus"},
             {"list -x", 2, "unknown option -x"},
             {"list --dry-run", 2, "list takes no --dry-run option"},
             {"csv -o", 2, "-o needs a value"},
             {"backup", 2, "wrong number of arguments for backup"},
             {"report 'Tavi Orlenska' 'Lipid Panel' 13/45/2024", 2, "not a date: 13/45/2024"},
             {"graph 'Tavi Orlenska' 'Lipid Panel' 'LDL cholesterol' soon", 2, "DAYS must be"},
             {"graph 'Tavi Orlenska' 'Lipid Panel' 'LDL cholesterol' --type pie", 2, "--type must be bar or line"},
             // The format is the one the name asks for, never another without a word.
             {"report 'Tavi Orlenska' 'Lipid Panel' -o r.txt", 2, "report writes .pdf files, not r.txt"},
             {"graph 'Tavi Orlenska' 'Lipid Panel' 'LDL cholesterol' -o x.jpg", 2, ".png or .pdf files, not x.jpg"},
             {"csv -o all.pdf", 2, "csv writes .csv files, not all.pdf"},
             {"csv Nobody", 1, "no user named \"Nobody\""},
             {"report 'Tavi Orlenska' 'No Such Test'", 1, "has no test named \"No Such Test\""},
             {"--root /nonexistent/vantrel list", 1, "no Vantrel device at /nonexistent/vantrel"},
         }) {
        SCOPED_TRACE(args);
        const ToolRun run = Tool(args);
        EXPECT_EQ(run.status, status);
        EXPECT_EQ(run.out, "");
        EXPECT_TRUE(run.err.starts_with("vantrel-export: ")) << run.err;
        EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(folder_ / "r.txt"));
    const ToolRun bare = Tool("");
    EXPECT_EQ(bare.status, 2);
    EXPECT_TRUE(bare.err.starts_with("Usage: vantrel-export ")) << bare.err;
}

TEST_F(ExportTool, VersionAndHelpNeedNoDeviceAndNoDisplay) {
    root_ = folder_ / "never-made";
    EXPECT_EQ(Tool("--version").out, "vantrel-export " VANTREL_VERSION "\n");
    for (const char* command : {"", "list", "csv", "report", "graph", "summary", "import", "backup", "restore"}) {
        SCOPED_TRACE(command);
        for (const std::string& args : {std::string(command) + " --help", "--help " + std::string(command)}) {
            const ToolRun run = Tool(args);
            EXPECT_EQ(run.status, 0);
            EXPECT_TRUE(run.out.starts_with("Usage: vantrel-export ")) << run.out;
        }
    }
    EXPECT_NE(Tool("--help").out.find("never replaced unless --force"), std::string::npos);

    // The program answers before it looks for a display or a device.
    const std::string program = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM VANTREL_DEVICE_ROOT='" +
                                root_.string() + "' '" VANTREL_PROGRAM "' ";
    EXPECT_EQ(std::system((program + "--version >'" + (folder_ / "version").string() + "'").c_str()), 0);
    EXPECT_EQ(FileBytes(folder_ / "version"), "vantrel " VANTREL_VERSION "\n");
    EXPECT_EQ(std::system((program + "--help >'" + (folder_ / "help").string() + "'").c_str()), 0);
    EXPECT_TRUE(FileBytes(folder_ / "help").starts_with("Usage: vantrel ")) << FileBytes(folder_ / "help");
    EXPECT_NE(std::system((program + "--version >/dev/full").c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(root_));
}

TEST_F(ExportTool, OptionsStandAnywhereAndDoubleDashEndsThem) {
    Store(u"-Dash", u"Ferritin", MakeDate(2024, 1, 2), u"", u"Ferritin", u"80", u"24-336", u"ng/mL");
    const std::string tavi = Tool("csv 'Tavi Orlenska'").out;
    ASSERT_NE(tavi.find("Tavi Orlenska,Lipid Panel"), std::string::npos) << tavi;
    EXPECT_EQ(tavi.find("Ben"), std::string::npos) << tavi;
    EXPECT_EQ(Tool("-o - csv 'Tavi Orlenska'").out, tavi);
    EXPECT_EQ(Tool("csv --output=- 'Tavi Orlenska'").out, tavi);
    EXPECT_EQ(Tool("csv 'Tavi Orlenska' --root '" + root_.string() + "'").out, tavi);
    const ToolRun dash = Tool("csv -- -Dash");
    ASSERT_EQ(dash.status, 0) << dash.err;
    EXPECT_NE(dash.out.find("\r\n'-Dash,Ferritin,2024-01-02"), std::string::npos) << dash.out;
    EXPECT_EQ(Tool("csv -Dash").status, 2);
}

// Reading commands never write the store, and say nothing when they succeed.
TEST_F(ExportTool, EveryOutputGoesToStandardOutputAsTheExtensionOrTheCommandSays) {
    const std::string before = StoreBytes();
    for (const auto& [command, name, start] : kOutputs) {
        SCOPED_TRACE(command);
        const ToolRun run = Tool(command + " -");
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");
        const std::string expected = name.ends_with(".pdf") && command.starts_with("graph") ? kPng : start;
        EXPECT_TRUE(run.out.starts_with(expected)) << run.out.substr(0, 16);
    }
    EXPECT_FALSE(std::filesystem::exists(folder_ / "-"));
    // Without a name, the file is named after the command.
    EXPECT_EQ(Tool("report 'Tavi Orlenska' 'Lipid Panel'").out, "report.pdf\n");
    EXPECT_TRUE(FileBytes(folder_ / "report.pdf").starts_with("%PDF"));
    EXPECT_EQ(StoreBytes(), before);
}

TEST_F(ExportTool, AnExistingFileIsReplacedOnlyWithForce) {
    for (const auto& [command, name, start] : kOutputs) {
        SCOPED_TRACE(command);
        const std::filesystem::path file = folder_ / name;
        std::ofstream(file) << "kept";
        const ToolRun refused = Tool(command + " " + name);
        EXPECT_EQ(refused.status, 1);
        EXPECT_EQ(refused.err, "vantrel-export: " + name + " already exists; give --force to replace it\n");
        EXPECT_EQ(FileBytes(file), "kept");

        const mode_t mask = ::umask(0);  // others never get to write an output, nor read a backup
        const ToolRun forced = Tool(command + " " + name + " --force");
        ::umask(mask);
        EXPECT_EQ(forced.status, 0) << forced.err;
        EXPECT_EQ(forced.out, command.starts_with("csv") ? "" : name + "\n");
        EXPECT_TRUE(FileBytes(file).starts_with(start));
        EXPECT_EQ(Mode(file), command == "backup" ? 0600u : 0644u);
    }
    // A device is no file to replace.
    EXPECT_EQ(Tool("csv -o /dev/null").status, 0);
    // Nothing half made is left beside the outputs.
    for (const auto& entry : std::filesystem::directory_iterator(folder_))
        EXPECT_FALSE(entry.path().filename().string().starts_with(".vantrel-export")) << entry.path();
}

TEST_F(ExportTool, AWriteErrorFailsWithItsCause) {
    // The tool's standard output or its named output on a full device.
    const std::string full = "sh -c 'exec \"$0\" \"$@\" >/dev/full'";
    for (const auto& [args, medium] : std::vector<std::pair<std::string, std::string>>{
             {"list", full}, {"csv", full}, {"--version", full}, {"csv -o /dev/full", ""},
             {"report 'Tavi Orlenska' 'Lipid Panel' -o /dev/full", ""}, {"backup /dev/full", ""}}) {
        SCOPED_TRACE(args);
        const ToolRun run = Tool(args, medium);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("No space left on device"), std::string::npos) << run.err;
    }

    // A real full disk, in a mount namespace of the tool's own: the file it
    // would replace stays whole, and nothing is left half written.
    const std::string isolated = MountNamespace();
    if (isolated.empty()) GTEST_SKIP() << "needs a mount namespace of its own";
    const std::string d = Disk().string(), seen = (folder_ / "seen").string();
    const std::string filled = isolated + " sh -c 'mount -t tmpfs -o size=1m tmpfs " + d + " && echo kept >" + d +
                               "/old.pdf && { cat /dev/zero >" + d + "/fill 2>/dev/null; \"$0\" \"$@\"; s=$?; ls -A " +
                               d + " >" + seen + "; cat " + d + "/old.pdf >>" + seen + "; exit $s; }'";
    for (const std::string output : {"new.pdf", "old.pdf --force"}) {
        SCOPED_TRACE(output);
        const ToolRun run = Tool("summary 'Tavi Orlenska' -o " + d + "/" + output, filled);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "vantrel-export: cannot write " + d + "/" + output.substr(0, 7) +
                               ": No space left on device\n");
        EXPECT_EQ(FileBytes(seen), "fill\nold.pdf\nkept\n");
    }
}

TEST_F(ImportTool, StoredControlCodesAreShownEscaped) {
    const std::string evil = "\x1b]0;pwned\x07" "Eve\x1b[2J";
    Write("evil.csv", "user,test,date,result,value,goal,unit,comment\n" + evil +
                          ",Lipid Panel,2024-03-01,LDL cholesterol,130,0-99,mg/dL,\n" + evil +
                          ",Iron,2024-03-01,\xC2\x9B" "1mX\t,1,,u,\n");
    const std::string shown = "\\x1b]0;pwned\\x07Eve\\x1b[2J";
    const ToolRun bad = Tool("import evil.csv");
    EXPECT_EQ(bad.err, "vantrel-export: line 3: the result \\u009b1mX\\x09 has no goal\n");
    Write("evil.csv", "user,test,date,result,value,goal,unit,comment\n" + evil +
                          ",Lipid Panel,2024-03-01,LDL cholesterol,130,0-99,mg/dL,\n");
    const ToolRun stored = Tool("import evil.csv");
    ASSERT_EQ(stored.status, 0) << stored.err;
    EXPECT_TRUE(stored.out.starts_with(shown + ": 1 added")) << stored.out;
    const ToolRun listed = Tool("list");
    EXPECT_NE(listed.out.find(shown + " "), std::string::npos) << listed.out;
    for (const ToolRun& run : {bad, stored, listed})
        EXPECT_EQ((run.out + run.err).find_first_of("\x1b\x07\r"), std::string::npos);
    // The file itself keeps every byte, for the import to give them back.
    EXPECT_NE(Csv().find(evil + ",Lipid Panel"), std::string::npos);
}

TEST_F(ImportTool, AFileBeyondTheBoundsIsRefusedAtOnceWithFlatMemory) {
    const std::string before = StoreBytes();
    // Sparse: 300 MB that take no disk, refused before a byte is read.
    std::ofstream(folder_ / "huge.csv") << "user,test,date\n";
    std::filesystem::resize_file(folder_ / "huge.csv", 300u << 20);
    const ToolRun huge = Tool("import huge.csv");
    EXPECT_EQ(huge.status, 1);
    EXPECT_EQ(huge.err, "vantrel-export: huge.csv is larger than 256 MB, the most an import reads; nothing was stored\n");

    // One 150 MB field through a pipe: the reading stops at the bound, in far
    // less memory than the field would take.
    Write("head.csv", "user,test,date,result,value,goal,unit,comment\nAnn,Iron,2024-01-02,Iron,1,2,u,");
    const ToolRun field = Tool("import -", "{ cat head.csv; head -c 150000000 /dev/zero | tr '\\0' x; } |");
    EXPECT_EQ(field.status, 1);
    EXPECT_EQ(field.err, "vantrel-export: line 2: the comment is longer than 1023 characters\n");
    rusage children {};
    ASSERT_EQ(::getrusage(RUSAGE_CHILDREN, &children), 0);
    EXPECT_LT(children.ru_maxrss, 100 * 1024);  // kilobytes
    EXPECT_EQ(StoreBytes(), before);
}
