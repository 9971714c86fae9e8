#include "bench_steps.h"

#include "app/vantrel_dlg.h"
#include "entry/take_test_dlg.h"
#include "platform/device.h"
#include "platform/memory_listing.h"
#include "platform/object_store.h"
#include "platform/paint/qt_paint_surface.h"
#include "platform/record_store.h"
#include "platform/text.h"
#include "platform/ui/controls.h"
#include "res/resource.h"
#include "review/graph_data.h"
#include "review/graph_drawing.h"
#include "review/report_text.h"
#include "store/patient_store.h"
#include "store/test_info_import.h"
#include "store/test_changes.h"
#include "store/user_changes.h"
#include "support/dialog_driver.h"
#include "timing.h"

#include <QImage>
#include <sqlite3.h>
#include <malloc.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::u16string_view kTakenTest = u"Comprehensive Metabolic Panel";
constexpr int kScreenWidth = 240;
constexpr int kScreenHeight = 320;

class RowList : public ReportList {
public:
    void InsertRow(int row, std::u16string_view text, int) override {
        rows_.insert(rows_.begin() + std::min<std::size_t>(static_cast<std::size_t>(row), rows_.size()),
                     std::u16string(text));
    }
    int RowCount() const override { return static_cast<int>(rows_.size()); }
    void Clear() override { rows_.clear(); }

private:
    std::vector<std::u16string> rows_;
};

void Require(bool ok, const char* what) {
    if (!ok) throw std::runtime_error(what);
}

void CheckDriver(const DialogDriver& driver) {
    if (!driver.Failures().empty()) throw std::runtime_error(driver.Failures().front());
    Require(driver.Messages().empty(), "a dialog showed a message");
}

}  // namespace

double TimeImport(const fs::path& scratch) {
    static int run = 0;
    const fs::path root = scratch / ("import-" + std::to_string(++run));
    fs::create_directories(root);
    PlaceCatalogue(root);
    SetDeviceRoot(root);
    QImage image(kScreenWidth, kScreenHeight, QImage::Format_RGB32);
    Stopwatch watch;
    bool imported;
    {
        QtPaintSurface progress(image, 1.0, kScreenWidth, kScreenHeight);
        imported = ImportTestInfo(progress);
    }
    const double ms = watch.Stop();
    Require(imported, "the catalogue import failed");
    CloseObjectStore();
    fs::remove_all(root);
    return ms;
}

double TimeMainWindow(const HeavyDevice& device, Start start) {
    if (start != Start::Warm) SetDeviceRoot(device.root);
    // As in a new process, the records then load into memory the process never touched.
    if (start == Start::FreshMemory) ::malloc_trim(0);
    DialogDriver driver;
    double ms = 0;
    int tests = 0;
    Stopwatch watch;
    driver.Expect<CVantrelDlg>(IDD_VANTREL, [&](CVantrelDlg& d) {
        ms = watch.Stop();
        tests = CListCtrl(d, CVantrelDlg::kTestList).GetItemCount();
        d.EndDialog(IDOK);
    });
    watch.Start();
    {
        CVantrelDlg dlg;
        dlg.DoModal();
    }
    CheckDriver(driver);
    Require(tests > 1, "the main window listed no tests");
    return ms;
}

double TimeReport(const HeavyDevice& device) {
    RowList list;
    Stopwatch watch;
    FillTestReport(device.heavyUser, device.frequentTest, device.lastTaken, kPlainNumbers, list);
    const double ms = watch.Stop();
    Require(list.RowCount() > 1, "the report holds no result");
    return ms;
}

double TimeGraph(const HeavyDevice& device, int period) {
    QImage image(kScreenWidth, kScreenHeight, QImage::Format_RGB32);
    Stopwatch watch;
    int points = 0;
    {
        QtPaintSurface surface(image, 1.0, kScreenWidth, kScreenHeight);
        const GraphSeries series =
            CollectGraphSeries(device.heavyUser, device.frequentTest, device.frequentResult, period, kPlainNumbers);
        const GraphLayout layout = LayoutGraphPoints(series, period);
        DrawResultsGraph(surface, device.frequentResult, series, period, u"Bar");
        points = static_cast<int>(layout.points.size());
    }
    const double ms = watch.Stop();
    Require(points > 1, "the graph shows no points");
    return ms;
}

double TimeTakeTest(const HeavyDevice& device) {
    const SystemTime today = MakeDate(kBenchNow.year, kBenchNow.month, kBenchNow.day);
    DeleteTakenTest(device.heavyUser, kTakenTest, today);  // the previous run's, so each run adds 20 records
    const std::vector<ResultRow> rows = TwentyResultRows();
    DialogDriver driver;
    double ms = 0;
    driver.Expect<CTakeTestDlg>(IDD_TAKE_TEST, [&](CTakeTestDlg& d) {
        CListCtrl list(d, CTakeTestDlg::kResultList);
        // As Add leaves them: the row's text, and its fields beside it.
        for (const ResultRow& r : rows) {
            const int row = list.InsertItem(list.GetItemCount(), FormatResultRow(r.name, r.value, r.goal, r.unit));
            list.SetItemData(row, {r.name, r.value, r.goal, r.unit});
        }
        Stopwatch watch;
        d.SendCommand(CTakeTestDlg::kOkButton);
        ms = watch.Stop();
    });
    CTakeTestDlg dlg;
    dlg.userName = device.heavyUser;
    dlg.testName = std::u16string(kTakenTest);
    dlg.mode = CTakeTestDlg::kModeNew;
    Require(dlg.DoModal() == IDOK, "Take Test did not store the test");
    CheckDriver(driver);
    Require(ReadResult(device.heavyUser, kTakenTest, u"TSH", today).has_value(), "Take Test stored no results");
    return ms;
}

