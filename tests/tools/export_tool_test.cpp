// vantrel-export's commands run as a user would run them, against a device the test builds.

#include "store/catalog_store.h"

#include "tools/export_fixture.h"
#include "support/spoiled_record.h"
#include "support/stored_text.h"

#include <utility>
#include <vector>

namespace {

constexpr const char* kBom = "\xEF\xBB\xBF";

std::string PdfText(const std::filesystem::path& pdf) {
    const std::string text = pdf.string() + ".txt";
    return std::system(("pdftotext -layout '" + pdf.string() + "' '" + text + "'").c_str()) == 0 ? FileBytes(text) : "";
}

}  // namespace

TEST_F(ExportTool, ListsUsersInColumnsAlignedByDisplayWidth) {
    SetDeviceRoot(root_);
    ASSERT_TRUE(AddPatient(u"\u674E\u5C0F\u9F8D", u"Male", MakeDate(1990, 1, 1), u"30", u"Bar"));
    Store(u"\u674E\u5C0F\u9F8D", u"Ferritin", MakeDate(2024, 1, 2), u"", u"Ferritin", u"80", u"24-336", u"ng/mL");
    // Users with tests but no user record follow, in name order, not in the order stored.
    Store(u"Zoe", u"Iron", MakeDate(2024, 1, 2), u"", u"", u"", u"", u"");
    Store(u"amy", u"Iron", MakeDate(2024, 1, 2), u"", u"Ferritin", u"80", u"24-336", u"ng/mL");
    ToolRun run = Tool("list");
    ASSERT_EQ(run.status, 0) << run.err;
    // Two dates of one test are two tests; three results. The three Chinese
    // characters take six columns, as a terminal shows them.
    EXPECT_EQ(run.out,
              "User                    Tests  Results\n"
              "Ben, \"the\" Second           1        1\n"
              "Tavi Orlenska               2        3\n"
              "\u674E\u5C0F\u9F8D                      1        1\n"
              "amy (no user record)        1        1\n"
              "Zoe (no user record)        1        0\n");
}

TEST_F(ExportTool, AFullDiskOrAReadOnlyMediumIsNamedAndNeverCalledDamage) {
    const std::string isolated = MountNamespace();
    if (isolated.empty()) GTEST_SKIP() << "needs a mount namespace of its own";
    const std::string before = StoreBytes(), disk = Disk().string();
    auto expectRefused = [this](const ToolRun& run, const std::string& cause) {
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "vantrel-export: Vantrel cannot read the data file " + (root_ / "object-store.sqlite").string() +
                               ": " + cause + ".\n");
    };
    const std::string filled = isolated + " sh -c 'mount -t tmpfs -o size=1m tmpfs " + disk + " && mkdir " + disk +
                               "/device && cp " + (root_ / "object-store.sqlite").string() + " " + disk +
                               "/device && { cat /dev/zero >" + disk + "/fill 2>/dev/null; exec \"$0\" \"$@\"; }'";
    const std::filesystem::path root = root_;
    root_ = Disk() / "device";
    expectRefused(Tool("list", filled), "the disk is full");
    root_ = root;

    const std::string readOnly = isolated + " sh -c 'mount --bind " + root_.string() + " " + root_.string() +
                                 " && mount -o remount,ro,bind " + root_.string() + " && exec \"$0\" \"$@\"'";
    for (const char* command : {"list", "backup saved.vantrel"})
        expectRefused(Tool(command, readOnly), "it is on a read-only medium");
    EXPECT_EQ(StoreBytes(), before);
}

// Restore judges a file by what it holds: any page size is sound, junk is
// not. A schema carrying SQL of its own is refused by the same check the
// program's start runs (the damaged-device tests); a holder of the device is
// named by the untrusted-store tests.
TEST_F(ExportTool, RestoreTakesAnySoundStoreButNoJunk) {
    ASSERT_EQ(Tool("backup saved.vantrel").status, 0);
    const std::string before = StoreBytes(), original = Tool("csv").out;
    const std::filesystem::path saved = folder_ / "saved.vantrel";
    std::ofstream(folder_ / "junk.vantrel") << "SQLite format 3 but not really";
    ExpectRefused("restore junk.vantrel", "damaged");
    EXPECT_EQ(StoreBytes(), before);

    RunSql(saved, "PRAGMA page_size=1024; VACUUM");
    ToolRun small = Tool("restore saved.vantrel");
    ASSERT_EQ(small.status, 0) << small.err;
    EXPECT_EQ(Tool("csv").out, original);
}

