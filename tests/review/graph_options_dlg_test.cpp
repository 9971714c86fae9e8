#include "review/graph_options_dlg.h"

#include "platform/recording_surface.h"
#include "platform/ui/test_driver.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace {

// Opens the dialog with `script` and returns its two outputs.
std::pair<std::u16string, std::u16string> Open(std::function<void(CGraphOptionsDlg&)> script) {
    DialogDriver driver;
    driver.Expect<CGraphOptionsDlg>(IDD_GRAPH_OPTIONS, script);
    CGraphOptionsDlg dialog;
    dialog.DoModal();
    EXPECT_TRUE(driver.Failures().empty());
    EXPECT_EQ(driver.PendingScripts(), 0u);
    return {dialog.graphPeriod, dialog.graphType};
}

using Outputs = std::pair<std::u16string, std::u16string>;

TEST(GraphOptionsDlg, OkHandsBackTheChosenPeriodAndType) {
    EXPECT_EQ(Open([](CGraphOptionsDlg& d) {
                  CComboBox periods{d, 1009};
                  EXPECT_EQ(periods.GetCount(), 9);
                  EXPECT_EQ(periods.SelectedText(), u"Today");
                  EXPECT_EQ(periods.GetLBText(8), u"All Dates");
                  EXPECT_EQ((CComboBox{d, 1022}.SelectedText()), u"Bar");
                  d.SendCommand(IDOK);
              }),
              (Outputs{u"0", u"Bar"}));
    EXPECT_EQ(Open([](CGraphOptionsDlg& d) {
                  CComboBox{d, 1009}.UserChoose(8);
                  d.SendCommand(IDOK);
              }),
              (Outputs{u"-2", u"Bar"}));
    EXPECT_EQ(Open([](CGraphOptionsDlg& d) {
                  CComboBox{d, 1009}.UserChoose(7);
                  CComboBox{d, 1022}.UserChoose(1);
                  d.SendCommand(IDOK);
              }),
              (Outputs{u"365", u"Line"}));
    EXPECT_EQ(Open([](CGraphOptionsDlg& d) {
                  CComboBox{d, 1009}.UserChoose(6);
                  d.SendCommand(IDOK);
              }),
              (Outputs{u"180", u"Bar"}));
}

TEST(GraphOptionsDlg, DefaultsWithoutOkOrWithoutSelection) {
    EXPECT_EQ(Open([](CGraphOptionsDlg& d) {
                  CComboBox{d, 1009}.UserChoose(8);
                  CComboBox{d, 1022}.UserChoose(1);
                  d.SendCommand(IDCANCEL);
              }),
              (Outputs{u"0", u"Bar"}));
    // Typed text selects no item, even when it equals one.
    EXPECT_EQ(Open([](CGraphOptionsDlg& d) {
                  CComboBox{d, 1009}.UserType(u"All Dates");
                  CComboBox{d, 1022}.UserType(u"Line");
                  d.SendCommand(IDOK);
              }),
              (Outputs{u"0", u"Bar"}));
}

TEST(GraphOptionsDlg, PaintsItsLabels) {
    Open([](CGraphOptionsDlg& d) {
        const RecordingSurface dc = RecordPaint(d);
        ASSERT_FALSE(dc.fills.empty());
        EXPECT_EQ(dc.fills.front().color, kWhite);
        ASSERT_EQ(dc.texts.size(), 3u);
        const std::pair<int, int> at[] = {{10, 15}, {10, 40}, {10, 70}};
        const char16_t* labels[] = {u"Graph Preferences:", u"Graph Period", u"Graph Type"};
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(dc.texts[i].text, labels[i]);
            EXPECT_EQ(dc.texts[i].x, at[i].first);
            EXPECT_EQ(dc.texts[i].y, at[i].second);
            EXPECT_EQ(dc.texts[i].color, kNavy);
            EXPECT_FALSE(dc.texts[i].font.has_value());
        }
        d.SendCommand(IDOK);
    });
}

}  // namespace
