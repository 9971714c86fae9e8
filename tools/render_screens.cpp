// vantrel-screens OUTDIR: renders every dialog of the program, in a sample
// state on a scratch device, to one PNG each. The device gets the shipped
// catalogue through a real first run, then a sample user with a few tests.

#include "app/about_dlg.h"
#include "app/catalogue_seed.h"
#include "app/vantrel_dlg.h"
#include "entry/add_patient_dlg.h"
#include "entry/add_result_dlg.h"
#include "entry/modify_test_dlg.h"
#include "entry/switch_user_dlg.h"
#include "entry/take_test_dlg.h"
#include "platform/datetime.h"
#include "platform/device.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog_widget.h"
#include "platform/ui/ui_scale.h"
#include "res/resource.h"
#include "review/graph_options_dlg.h"
#include "review/results_graph_dlg.h"
#include "review/test_info_dlg.h"
#include "review/test_report_dlg.h"
#include "store/patient_store.h"
#include "store/test_changes.h"
#include "support/dialog_driver.h"

#include <QApplication>
#include <QPixmap>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {

fs::path g_out;
int g_failures = 0;

// The dialog with its controls, as a person sees it.
void Render(CDialog& dialog, const char* name) {
    const fs::path file = g_out / (std::string(name) + ".png");
    QWidget* widget = dialog.Widget();
    if (widget) dialog.RedrawNow();
    if (widget && widget->grab().save(QString::fromStdU16String(file.u16string()), "PNG")) {
        std::printf("%s\n", file.c_str());
    } else {
        std::fprintf(stderr, "vantrel-screens: could not write %s\n", file.c_str());
        ++g_failures;
    }
}

// The open window of template `id`: the Installation window is nobody's member.
CDialog* OpenWindowOf(int id) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dialogWidget = dynamic_cast<DialogWidget*>(widget);
        CDialog* dialog = dialogWidget ? dialogWidget->Dialog() : nullptr;
        if (dialog && dialog->TemplateId() == id && dialog->IsWindow()) return dialog;
    }
    return nullptr;
}

int ListRow(CDialog& dialog, int id, std::u16string_view text) {
    CListCtrl list(dialog, id);
    for (int row = 0; row < list.GetItemCount(); ++row) {
        if (list.GetItemText(row) == text) return row;
    }
    return -1;
}

constexpr std::u16string_view kUser = u"Mara Quell";

// A few months of tests, the way a person would have entered them.
void StoreSampleTests() {
    struct Lipids {
        int year, month, day;
        const char16_t *total, *ldl, *hdl, *triglycerides;
    };
    const Lipids lipids[] = {
        {2025, 12, 18, u"231", u"152", u"48", u"171"}, {2026, 2, 9, u"214", u"138", u"51", u"158"},
        {2026, 3, 30, u"203", u"127", u"55", u"142"},  {2026, 5, 4, u"192", u"118", u"57", u"131"},
        {2026, 6, 8, u"184", u"109", u"59", u"122"},
    };
    const auto store = [](std::u16string_view user, std::u16string_view test, int year, int month, int day,
                          std::u16string_view comment, std::vector<ResultRow> results) {
        TakenTest taken{std::u16string(user), std::u16string(test), MakeDate(year, month, day),
                        std::u16string(comment), std::move(results)};
        StoreTakenTest(taken, true);
    };
    for (const Lipids& l : lipids) {
        store(kUser, u"Lipid Panel", l.year, l.month, l.day, u"Fasting since 8 pm",
              {{u"Total cholesterol", l.total, u"0-199", u"mg/dL"},
               {u"LDL cholesterol", l.ldl, u"0-99", u"mg/dL"},
               {u"HDL cholesterol", l.hdl, u"50-100", u"mg/dL"},
               {u"Triglycerides", l.triglycerides, u"0-149", u"mg/dL (fasting)"}});
    }
    // The laboratory before reported in SI units: the graphs convert them.
    store(kUser, u"Lipid Panel", 2025, 12, 28, u"", {{u"Total cholesterol", u"6.2", u"0-5.2", u"mmol/L"},
                                                   {u"LDL cholesterol", u"4.1", u"0-2.6", u"mmol/L"},
                                                   {u"HDL cholesterol", u"1.2", u"1.3-2.6", u"mmol/L"},
                                                   {u"Triglycerides", u"2.0", u"0-1.7", u"mmol/L"}});
    store(kUser, u"Hemoglobin A1c", 2026, 1, 20, u"", {{u"A1c", u"5.9", u"4.0-5.6", u"%"}});
    store(kUser, u"Hemoglobin A1c", 2026, 5, 4, u"After the diet change", {{u"A1c", u"5.5", u"4.0-5.6", u"%"}});
    store(kUser, u"TSH", 2026, 4, 15, u"", {{u"TSH", u"2.1", u"0.4-4.0", u"mIU/L"}});
    store(kUser, u"Ferritin", 2026, 3, 2, u"Tired lately", {{u"Ferritin", u"18", u"12-150", u"ng/mL"}});

    const SystemTime birth{1958, 11, 0, 23, 0, 0, 0, 0};
    AddPatient(u"Jon Quell", u"Male", birth, u"90", u"Bar");
    store(u"Jon Quell", u"PSA", 2026, 4, 1, u"", {{u"PSA", u"1.8", u"0-4.0", u"ng/mL"}});
}