// A record whose bytes cannot be decoded fails every command that reads it
// (list counts from an index and reads none), naming it; csv still writes the
// rows it could read, and nothing is changed.
TEST_F(ExportTool, ARecordThatCannotBeReadIsNamedAndFailsTheCommand) {
    const std::filesystem::path store = root_ / "object-store.sqlite";
    const SpoiledRecord spoiled = SpoilRecord(
        store, kTestRecordsDatabase, [](auto& p) { return Holds(p, kPropResultName, u"HDL cholesterol"); }, CutShort);
    const std::string before = StoreBytes();
    const std::string named = "record " + std::to_string(spoiled.id) + " of \"Tavi Orlenska\" in \"Health Profiles List\"";
    for (const char* command : {"csv", "csv \"Tavi Orlenska\""}) {
        SCOPED_TRACE(command);
        ToolRun run = Tool(command);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(named), std::string::npos) << run.err;
        EXPECT_EQ(StoreBytes(), before);
        EXPECT_NE(run.out.find("LDL cholesterol,130"), std::string::npos) << run.out;
        EXPECT_EQ(run.out.find("HDL"), std::string::npos) << run.out;
    }
    // Nor can such a file replace a device's data.
    std::filesystem::copy_file(store, folder_ / "spoiled.vantrel");
    std::filesystem::remove_all(root_);
    ToolRun restore = Tool("restore spoiled.vantrel");
    EXPECT_EQ(restore.status, 1);
    EXPECT_NE(restore.err.find("spoiled.vantrel"), std::string::npos) << restore.err;
    EXPECT_NE(restore.err.find(named), std::string::npos) << restore.err;
    EXPECT_FALSE(std::filesystem::exists(store));
}

TEST_F(ImportTool, ReadsSpreadsheetFilesIntoAFreshDeviceAsTheFirstRunWould) {
    UseEmptyDevice("fresh");
    // A BOM, semicolons, CRLF, and a quoted comment holding the separator, quotes and a line break.
    Write("semicolons.csv",
          "\xEF\xBB\xBFUser;Test;Date;Result;Value;Goal;Unit;Comment\r\n"
          "Ann;Lipid Panel;2024-03-01;LDL cholesterol;130;0-99;mg/dL;\"after a run; \"\"tired\"\"\r\nsecond\"\r\n"
          "Ann;Thyroid;3/2/2024;TSH;2,5;0.4-4;mIU/L;\r\n");
    ToolRun first = Tool("import semicolons.csv");
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.err, "");
    EXPECT_NE(first.out.find("Ann: 2 added, 0 updated, 0 unchanged (a new user"), std::string::npos) << first.out;
    EXPECT_NE(first.out.find("Ann is now the current user."), std::string::npos) << first.out;
    EXPECT_NE(Csv().find(",\"after a run; \"\"tired\"\" second\"\r\n"), std::string::npos) << Csv();

    // Commas, LF line ends, a quoted comma; the row already stored is updated.
    Write("commas.csv",
          "user,test,date,result,value,goal,unit,comment\n"
          "Ann,Lipid Panel,2024-03-01,LDL cholesterol,120,0-99,mg/dL,\"rested, fasting\"\n"
          "Ann,Lipid Panel,2024-03-01,,,,,\n");
    ToolRun second = Tool("import commas.csv");
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_NE(second.out.find("Ann: 1 added, 1 updated, 0 unchanged\n"), std::string::npos) << second.out;
    // In store order: the update stays in its place; a row without a result adds none to a day that has some.
    EXPECT_EQ(Csv(),
              std::string(kBom) + "user,test,date,result,value,goal,unit,comment\r\n"
              "Ann,Lipid Panel,2024-03-01,LDL cholesterol,120,0-99,mg/dL,\"rested, fasting\"\r\n"
              "Ann,Thyroid,2024-03-02,TSH,\"2,5\",0.4-4,mIU/L,\r\n");

    // The first run's work is done: catalogue, user, current user (new names are taught
    // by the store operation the import calls, as TestChangesTest checks).
    SetDeviceRoot(root_);
    EXPECT_EQ(StoredSetting(kCurrentUserKey), u"Ann");
    EXPECT_EQ(StoredSex(u"Ann"), u"");
    EXPECT_EQ(StoredGraphType(u"Ann"), kDefaultGraphType);
    EXPECT_NE(StoredEntry(u"Lipid Panel", u"other name"), u"<missing>");
}

