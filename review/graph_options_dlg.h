#pragma once
// Graph Options: asks for a user's graph period and graph type and hands them
// back as texts.

#include "platform/paint_surface.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "res/graph_options_ids.h"
#include "store/patient_store.h"

#include <string>

class CGraphOptionsDlg : public CDialog, public GraphOptionsIds {
public:
    explicit CGraphOptionsDlg(CDialog* parent = nullptr);

    // The period as decimal text of a number of days, and "Bar" or "Line": set
    // by the caller to the choices the dialog starts on (a new user's by
    // default), and after OK the chosen ones. A text no item has is kept
    // unless an item is chosen.
    std::u16string graphPeriod{kDefaultGraphPeriod};
    std::u16string graphType{kDefaultGraphType};

    bool OnInitDialog() override;
    void OnOK() override;
    const CommandTable& Commands() const override;

private:
    void OnPaint(PaintSurface& dc);

    CComboBox periodBox_{*this, kPeriodBox};
    CComboBox typeBox_{*this, kTypeBox};
};