void QueueFirstUser(DialogDriver& driver) {
    driver.Expect<CAddPatientDlg>(IDD_ADD_PATIENT, [](CAddPatientDlg& d) {
        if (CDialog* install = OpenWindowOf(IDD_INSTALL)) Render(*install, "installation");
        CDateTimeCtrl(d, CAddPatientDlg::kBirthdatePicker).UserSetDate(1961, 4, 27);
        CComboBox(d, CAddPatientDlg::kSexBox).UserChoose(0);  // "Female"
        Render(d, "add_patient");
        d.SendCommand(CAddPatientDlg::kOkButton);
    });
    driver.Expect<CGraphOptionsDlg>(IDD_GRAPH_OPTIONS, [](CGraphOptionsDlg& g) {
        CComboBox(g, 1009).UserChoose(6);  // "Last 6 month"
        CComboBox(g, 1022).UserChoose(0);  // "Bar"
        Render(g, "graph_options");
        g.SendCommand(IDOK);
    });
}

void SwitchToSampleUser(DialogDriver& driver, CVantrelDlg& main) {
    driver.Expect<CSwitchUserDlg>(IDD_SWITCH_USER, [](CSwitchUserDlg& d) {
        Render(d, "switch_user");
        d.SendCommand(CSwitchUserDlg::kOkButton);
    });
    main.SendCommand(CVantrelDlg::kSwitchUserButton);
}

void ShowTakeTest(DialogDriver& driver, CVantrelDlg& main) {
    driver.Expect<CTakeTestDlg>(IDD_TAKE_TEST, [&driver](CTakeTestDlg& d) {
        CComboBox box(d, CTakeTestDlg::kTestNameBox);
        box.UserChoose(box.FindStringExact(-1, u"Basic Metabolic Panel"));
        CEdit(d, CTakeTestDlg::kCommentEdit).UserType(u"Morning, before breakfast");
        struct Entry {
            const char16_t *name, *value;
        };
        for (const Entry& e : {Entry{u"Glucose", u"94"}, Entry{u"Potassium", u"4.2"}, Entry{u"Sodium", u"139"}}) {
            driver.Expect<CAddResultDlg>(IDD_ADD_RESULT, [e](CAddResultDlg& r) {
                CComboBox names(r, CAddResultDlg::kResultNameBox);
                names.UserChoose(names.FindStringExact(-1, e.name));
                CEdit(r, CAddResultDlg::kValueEdit).UserType(e.value);
                if (e.name == std::u16string_view(u"Glucose")) Render(r, "add_result");
                r.SendCommand(IDOK);
            });
            d.SendCommand(CTakeTestDlg::kAddButton);
        }
        Render(d, "take_test");
        d.SendCommand(CTakeTestDlg::kCancelButton);
    });
    main.SendCommand(CVantrelDlg::kTakeTestButton);
}