TEST_F(ImportTool, ABadRowStoresNothingAndNamesItsLine) {
    const std::string header = "user,test,date,result,value,goal,unit,comment\r\n";
    const std::string good = "Ann,Lipid Panel,2024-03-01,LDL cholesterol,130,0-99,mg/dL,\r\n";
    const std::string multiLine = "Ann,Lipid Panel,2024-03-02,LDL cholesterol,130,0-99,mg/dL,\"two\r\nlines\"\r\n";
    const std::string before = StoreBytes();
    for (const auto& [bad, message] : std::vector<std::pair<std::string, std::string>>{
             {"Ann,Lipid Panel,2024-02-30,LDL cholesterol,1,0-99,mg/dL,\r\n",
              "line 4: \"2024-02-30\" is not a date (use YYYY-MM-DD or M/D/YYYY)"},
             {",Lipid Panel,2024-03-01,,,,,\r\n", "line 4: the user is empty"},
             {"Ann,,2024-03-01,,,,,\r\n", "line 4: the test is empty"},
             {"Ann,Lipid Panel,2024-03-01,LDL cholesterol,130\r\n", "line 4: 5 fields where the header names 8"},
             {"Ann,Lipid Panel,2024-03-01,LDL,130,0-99,mg/dL," + std::string(1024, 'x') + "\r\n",
              "line 4: the comment is longer than 1023 characters"},
             {"Ann,Lipid Panel,2024-03-01,LDL,\xff\xfe,0-99,mg/dL,\r\n", "line 4: the value is not UTF-8 text"},
             {"Ann,Lipid Panel,2024-03-01,LDL,130,,mg/dL,\r\n", "line 4: the result LDL has no goal"},
         }) {
        Write("bad.csv", header + multiLine + bad + good);
        ToolRun run = Tool("import bad.csv");
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "vantrel-export: " + message + "\n");
    }
    EXPECT_EQ(StoreBytes(), before);
    std::string exact(1023, 'x');
    Write("longest.csv", header + "Ann,Lipid Panel,2024-03-01,LDL,130,0-99,mg/dL," + exact + "\r\n");
    EXPECT_EQ(Tool("import longest.csv").status, 0);
}

TEST_F(ImportTool, CsvThenImportIntoAnEmptyDeviceThenCsvGivesTheSameFile) {
    // Texts a spreadsheet would run as formulas, and ones that only look guarded
    // (how each is written is the CSV fields' test).
    Store(u"=Eve", u"@Lipids", MakeDate(2024, 2, 2), u"'=HYPERLINK(\"http://x\")", u"+LDL", u"-5", u"-1+2",
          u"\tmg/dL");
    Store(u"=Eve", u"@Lipids", MakeDate(2024, 2, 2), u"'=HYPERLINK(\"http://x\")", u"'tis", u"-0.5", u"''@x",
          u"'-5");
    ASSERT_EQ(Tool("csv -o device.csv").status, 0);
    std::string original = FileBytes(folder_ / "device.csv");
    UseEmptyDevice("copy");
    ToolRun run = Tool("import device.csv");
    ASSERT_EQ(run.status, 0) << run.err;
    // The one comment stored with a line break comes back as one line, as the windows store it.
    original.replace(original.find("\nsecond line"), 1, " ");
    original.replace(original.find("\nsecond line"), 1, " ");
    EXPECT_EQ(Csv(), original);
}

// What a file would change is told apart from what it holds as stored; a file
// imported again stores nothing. A row whose value or goal is no number in the
// desktop's language is named by its line. An import refused while the device
// is held is UntrustedStoreTest.ARefusalNamesWhatHoldsTheDevice.
TEST_F(ImportTool, DryRunTellsWhatWouldChangeAndAnUnchangedFileStoresNothing) {
    Write("more.csv",
          "user,test,date,result,value,goal,unit,comment\r\n"
          "Tavi Orlenska,Lipid Panel,2024-01-05,LDL cholesterol,140,0-99,mg/dL,\r\n"
          "Tavi Orlenska,Lipid Panel,2024-06-05,LDL cholesterol,110,0-99,mg/dL,\r\n"
          "Tavi Orlenska,Lipid Panel,2024-06-05,LDL cholesterol,110,0-99,mg/dL,\r\n"
          "Tavi Orlenska,Lipid Panel,2024-06-05,HDL cholesterol,\"52,5\",50-100,mg/dL,\r\n"
          "Cleo,Ferritin,2024-06-05,Ferritin,40,24-336,ng/mL,\r\n");
    const std::string cleo = "Cleo: 1 to add, 0 to update, 0 unchanged (a new user: choose their sex and birthdate in Vantrel)\n";
    const std::string notANumber =
        "1 row holds a value or goal that is not a number (line 5): kept as text, compared with no goal and left "
        "out of graphs.\n";
    const std::string before = StoreBytes();
    EXPECT_EQ(Tool("import more.csv --dry-run").out, "Tavi Orlenska: 2 to add, 1 to update, 1 unchanged\n" + cleo +
                                                         notANumber + "Dry run: nothing was stored.\n");
    EXPECT_EQ(StoreBytes(), before);
    EXPECT_EQ(Tool("import more.csv").status, 0);

    language_ = "de_DE.UTF-8";  // where 52,5 is a number
    const std::string imported = StoreBytes();
    EXPECT_EQ(Tool("import more.csv --dry-run").out,
              "Tavi Orlenska: 0 to add, 0 to update, 4 unchanged\nCleo: 0 to add, 0 to update, 1 unchanged\n"
              "Dry run: nothing was stored.\n");
    EXPECT_EQ(Tool("import more.csv").out,
              "Tavi Orlenska: 0 added, 0 updated, 4 unchanged\nCleo: 0 added, 0 updated, 1 unchanged\n");
    EXPECT_EQ(StoreBytes(), imported);

    UseEmptyDevice("never-run");
    ToolRun fresh = Tool("import more.csv --dry-run");
    ASSERT_EQ(fresh.status, 0) << fresh.err;
    EXPECT_NE(fresh.out.find("Tavi Orlenska would become the current user."), std::string::npos) << fresh.out;
    EXPECT_FALSE(std::filesystem::exists(root_ / "object-store.sqlite"));
}

