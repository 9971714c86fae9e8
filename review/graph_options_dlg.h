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

    // Outputs: the period as decimal text of a number of days, and "Bar" or
    // "Line". They keep these defaults unless OK finds a selected item.
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
