#include "review/results_graph_dlg.h"

#include "platform/recording_surface.h"
#include "platform/ui/test_driver.h"
#include "res/resource.h"
#include "store/catalog_store.h"
#include "store/patient_store.h"
#include "review_fixture.h"

#include <QImage>

#include <functional>
#include <string>
#include <vector>

namespace {

constexpr Color kGreen{0, 255, 0};
constexpr Color kRed{255, 0, 0};
constexpr Color kCyan{0, 255, 255};

class ResultsGraphDlgTest : public ReviewTest {
protected:
    void SetUp() override {
        ReviewTest::SetUp();
        AddResultName(u"Lipids", u"LDL");
        AddResultName(u"Lipids", u"HDL");
        ASSERT_TRUE(AddPatient(u"Ann", u"Female", MakeDate(1980, 1, 1), u"7", u"Line"));
        // HDL, the first item of the sorted box: 5 three days back, 6 five days back.
        Store(u"Ann", u"Lipids", DaysAgo(3), u"HDL", u"5", u"");
        Store(u"Ann", u"Lipids", DaysAgo(5), u"HDL", u"6", u"");
    }
    int Open(std::u16string_view user, std::u16string_view test, std::function<void(CResultsGraphDlg&)> script) {
        driver.Expect<CResultsGraphDlg>(IDD_RESULTS_GRAPH, script);
        CResultsGraphDlg dialog;
        dialog.userName = std::u16string(user);
        dialog.testName = std::u16string(test);
        const int result = dialog.DoModal();
        EXPECT_TRUE(driver.Failures().empty());
        EXPECT_EQ(driver.PendingScripts(), 0u);
        return result;
    }
    // The checked items of pop-up `index` of the menu bar.
    static std::vector<std::u16string> Checked(const CResultsGraphDlg& d, int index) {
        std::vector<std::u16string> checked;
        for (const MenuItemState& item : d.MenuBar().OpenPopup(index)) {
            if (item.checked) checked.push_back(item.text);
        }
        return checked;
    }
    static std::u16string Type(std::u16string_view user) {
        std::u16string type;
        GetGraphType(user, type);
        return type;
    }
    DialogDriver driver;
};

using Texts = std::vector<std::u16string>;

TEST_F(ResultsGraphDlgTest, MenuChecksFollowThePeriodAndTypeAndExitStoresThem) {
    Open(u"Ann", u"Lipids", [](CResultsGraphDlg& d) {
        EXPECT_EQ((CComboBox{d, 1009}.SelectedText()), u"HDL");
        EXPECT_EQ(Checked(d, 0), Texts{u"Last week"});
        EXPECT_EQ(Checked(d, 1), Texts{u"Line"});
        d.MenuBar().UserChoose(ID_PERIOD_60_DAYS);
        d.MenuBar().UserChoose(ID_TYPE_BAR);
        EXPECT_EQ(Checked(d, 0), Texts{u"Last 60 days"});
        EXPECT_EQ(Checked(d, 1), Texts{u"Bar"});
        d.MenuBar().UserChoose(ID_EXIT);
        EXPECT_TRUE(d.IsEnded());
    });
    EXPECT_EQ(GetGraphPeriod(u"Ann"), 60);
    EXPECT_EQ(Type(u"Ann"), u"Bar");

    // The next opening shows the stored choice; closing another way stores nothing.
    Open(u"Ann", u"Lipids", [](CResultsGraphDlg& d) {
        EXPECT_EQ(Checked(d, 0), Texts{u"Last 60 days"});
        EXPECT_EQ(Checked(d, 1), Texts{u"Bar"});
        d.MenuBar().UserChoose(ID_PERIOD_YEAR);
        EXPECT_EQ(Checked(d, 0), Texts{u"Year to Date"});
        d.SendCommand(IDCANCEL);
    });
    EXPECT_EQ(GetGraphPeriod(u"Ann"), 60);
    Open(u"Ann", u"Lipids", [](CResultsGraphDlg& d) {
        EXPECT_EQ(Checked(d, 0), Texts{u"Last 60 days"});
        d.SendCommand(IDCANCEL);
    });

    // "All Dates" and a user without a record check no period; the type stays as it was.
    ASSERT_TRUE(SetGraphPreferences(u"Ann", u"-2", u"Line"));
    Open(u"Ann", u"Lipids", [](CResultsGraphDlg& d) {
        EXPECT_TRUE(Checked(d, 0).empty());
        EXPECT_EQ(Checked(d, 1), Texts{u"Line"});
        EXPECT_NE(RecordPaint(d).FindText(u"Average Value:5.50"), nullptr);
        d.SendCommand(IDCANCEL);
    });
    Open(u"Nobody", u"Lipids", [](CResultsGraphDlg& d) {
        EXPECT_TRUE(Checked(d, 0).empty());
        EXPECT_EQ(Checked(d, 1), Texts{u"Line"});
        EXPECT_NE(RecordPaint(d).FindText(u"No results for graphing"), nullptr);
        d.MenuBar().UserChoose(ID_EXIT);  // no record to store into
    });
    EXPECT_EQ(FindPatient(u"Nobody"), -1);
}

TEST_F(ResultsGraphDlgTest, TestWithoutResultNamesSaysSoAndCloses) {
    // The dialog ends while it initialises: no script is needed, none may be left.
    CResultsGraphDlg dialog;
    dialog.userName = u"Ann";
    dialog.testName = u"Unknown";
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(driver.Messages(), Texts{u"No results available for graphing"});
    EXPECT_TRUE(driver.Failures().empty());
}

bool IsColor(const QImage& image, int x, int y, Color c) {
    const QColor pixel = image.pixelColor(x, y);
    return pixel.red() == c.red && pixel.green() == c.green && pixel.blue() == c.blue;
}

TEST_F(ResultsGraphDlgTest, RendersBarAndLineCharts) {
    const std::filesystem::path bar = std::filesystem::temp_directory_path() / "vantrel-graph-bar.png";
    const std::filesystem::path line = std::filesystem::temp_directory_path() / "vantrel-graph-line.png";
    Open(u"Ann", u"Lipids", [&](CResultsGraphDlg& d) {
        ASSERT_TRUE(RenderToPng(d, line));
        d.MenuBar().UserChoose(ID_TYPE_BAR);
        ASSERT_TRUE(RenderToPng(d, bar));
        d.SendCommand(IDCANCEL);
    });

    QImage barImage(QString::fromStdString(bar.string()));
    ASSERT_FALSE(barImage.isNull());
    EXPECT_TRUE(IsColor(barImage, 15, 100, kBlack));    // vertical axis
    EXPECT_TRUE(IsColor(barImage, 100, 200, kBlack));   // horizontal axis
    EXPECT_TRUE(IsColor(barImage, 78, 120, kGreen));    // the value 6 bar, x 75 to 81 from y 40
    EXPECT_TRUE(IsColor(barImage, 78, 30, kWhite));     // above it
    EXPECT_TRUE(IsColor(barImage, 138, 120, kGreen));   // the value 5 bar from y 65
    EXPECT_TRUE(IsColor(barImage, 138, 55, kWhite));
    EXPECT_TRUE(IsColor(barImage, 85, 195, kRed));      // the goal column over the cyan one
    EXPECT_TRUE(IsColor(barImage, 17, 232, kCyan));     // legend

    QImage lineImage(QString::fromStdString(line.string()));
    ASSERT_FALSE(lineImage.isNull());
    EXPECT_TRUE(IsColor(lineImage, 100, 192, kGreen));  // the goal band 190 to 195
    EXPECT_TRUE(IsColor(lineImage, 100, 185, kWhite));
    EXPECT_TRUE(IsColor(lineImage, 137, 67, kRed));     // marker of the value 5
    EXPECT_TRUE(IsColor(lineImage, 78, 120, kWhite));   // no bars
    EXPECT_TRUE(IsColor(lineImage, 15, 100, kBlack));
}

}  // namespace