// The rows of a day are stored together, wherever they stand in the file; a
// result given twice is stored as last given, and each row is judged against
// the day as the store held it before the file, so that the dry run and the
// import tell the same.
TEST_F(ImportTool, RowsOfOneDayAreJudgedAndStoredTogetherWhereverTheyStand) {
    Write("empty.csv", "user,test,date\r\nTavi Orlenska,Iron Studies,2024-06-05\r\n");
    ASSERT_EQ(Tool("import empty.csv").status, 0);
    const std::string header = "user,test,date,result,value,goal,unit,comment\r\n";
    const std::string tavi = "Tavi Orlenska,Lipid Panel,2024-03-01,";
    Write("days.csv", header + tavi + "LDL cholesterol,120,0-99,mg/dL (fasting),\r\n" +  // updated
                          tavi + "LDL cholesterol,125,0-99,mg/dL (fasting),\r\n" +       // updated again
                          "Tavi Orlenska,Iron Studies,2024-06-05,Ferritin,40,24-336,ng/mL,rested\r\n" +
                          "Tavi Orlenska,Iron Studies,2024-06-05,,,,,\r\n" +  // the day as stored: unchanged
                          tavi + "LDL cholesterol,125,0-99,mg/dL (fasting),\r\n" +  // as the file left it
                          tavi + "Triglycerides,90,0-149,mg/dL,\r\n");
    EXPECT_EQ(Tool("import days.csv --dry-run").out,
              "Tavi Orlenska: 2 to add, 2 to update, 2 unchanged\nDry run: nothing was stored.\n");
    EXPECT_EQ(Tool("import days.csv").out, "Tavi Orlenska: 2 added, 2 updated, 2 unchanged\n");
    const std::string csv = Csv();
    const std::string comment = ",\"after a run, \"\"tired\"\"\nsecond line\"\r\n";
    for (const std::string row : {"LDL cholesterol,125,0-99,mg/dL (fasting)", "HDL cholesterol,55,50-100,mg/dL",
                                  "Triglycerides,90,0-149,mg/dL"})
        EXPECT_NE(csv.find(tavi + row + comment), std::string::npos) << row << "\n" << csv;
    EXPECT_NE(csv.find("Tavi Orlenska,Iron Studies,2024-06-05,Ferritin,40,24-336,ng/mL,rested\r\n"), std::string::npos)
        << csv;
    EXPECT_EQ(csv.find("Iron Studies,2024-06-05,,"), std::string::npos) << csv;
}

// A test spelt two ways is one test: the rows of the second spelling join the
// day the first stored, however the file turns between them.
TEST_F(ImportTool, ATestSpeltTwoWaysIsStoredOnceOnEachDay) {
    const std::string lipid = "Cleo,Lipid Panel,2024-06-0", other = "Cleo,lipid panel,2024-06-0";
    Write("spelt.csv", "user,test,date,result,value,goal,unit,comment\r\n" + lipid + "1,LDL,120,0-99,mg/dL,\r\n" +
                           other + "2,HDL,50,40-60,mg/dL,\r\n" + lipid + "2,HDL,55,40-60,mg/dL,\r\n" + lipid +
                           "2,,,,,\r\n");
    ASSERT_EQ(Tool("import spelt.csv").status, 0);
    const std::string csv = Csv();
    EXPECT_NE(csv.find(lipid + "2,HDL,55,40-60,mg/dL,\r\n"), std::string::npos) << csv;
    EXPECT_EQ(csv.find("HDL,50"), std::string::npos) << csv;
    EXPECT_EQ(csv.find(lipid + "2,,"), std::string::npos) << csv;
    EXPECT_EQ(csv.find("lipid panel"), std::string::npos) << csv;
}