void ShowReviewDialogs(DialogDriver& driver, CVantrelDlg& main) {
    driver.Expect<CModifyTestDlg>(IDD_MODIFY_TEST, [](CModifyTestDlg& d) {
        CListCtrl(d, CModifyTestDlg::kDateList).UserSelect(1);
        Render(d, "modify_test");
        d.SendCommand(IDOK);
    });
    main.SendCommand(CVantrelDlg::kEditButton);

    driver.Expect<CTestInfoDlg>(IDD_TEST_INFO, [](CTestInfoDlg& d) {
        d.SendCommand(CTestInfoDlg::kWhyButton);
        Render(d, "test_info");
        // A section longer than the window, with its scroll bar.
        CComboBox tests(d, CTestInfoDlg::kTestBox);
        tests.UserChoose(tests.FindStringExact(-1, u"Blood Differential"));
        d.SendCommand(CTestInfoDlg::kResultsButton);
        Render(d, "test_info_long");
        d.SendCommand(CTestInfoDlg::kExitButton);
    });
    main.SendCommand(CVantrelDlg::kInfoButton);

    driver.Expect<CTestReportDlg>(IDD_TEST_REPORT, [](CTestReportDlg& d) {
        Render(d, "test_report");
        d.SendCommand(IDOK);
    });
    main.SendCommand(CVantrelDlg::kReportButton);

    driver.Expect<CResultsGraphDlg>(IDD_RESULTS_GRAPH, [](CResultsGraphDlg& d) {
        d.SendCommand(ID_TYPE_BAR);
        Render(d, "results_graph_bar");
        d.SendCommand(ID_TYPE_LINE);
        Render(d, "results_graph_line");
        d.SendCommand(ID_TYPE_BAR);
        d.SendCommand(ID_EXIT);
    });
    main.SendCommand(CVantrelDlg::kGraphButton);

    driver.Expect<CAboutDlg>(IDD_ABOUT, [](CAboutDlg& d) {
        Render(d, "about");
        d.SendCommand(IDOK);
    });
    main.SendCommand(CVantrelDlg::kAboutButton);
}

int RenderAll() {
    DialogDriver driver;
    QueueFirstUser(driver);
    driver.Expect<CVantrelDlg>(IDD_VANTREL, [&driver](CVantrelDlg& main) {
        StoreSampleTests();
        SwitchToSampleUser(driver, main);
        CListCtrl(main, CVantrelDlg::kTestList).UserSelect(ListRow(main, CVantrelDlg::kTestList, u"Lipid Panel"));
        Render(main, "main_window");
        ShowTakeTest(driver, main);
        ShowReviewDialogs(driver, main);
        main.SendCommand(CVantrelDlg::kCloseButton);
    });
    CVantrelDlg main;
    main.DoModal();

    for (const std::string& failure : driver.Failures()) {
        std::fprintf(stderr, "vantrel-screens: %s\n", failure.c_str());
    }
    for (const std::u16string& message : driver.Messages()) {
        std::fprintf(stderr, "vantrel-screens: unexpected message: %s\n",
                     QString::fromStdU16String(message).toUtf8().constData());
    }
    return driver.Failures().empty() && driver.Messages().empty() && g_failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vantrel-screens OUTDIR\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    PrepareDesktopScale();
    QApplication application(argc, argv);
    application.setQuitOnLastWindowClosed(false);

    std::error_code ec;
    g_out = fs::absolute(argv[1], ec);
    fs::create_directories(g_out, ec);
    if (ec) {
        std::fprintf(stderr, "vantrel-screens: cannot make %s\n", argv[1]);
        return 1;
    }
    std::string pattern = (fs::temp_directory_path() / "vantrel-screens-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::fprintf(stderr, "vantrel-screens: cannot make a scratch device\n");
        return 1;
    }
    const fs::path device = pattern;
    SetDeviceRoot(device);
    // A fixed day, so the pictures come out the same on every run.
    const SystemTime today{2026, 6, 0, 14, 9, 30, 0, 0};
    SetLocalTimeForTesting(&today);
    const std::u16string owner(kUser);
    SetDeviceOwnerNameForTesting(&owner);

    int rc = 1;
    if (!SeedTestInfoFile(ShippedDataDirs())) {
        std::fprintf(stderr, "vantrel-screens: the shipped BrennicTests.txt was not found\n");
    } else {
        rc = RenderAll();
    }
    fs::remove_all(device, ec);
    return rc;
}
