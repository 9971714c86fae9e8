#include "app/about_dlg.h"

#include "res/resource.h"

#include <string_view>

namespace {

struct AboutLine {
    int x, y;
    std::u16string_view text;
};

constexpr AboutLine kLines[] = {
    {60, 20, u"Vantrel"},
    {60, 40, u"Version 2.0"},
    {20, 60, u"Copyright 2026 The Vantrel developers"},
    {40, 75, u"www.vantrel.org"},
    {40, 90, u"support@vantrel.org"},
    {5, 120, u"Brennic Software disclaims any liability"},
    {5, 135, u"arising from the use or interpretation"},
    {5, 150, u"of the information provided in Vantrel."},
    {5, 165, u"The information is provided as a guideline"},
    {5, 180, u"and is not intended to replace medical help"},
    {5, 210, u"Test information was mainly collected from"},
    {5, 225, u"MedlinePlus: medlineplus.gov/lab-tests"},
};

}  // namespace

CAboutDlg::CAboutDlg(CDialog* parent) : CDialog(IDD_ABOUT, parent) {}

const CommandTable& CAboutDlg::Commands() const {
    static const CommandTable table{BindPaint(&CAboutDlg::OnPaint)};
    return table;
}

void CAboutDlg::OnPaint(PaintSurface& dc) {
    dc.FillRect({0, 0, dc.Width(), dc.Height()}, kWhite);
    dc.SetTextColor(kNavy);
    for (const AboutLine& line : kLines) dc.TextOut(line.x, line.y, line.text);
}
