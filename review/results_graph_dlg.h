#pragma once
// Results Graph: one result of one test of the current user over a chosen
// period, as bars or a line, with the Period / Type / Exit menu bar.

#include "platform/paint_surface.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/menu_bar.h"
#include "res/results_graph_ids.h"

#include <string>

class CResultsGraphDlg : public CDialog, public ResultsGraphIds {
public:
    explicit CResultsGraphDlg(CDialog* parent = nullptr);

    // Set by the opener.
    std::u16string userName, testName;

    bool OnInitDialog() override;
    const CommandTable& Commands() const override;

private:
    template <int Days>
    void OnPeriod();
    template <int Days>
    void UpdatePeriod(CCmdUI& ui);
    void OnTypeBar();
    void OnTypeLine();
    void UpdateTypeBar(CCmdUI& ui);
    void UpdateTypeLine(CCmdUI& ui);
    void OnResultChosen();
    void OnExit();
    void OnPaint(PaintSurface& dc);
    int OpeningResult();

    CComboBox resultBox_{*this, kResultBox};
    CMenuBar menuBar_;
};
