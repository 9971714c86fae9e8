// vantrel-export run as a user would run it, against a device the test builds.

#include "platform/device.h"
#include "platform/device_lock.h"
#include "platform/record_store.h"
#include "store/patient_store.h"
#include "store/settings_store.h"
#include "store/test_record_store.h"
#include "tools/export/csv_export.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct ToolRun {
    int status = -1;
    std::string out, err;
};

std::string Slurp(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class ExportTool : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "vantrel-export-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        root_ = folder_ / "device";
        SetDeviceRoot(root_);
        SetObjectStoreReadOnly(false);
        SystemTime birth = MakeDate(1980, 6, 1);
        ASSERT_TRUE(AddPatient(u"Tavi Orlenska", u"Female", birth, u"30", u"Line"));
        ASSERT_TRUE(AddPatient(u"Ben, \"the\" Second", u"Male", birth, u"0", u"Bar"));
        ASSERT_TRUE(CreateSettings(u"Tavi Orlenska"));
        Store(u"Tavi Orlenska", u"Lipid Panel", MakeDate(2024, 3, 1), u"after a run, \"tired\"\nsecond line",
              u"LDL cholesterol", u"130", u"0-99", u"mg/dL (fasting)");
        Store(u"Tavi Orlenska", u"Lipid Panel", MakeDate(2024, 3, 1), u"after a run, \"tired\"\nsecond line",
              u"HDL cholesterol", u"55", u"50-100", u"mg/dL");
        Store(u"Tavi Orlenska", u"Lipid Panel", MakeDate(2024, 1, 5), u"", u"LDL cholesterol", u"150", u"0-99",
              u"mg/dL");
        Store(u"Ben, \"the\" Second", u"Ferritin", MakeDate(2023, 12, 24), u"", u"Ferritin", u"80", u"24-336",
              u"ng/mL");
        SetDeviceRoot(folder_ / "elsewhere");  // the tool is the only user of the device now
    }

    void TearDown() override {
        SetDeviceRoot(root_);
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    static void Store(std::u16string_view user, std::u16string_view test, const SystemTime& date,
                      std::u16string_view comment, std::u16string_view result, std::u16string_view value,
                      std::u16string_view goal, std::u16string_view unit) {
        ASSERT_TRUE(AddResult(user, test, comment, date, result, value, goal, unit));
    }

    ToolRun Tool(const std::string& arguments) const {
        std::filesystem::path out = folder_ / "out.txt", err = folder_ / "err.txt";
        std::string command = "cd '" + folder_.string() + "' && '" VANTREL_EXPORT "' --root '" + root_.string() +
                              "' " + arguments + " >'" + out.string() + "' 2>'" + err.string() + "'";
        ToolRun run;
        int status = std::system(command.c_str());
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.out = Slurp(out);
        run.err = Slurp(err);
        return run;
    }

    std::string StoreBytes() const { return Slurp(root_ / "object-store.sqlite"); }

    std::filesystem::path folder_, root_;
};

}  // namespace

TEST(CsvFormat, QuotesOnlyWhatNeedsQuoting) {
    EXPECT_EQ(CsvField(u"plain"), "plain");
    EXPECT_EQ(CsvField(u"a, b"), "\"a, b\"");
    EXPECT_EQ(CsvField(u"say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(CsvField(u"two\nlines"), "\"two\nlines\"");
    EXPECT_EQ(CsvField(u"cr\rhere"), "\"cr\rhere\"");
    EXPECT_EQ(CsvField(u"Fe\u00DF"), "Fe\xC3\x9F");  // UTF-8
    EXPECT_EQ(IsoDate(MakeDate(2004, 1, 5)), "2004-01-05");
}

TEST_F(ExportTool, ListsUsersWithTheirTestsAndResults) {
    ToolRun run = Tool("list");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Tavi Orlenska"), std::string::npos);
    // Two dates of one test are two tests; three results.
    EXPECT_NE(run.out.find("Tavi Orlenska                         2        3"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Ben, \"the\" Second                     1        1"), std::string::npos) << run.out;
}

TEST_F(ExportTool, CsvQuotesCommasQuotesAndLineBreaks) {
    ToolRun run = Tool("csv 'Tavi Orlenska'");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "user,test,date,result,value,goal,unit,comment\r\n"
              "Tavi Orlenska,Lipid Panel,2024-01-05,LDL cholesterol,150,0-99,mg/dL,\r\n"
              "Tavi Orlenska,Lipid Panel,2024-03-01,LDL cholesterol,130,0-99,mg/dL (fasting),"
              "\"after a run, \"\"tired\"\"\nsecond line\"\r\n"
              "Tavi Orlenska,Lipid Panel,2024-03-01,HDL cholesterol,55,50-100,mg/dL,"
              "\"after a run, \"\"tired\"\"\nsecond line\"\r\n");

    ToolRun all = Tool("csv -o all.csv");
    ASSERT_EQ(all.status, 0) << all.err;
    std::string csv = Slurp(folder_ / "all.csv");
    EXPECT_NE(csv.find("\"Ben, \"\"the\"\" Second\",Ferritin,2023-12-24,Ferritin,80,24-336,ng/mL,\r\n"),
              std::string::npos)
        << csv;
}

