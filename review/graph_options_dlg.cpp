#include "review/graph_options_dlg.h"

#include "res/resource.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace {

struct PeriodChoice {
    std::u16string_view label;
    std::u16string_view days;
};

constexpr PeriodChoice kPeriods[] = {
    {u"Today", u"0"},          {u"Last week", u"7"},       {u"Last 14 days", u"14"},
    {u"Last month", u"30"},    {u"Last 60 days", u"60"},   {u"Last 90 days", u"90"},
    {u"Last 6 month", u"180"}, {u"Year To Date", u"365"},  {u"All Dates", u"-2"},
};

constexpr std::u16string_view kTypes[] = {u"Bar", u"Line"};

}  // namespace

CGraphOptionsDlg::CGraphOptionsDlg(CDialog* parent) : CDialog(IDD_GRAPH_OPTIONS, parent) {}

bool CGraphOptionsDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    for (const PeriodChoice& choice : kPeriods) periodBox_.AddString(choice.label);
    for (const std::u16string_view type : kTypes) typeBox_.AddString(type);
    // Starting on the given choices, OK without a change changes nothing.
    const auto period = std::find_if(std::begin(kPeriods), std::end(kPeriods),
                                     [this](const PeriodChoice& choice) { return choice.days == graphPeriod; });
    periodBox_.SetCurSel(period == std::end(kPeriods) ? -1 : static_cast<int>(period - std::begin(kPeriods)));
    typeBox_.SetCurSel(typeBox_.FindStringExact(-1, graphType));
    return true;
}

const CommandTable& CGraphOptionsDlg::Commands() const {
    static const CommandTable table{
        BindPaint(&CGraphOptionsDlg::OnPaint),
    };
    return table;
}

void CGraphOptionsDlg::OnOK() {
    // Typed text selects no item: the choices it started on stand rather than an empty preference.
    const int period = periodBox_.GetCurSel();
    if (period >= 0 && period < static_cast<int>(std::size(kPeriods))) graphPeriod = kPeriods[period].days;
    const int type = typeBox_.GetCurSel();
    if (type >= 0) graphType = typeBox_.GetLBText(type);
    CDialog::OnOK();
}

void CGraphOptionsDlg::OnPaint(PaintSurface& dc) {
    dc.FillRect({0, 0, dc.Width(), dc.Height()}, kWhite);
    dc.SetTextColor(kNavy);
    dc.SelectFont(nullptr);
    dc.TextOut(10, 15, u"Graph Preferences:");
    dc.TextOut(10, 40, u"Graph Period");
    dc.TextOut(10, 70, u"Graph Type");
}