double TimeEditDate(const HeavyDevice& device, int results) {
    // A day no generated test falls on, of a test the catalogue offers.
    const SystemTime date = MakeDate(1990, 1, 1);
    const std::u16string test(kTakenTest);
    if (ReadTakenTest(device.heavyUser, test, date).results.size() != static_cast<std::size_t>(results)) {
        TakenTest taken{device.heavyUser, test, date, u"", {}};
        for (int i = 0; i < results; ++i)
            taken.results.push_back({u"Result " + Utf8ToText(std::to_string(i)), u"5", u"1-10", u"mg/dL"});
        Require(ReplaceTakenTest(test, date, taken, false) == TestSaved::Stored, "the results were not stored");
    }
    DialogDriver driver;
    int shown = 0;
    driver.Expect<CTakeTestDlg>(IDD_TAKE_TEST, [&](CTakeTestDlg& d) {
        shown = CListCtrl(d, CTakeTestDlg::kResultList).GetItemCount();
        d.SendCommand(CTakeTestDlg::kOkButton);
    });
    Stopwatch watch;
    CTakeTestDlg dlg;
    dlg.userName = device.heavyUser;
    dlg.testName = test;
    dlg.testDate = date;
    dlg.mode = CTakeTestDlg::kModeEdit;
    Require(dlg.DoModal() == IDOK, "Take Test did not store the test");
    const double ms = watch.Stop();
    CheckDriver(driver);
    Require(shown == results, "Take Test did not show every result");
    return ms;
}

double TimeDeleteUser(const HeavyDevice& device, const fs::path& pristine, double& closing) {
    SetDeviceRoot(device.root);
    const fs::path file = ObjectStorePath();
    for (const char* extra : {"-wal", "-shm"}) fs::remove(file.string() + extra);
    fs::copy_file(pristine, file, fs::copy_options::overwrite_existing);
    ::sync();  // so the timed writes' syncs do not also flush the copy
    // As Switch User finds it: the main window has read the user's tests.
    Require(!UserTests(device.heavyUser).empty(), "the user has no tests");
    MemoryListing users;
    ListPatients(users);
    Stopwatch watch;
    Require(DeleteUser(device.heavyUser), "the user was not deleted");
    const double ms = watch.Stop();
    Require(FindPatient(device.heavyUser) == -1, "the user was not deleted");
    Require(UserTests(device.heavyUser).empty(), "the user's tests were not deleted");
    watch.Start();
    CloseObjectStore();
    closing = watch.Stop();
    return ms;
}

double TimeRawRead(const HeavyDevice& device, bool heavyUserOnly) {
    const std::string file = (device.root / "object-store.sqlite").string();
    // The test records lie in one table per user; the heavy user's is one of them.
    static std::vector<std::string> tables;
    static std::string heavyTable, tablesOf;
    if (tablesOf != file) {
        tables.clear();
        sqlite3* db = nullptr;
        sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* runs = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT runs.id, runs.records FROM runs JOIN databases ON databases.id = runs.database"
                           " WHERE databases.name = 'Health Profiles List' ORDER BY fold",
                           -1, &runs, nullptr);
        while (runs && sqlite3_step(runs) == SQLITE_ROW) {
            tables.push_back("run_" + std::to_string(sqlite3_column_int64(runs, 0)));
            if (sqlite3_column_int64(runs, 1) == device.heavyRecords) heavyTable = tables.back();
        }
        sqlite3_finalize(runs);
        sqlite3_close_v2(db);
        Require(!tables.empty() && !heavyTable.empty(), "the raw tables were not found");
        tablesOf = file;
    }
    Stopwatch watch;
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    long long rows = 0, bytes = 0;
    for (const std::string& table : heavyUserOnly ? std::vector<std::string>{heavyTable} : tables) {
        sqlite3_stmt* query = nullptr;
        sqlite3_prepare_v2(db, ("SELECT id, properties FROM " + table + " ORDER BY id").c_str(), -1, &query, nullptr);
        while (sqlite3_step(query) == SQLITE_ROW) {
            ++rows;
            bytes += sqlite3_column_bytes(query, 1);
            sqlite3_column_blob(query, 1);
        }
        sqlite3_finalize(query);
    }
    sqlite3_close_v2(db);
    const double ms = watch.Stop();
    Require(rows == (heavyUserOnly ? device.heavyRecords : device.totalRecords) && bytes > 0, "the raw read missed rows");
    return ms;
}