TEST_F(ExportTool, BadInputGetsOneClearLineAndAFailure) {
    for (const std::string& args : {std::string("csv Nobody"), std::string("frobnicate"),
                                    std::string("report 'Tavi Orlenska' 'No Such Test'"),
                                    std::string("report 'Tavi Orlenska' 'Lipid Panel' 13/45/2024"),
                                    std::string("graph 'Tavi Orlenska' 'Lipid Panel' 'LDL cholesterol' soon"),
                                    std::string("backup")}) {
        ToolRun run = Tool(args);
        EXPECT_EQ(run.status, 1) << args;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << args << ": " << run.err;
        EXPECT_EQ(run.err.rfind("vantrel-export: ", 0), 0u) << run.err;
    }
    ToolRun missing = Tool("--root /nonexistent/vantrel list");
    EXPECT_NE(missing.status, 0);

    std::filesystem::resize_file(root_ / "object-store.sqlite", 0);
    std::ofstream(root_ / "object-store.sqlite") << "this is not a data file";
    ToolRun damaged = Tool("list");
    EXPECT_EQ(damaged.status, 1);
    EXPECT_NE(damaged.err.find("damaged"), std::string::npos) << damaged.err;
}

TEST_F(ExportTool, EveryCommandHasHelp) {
    for (const char* command : {"list", "csv", "report", "graph", "backup", "restore"}) {
        ToolRun run = Tool(std::string(command) + " --help");
        EXPECT_EQ(run.status, 0) << command;
        EXPECT_EQ(run.out.rfind("Usage: vantrel-export ", 0), 0u) << command;
    }
}

TEST_F(ExportTool, ReportAndGraphFilesAreMadeWithoutWritingTheStore) {
    const std::string before = StoreBytes();
    ToolRun report = Tool("report 'Tavi Orlenska' 'Lipid Panel' 2024-03-01 -o lipids.pdf");
    ASSERT_EQ(report.status, 0) << report.err;
    EXPECT_EQ(Slurp(folder_ / "lipids.pdf").rfind("%PDF", 0), 0u);

    ToolRun latest = Tool("report 'Tavi Orlenska' 'Lipid Panel'");
    ASSERT_EQ(latest.status, 0) << latest.err;
    EXPECT_TRUE(std::filesystem::exists(folder_ / "report.pdf"));

    ToolRun png = Tool("graph 'Tavi Orlenska' 'Lipid Panel' 'LDL cholesterol' all -o ldl.png");
    ASSERT_EQ(png.status, 0) << png.err;
    EXPECT_EQ(Slurp(folder_ / "ldl.png").substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    ToolRun pdf = Tool("graph 'Tavi Orlenska' 'Lipid Panel' 'LDL cholesterol' 365 --type bar -o ldl.pdf");
    ASSERT_EQ(pdf.status, 0) << pdf.err;
    EXPECT_EQ(Slurp(folder_ / "ldl.pdf").rfind("%PDF", 0), 0u);

    ASSERT_EQ(Tool("list").status, 0);
    ASSERT_EQ(Tool("csv").status, 0);
    EXPECT_EQ(StoreBytes(), before);
}

TEST_F(ExportTool, BackupChangeRestoreGivesBackTheData) {
    const std::string original = Tool("csv").out;
    ToolRun backup = Tool("backup saved.vantrel");
    ASSERT_EQ(backup.status, 0) << backup.err;
    struct stat info {};
    ASSERT_EQ(::stat((folder_ / "saved.vantrel").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_TRUE(ObjectStoreFileProblem(folder_ / "saved.vantrel").empty());
    EXPECT_EQ(Tool("backup saved.vantrel").status, 1);  // never overwrites

    SetDeviceRoot(root_);
    Store(u"Tavi Orlenska", u"Ferritin", MakeDate(2024, 3, 10), u"", u"Ferritin", u"20", u"24-336", u"ng/mL");
    SetDeviceRoot(folder_ / "elsewhere");
    const std::string changed = Tool("csv").out;
    ASSERT_NE(changed, original);

    ToolRun restore = Tool("restore saved.vantrel");
    ASSERT_EQ(restore.status, 0) << restore.err;
    EXPECT_EQ(Tool("csv").out, original);

    // The data it replaced is kept beside, whole.
    std::filesystem::path kept;
    for (const auto& entry : std::filesystem::directory_iterator(root_))
        if (entry.path().filename().string().rfind("object-store.before-restore-", 0) == 0) kept = entry.path();
    ASSERT_FALSE(kept.empty());
    EXPECT_TRUE(ObjectStoreFileProblem(kept).empty());
}

TEST_F(ExportTool, RestoreRefusesADamagedFileAndARunningProgram) {
    const std::string before = StoreBytes();
    std::ofstream(folder_ / "junk.vantrel") << "SQLite format 3 but not really";
    ToolRun junk = Tool("restore junk.vantrel");
    EXPECT_EQ(junk.status, 1);
    EXPECT_NE(junk.err.find("damaged"), std::string::npos) << junk.err;
    EXPECT_EQ(StoreBytes(), before);

    ASSERT_EQ(Tool("backup saved.vantrel").status, 0);
    DeviceLock program;
    ASSERT_EQ(program.Acquire(root_), DeviceLock::Outcome::Held);
    ToolRun running = Tool("restore saved.vantrel");
    EXPECT_EQ(running.status, 1);
    EXPECT_NE(running.err.find("running"), std::string::npos) << running.err;
    EXPECT_EQ(StoreBytes(), before);
}