// Results are stored in the order the file gives them, a stored day's new
// result after the new days before it, as Take Test would have stored them.
TEST_F(ImportTool, ResultsKeepTheOrderOfTheFile) {
    const std::string head = "user,test,date,result,value,goal,unit,comment\r\n", cleo = "Cleo,Iron Studies,2024-06-0";
    Write("first.csv", head + cleo + "1,Ferritin,40,24-336,ng/mL,\r\n");
    Write("second.csv", head + cleo + "3,Ferritin,50,24-336,ng/mL,\r\n" + cleo + "1,Iron,90,60-170,ug/dL,\r\n");
    ASSERT_EQ(Tool("import first.csv").status, 0);
    ASSERT_EQ(Tool("import second.csv").status, 0);
    const std::string csv = Csv();
    const std::size_t third = csv.find(cleo + "3,Ferritin"), iron = csv.find(cleo + "1,Iron");
    ASSERT_NE(iron, std::string::npos) << csv;
    EXPECT_LT(csv.find(cleo + "1,Ferritin"), third) << csv;
    EXPECT_LT(third, iron) << csv;
}

// Every result a test ever had, whether or not on its latest date, judged as
// the windows judge it in the desktop's language.
TEST_F(ExportTool, SummaryListsEveryResultWithItsLatestAndPreviousValues) {
    Store(u"Tavi Orlenska", u"Ferritin", MakeDate(2024, 2, 10), u"", u"Ferritin", u"20", u"24-336", u"ng/mL");
    // Stored out of date order: the previous result is the latest before the latest date.
    Store(u"Tavi Orlenska", u"Lipid Panel", MakeDate(2024, 2, 1), u"", u"LDL cholesterol", u"140", u"0-99", u"mg/dL");
    Store(u"Tavi Orlenska", u"Lipid Panel", MakeDate(2023, 12, 1), u"", u"LDL cholesterol", u"170", u"0-99", u"mg/dL");
    Store(u"Tavi Orlenska", u"Lipid Panel", MakeDate(2024, 2, 1), u"", u"Triglycerides", u"131,5", u"0-149", u"mg/dL");
    // A new laboratory's units: the previous value in the latest's unit, or marked.
    Store(u"Tavi Orlenska", u"Chemistry", MakeDate(2024, 1, 5), u"", u"Glucose", u"5.4", u"3.9-5.5", u"mmol/L");
    Store(u"Tavi Orlenska", u"Chemistry", MakeDate(2024, 1, 5), u"", u"Sodium", u"140", u"135-145", u"mEq/L");
    Store(u"Tavi Orlenska", u"Chemistry", MakeDate(2024, 2, 5), u"", u"Glucose", u"100", u"70-99", u"mg/dL");
    Store(u"Tavi Orlenska", u"Chemistry", MakeDate(2024, 2, 5), u"", u"Sodium", u"139", u"135-145", u"mmol/L");
    const auto summary = [this] {
        const ToolRun run = Tool("summary 'Tavi Orlenska' -f -o tavi.pdf");
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "");  // no warning from a run that succeeds
        return PdfText(folder_ / "tavi.pdf");
    };
    std::string text = summary();
    for (const char* expected :
         {"Tavi Orlenska", "Female | ", "Lipid Panel, latest 3/1/2024", "LDL cholesterol: 130 mg/dL (fasting) on 3/1/2024",
          "Goal: 0-99 mg/dL (above goal)", "Previous: 140 mg/dL on 2/1/2024", "HDL cholesterol: 55 mg/dL",
          "No earlier result", "Triglycerides: 131,5 mg/dL on 2/1/2024", "Goal: 0-149 mg/dL (no goal comparison)",
          "Ferritin, latest 2/10/2024", "Ferritin: 20 ng/mL", "(below goal)",
          "Previous: 97 mg/dL, entered as 5.4 mmol/L on 1/5/2024", "Previous: 140 mEq/L (in another unit) on 1/5/2024",
          "Page 1 of 1"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << " in\n" << text;
    language_ = "de_DE.UTF-8";
    text = summary();
    EXPECT_NE(text.find("Goal: 0-149 mg/dL (within goal)"), std::string::npos) << text;
}
