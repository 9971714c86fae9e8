#include "bench_steps.h"

#include "app/vantrel_dlg.h"
#include "entry/modify_test_dlg.h"
#include "entry/switch_user_dlg.h"
#include "entry/take_test_dlg.h"
#include "platform/device.h"
#include "platform/memory_listing.h"
#include "platform/paint/qt_paint_surface.h"
#include "platform/records/record_store.h"
#include "platform/text.h"
#include "platform/ui/controls.h"
#include "res/resource.h"
#include "review/graph_data.h"
#include "review/graph_drawing.h"
#include "review/report_text.h"
#include "review/test_report_dlg.h"
#include "store/patient_store.h"
#include "store/test_changes.h"
#include "store/test_info_import.h"
#include "store/user_changes.h"
#include "support/dialog_driver.h"
#include "timing.h"

#include <QImage>
#include <sqlite3.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
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

// Opens `dialog` modally and times it until its initialisation is done, when
// the driver meets it; `shown` then counts what it lists, which must be more than one.
template <class Dialog>
double TimeOpening(Dialog& dialog, int templateId, const std::function<int(Dialog&)>& shown) {
    DialogDriver driver;
    double ms = 0;
    int count = 0;
    Stopwatch watch;
    driver.Expect<Dialog>(templateId, [&](Dialog& d) {
        ms = watch.Stop();
        count = shown(d);
        d.EndDialog(IDCANCEL);
    });
    watch.Start();
    dialog.DoModal();
    CheckDriver(driver);
    Require(count > 1, "the dialog listed nothing");
    return ms;
}

}  // namespace

double TimeTestReportOpens(const HeavyDevice& device) {
    CTestReportDlg dlg;
    dlg.userName = device.heavyUser;
    dlg.testName = device.frequentTest;
    return TimeOpening<CTestReportDlg>(dlg, IDD_TEST_REPORT,
                                       [](CTestReportDlg& d) { return CComboBox(d, 1009).GetCount(); });
}

double TimeModifyTestOpens(const HeavyDevice& device) {
    CModifyTestDlg dlg;
    dlg.userName = device.heavyUser;
    dlg.testName = device.frequentTest;
    return TimeOpening<CModifyTestDlg>(dlg, IDD_MODIFY_TEST, [](CModifyTestDlg& d) {
        return CListCtrl(d, CModifyTestDlg::kDateList).GetItemCount();
    });
}

double TimeSwitchUserOpens(const fs::path& root, const std::u16string& user) {
    SetDeviceRoot(root);
    CSwitchUserDlg dlg;
    dlg.userName = user;
    return TimeOpening<CSwitchUserDlg>(dlg, IDD_SWITCH_USER, [](CSwitchUserDlg& d) {
        return CListBox(d, CSwitchUserDlg::kUserList).GetCount();
    });
}

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
    CVantrelDlg dlg;
    return TimeOpening<CVantrelDlg>(dlg, IDD_VANTREL,
                                    [](CVantrelDlg& d) { return CListCtrl(d, CVantrelDlg::kTestList).GetItemCount(); });
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
    const std::vector<TestResult> day = ReadDayRecords(device.heavyUser, kTakenTest, today);
    Require(std::any_of(day.begin(), day.end(), [](const TestResult& r) { return r.result == u"TSH"; }),
            "Take Test stored no results");
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

void RestoreDevice(const HeavyDevice& device, const fs::path& pristine) {
    SetDeviceRoot(device.root);
    const fs::path file = ObjectStorePath();
    for (const char* extra : {"-wal", "-shm"}) fs::remove(file.string() + extra);
    fs::copy_file(pristine, file, fs::copy_options::overwrite_existing);
    ::sync();  // so the timed writes' syncs do not also flush the copy
}

double TimeDeleteUser(const HeavyDevice& device, const fs::path& pristine, double& closing) {
    RestoreDevice(device, pristine);
    // As Switch User finds it: the main window has read the user's tests.
    Require(!UserTests(device.heavyUser).empty(), "the user has no tests");
    MemoryListing users;
    ListPatients(users);
    Stopwatch watch;
    Require(DeleteUser(device.heavyUser), "the user was not deleted");
    const double ms = watch.Stop();
    Require(!HasPatient(device.heavyUser), "the user was not deleted");
    Require(UserTests(device.heavyUser).empty(), "the user's tests were not deleted");
    watch.Start();
    CloseObjectStore();
    closing = watch.Stop();
    return ms;
}

double TimeRawRead(const HeavyDevice& device, bool heavyUserOnly) {
    const std::string file = (device.root / "object-store.sqlite").string();
    Stopwatch watch;
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* query = nullptr;
    // The test records of every user, or of the heavy one: one index range each.
    sqlite3_prepare_v2(db,
                       "SELECT records.id, records.properties FROM databases JOIN sort_texts"
                       " ON sort_texts.database = databases.id JOIN records ON records.sort_text = sort_texts.id"
                       " WHERE databases.name = 'Health Profiles List' AND (?1 IS NULL OR sort_texts.exact = ?1)",
                       -1, &query, nullptr);
    const std::string heavy = TextToUtf8(device.heavyUser);
    if (heavyUserOnly) sqlite3_bind_blob(query, 1, heavy.data(), static_cast<int>(heavy.size()), SQLITE_STATIC);
    long long rows = 0, bytes = 0;
    while (sqlite3_step(query) == SQLITE_ROW) {
        ++rows;
        bytes += sqlite3_column_bytes(query, 1);
        sqlite3_column_blob(query, 1);
    }
    sqlite3_finalize(query);
    sqlite3_close_v2(db);
    const double ms = watch.Stop();
    Require(rows == (heavyUserOnly ? device.heavyRecords : device.totalRecords) && bytes > 0, "the raw read missed rows");
    return ms;
}
