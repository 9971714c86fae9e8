#include "review/results_graph_dlg.h"

#include "platform/locale/desktop_numbers.h"
#include "platform/text.h"
#include "platform/ui/message_box.h"
#include "res/resource.h"
#include "review/graph_data.h"
#include "review/graph_drawing.h"
#include "store/catalog_store.h"
#include "store/patient_store.h"

#include <map>
#include <utility>

namespace {

// The graph settings live for the whole program run; each opening reloads
// them from the user's patient record.
int currentPeriod = 0;
std::u16string currentType;

// The result a person last chose for each user's test, while the program runs.
std::map<std::pair<std::u16string, std::u16string>, std::u16string> lastChosen;

// How much there is to graph: 2 for numbers, 1 for values that are none, 0 for nothing.
int Graphable(const GraphSeries& series) { return series.count > 0 ? 2 : series.leftOut > 0 ? 1 : 0; }

}  // namespace

CResultsGraphDlg::CResultsGraphDlg(CDialog* parent) : CDialog(IDD_RESULTS_GRAPH, parent) {}

bool CResultsGraphDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    menuBar_.Create(*this, IDMB_RESULTS_GRAPH);
    GetGraphType(userName, currentType);  // a user without a record keeps the previous type
    currentPeriod = GetGraphPeriod(userName);
    if (ListResultNames(testName, resultBox_) == 0) {
        MessageBox(this, u"No results available for graphing");
        EndDialog(IDCANCEL);
    }
    resultBox_.SetCurSel(OpeningResult());
    return true;
}

// The result chosen last for this test when it has as much to graph as any
// other in the period, else the first that has the most.
int CResultsGraphDlg::OpeningResult() {
    const NumberFormat numbers = DesktopNumberFormat();
    const auto chosen = lastChosen.find({userName, testName});
    const int remembered = chosen == lastChosen.end() ? -1 : resultBox_.FindStringExact(-1, chosen->second);
    int best = 0;
    int bestScore = -1;
    for (int i = 0; i < resultBox_.GetCount(); ++i) {
        const int score =
            Graphable(CollectGraphSeries(userName, testName, resultBox_.GetLBText(i), currentPeriod, numbers));
        if (score > bestScore || (score == bestScore && i == remembered)) {
            best = i;
            bestScore = score;
        }
    }
    return best;
}

template <int Days>
void CResultsGraphDlg::OnPeriod() {
    currentPeriod = Days;
    RedrawNow();
}

template <int Days>
void CResultsGraphDlg::UpdatePeriod(CCmdUI& ui) {
    ui.SetCheck(currentPeriod == Days);
}

const CommandTable& CResultsGraphDlg::Commands() const {
    using D = CResultsGraphDlg;
    static const CommandTable table{
        BindNotify(kResultBox, kNotifySelectionConfirmed, &D::OnResultChosen),
        BindCommand(ID_PERIOD_TODAY, &D::OnPeriod<0>),
        BindUpdateUI(ID_PERIOD_TODAY, &D::UpdatePeriod<0>),
        BindCommand(ID_PERIOD_WEEK, &D::OnPeriod<7>),
        BindUpdateUI(ID_PERIOD_WEEK, &D::UpdatePeriod<7>),
        BindCommand(ID_PERIOD_14_DAYS, &D::OnPeriod<14>),
        BindUpdateUI(ID_PERIOD_14_DAYS, &D::UpdatePeriod<14>),
        BindCommand(ID_PERIOD_MONTH, &D::OnPeriod<30>),
        BindUpdateUI(ID_PERIOD_MONTH, &D::UpdatePeriod<30>),
        BindCommand(ID_PERIOD_60_DAYS, &D::OnPeriod<60>),
        BindUpdateUI(ID_PERIOD_60_DAYS, &D::UpdatePeriod<60>),
        BindCommand(ID_PERIOD_90_DAYS, &D::OnPeriod<90>),
        BindUpdateUI(ID_PERIOD_90_DAYS, &D::UpdatePeriod<90>),
        BindCommand(ID_PERIOD_6_MONTHS, &D::OnPeriod<180>),
        BindUpdateUI(ID_PERIOD_6_MONTHS, &D::UpdatePeriod<180>),
        BindCommand(ID_PERIOD_YEAR, &D::OnPeriod<365>),
        BindUpdateUI(ID_PERIOD_YEAR, &D::UpdatePeriod<365>),
        BindCommand(ID_TYPE_BAR, &D::OnTypeBar),
        BindUpdateUI(ID_TYPE_BAR, &D::UpdateTypeBar),
        BindCommand(ID_TYPE_LINE, &D::OnTypeLine),
        BindUpdateUI(ID_TYPE_LINE, &D::UpdateTypeLine),
        BindCommand(ID_EXIT, &D::OnExit),
        BindPaint(&D::OnPaint),
    };
    return table;
}

void CResultsGraphDlg::OnTypeBar() {
    currentType = u"Bar";
    RedrawNow();
}

void CResultsGraphDlg::OnTypeLine() {
    currentType = u"Line";
    RedrawNow();
}

void CResultsGraphDlg::UpdateTypeBar(CCmdUI& ui) { ui.SetCheck(currentType == u"Bar"); }
void CResultsGraphDlg::UpdateTypeLine(CCmdUI& ui) { ui.SetCheck(currentType == u"Line"); }

void CResultsGraphDlg::OnResultChosen() {
    lastChosen[{userName, testName}] = resultBox_.SelectedText();
    RedrawNow();
}

// A user without a record has nowhere to keep the choice; anyone else is told
// when it could not be kept, and may try again or close the graph.
void CResultsGraphDlg::OnExit() {
    if (!SetGraphPreferences(userName, IntToText(currentPeriod), currentType) && HasPatient(userName)) {
        MessageBox(this, u"Could not save the graph settings. Check that there is space on the disk and try again.");
        return;
    }
    EndDialog(IDOK);
}

void CResultsGraphDlg::OnPaint(PaintSurface& dc) {
    const std::u16string result = resultBox_.SelectedText();
    const GraphSeries series = CollectGraphSeries(userName, testName, result, currentPeriod, DesktopNumberFormat());
    DrawResultsGraph(dc, result, series, currentPeriod, currentType);
    SetAccessibleDescription(DescribeGraph(result, series, currentPeriod));
}
