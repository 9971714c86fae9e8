#include "review/graph_options_dlg.h"

#include "res/resource.h"

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
    periodBox_.SetCurSel(0);
    typeBox_.SetCurSel(0);
    return true;
}

const CommandTable& CGraphOptionsDlg::Commands() const {
    static const CommandTable table{
        BindPaint(&CGraphOptionsDlg::OnPaint),
    };
    return table;
}

void CGraphOptionsDlg::OnOK() {
    // Typed text selects no item: the defaults stand rather than an empty preference.
    const int period = periodBox_.GetCurSel();
    graphPeriod = period >= 0 && period < static_cast<int>(std::size(kPeriods))
                      ? std::u16string(kPeriods[period].days)
                      : std::u16string(kDefaultGraphPeriod);
    const int type = typeBox_.GetCurSel();
    graphType = type >= 0 ? typeBox_.GetLBText(type) : std::u16string(kDefaultGraphType);
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
