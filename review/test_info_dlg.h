#pragma once
// Test Info: a lab test's alternative names and one further section of its
// reference information, chosen with the section buttons.

#include "platform/paint_surface.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "res/test_info_ids.h"

#include <string>

class CTestInfoDlg : public CDialog, public TestInfoIds {
public:
    explicit CTestInfoDlg(CDialog* parent = nullptr);

    // Set by the opener: chooses the initial item of the test box.
    std::u16string testName;

    bool OnInitDialog() override;
    const CommandTable& Commands() const override;

private:
    void OnWhy();
    void OnWhen();
    void OnHow();
    void OnResults();
    void OnHome();
    void OnTestChosen();
    void OnScrolled();
    void FitScrollBar();
    void OnExit();
    void OnPaint(PaintSurface& dc);
    void ShowSection(int index);

    CComboBox testBox_{*this, kTestBox};
    CScrollBar textScroll_{*this, kTextScroll};
};
