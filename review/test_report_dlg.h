#pragma once
// Test Report: one test of the current user on one of its days, with a
// painted heading (test, user, sex and age) and the report list.

#include "platform/paint_surface.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "res/test_report_ids.h"

#include <string>

class CTestReportDlg : public CDialog, public TestReportIds {
public:
    explicit CTestReportDlg(CDialog* parent = nullptr);

    // Set by the opener.
    std::u16string userName, testName;

    bool OnInitDialog() override;
    const CommandTable& Commands() const override;

private:
    void OnDateChosen();
    void OnTestInfo();
    void OnClose();
    void OnPaint(PaintSurface& dc);
    void RefreshReport();

    CComboBox dateBox_{*this, kDateBox};
    CListCtrl reportList_{*this, kReportList};
    CImageList images_;
};
