#pragma once
// The main window: "Tests for " and the current user, that user's test names,
// and a button for every other dialog.

#include "platform/paint_surface.h"
#include "platform/ui/command_table.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "res/vantrel_ids.h"

#include <string>

class CVantrelDlg : public CDialog, public VantrelIds {
public:
    explicit CVantrelDlg(CDialog* parent = nullptr);

    bool OnInitDialog() override;
    const CommandTable& Commands() const override;

private:
    void OnPaint(PaintSurface& dc);
    void OnInfo();
    void OnReport();
    void OnGraph();
    void OnEdit();
    void OnTakeTest();
    void OnSwitchUser();
    void OnClose();
    void OnAbout();

    // The current user and the selected test; false (after `emptyMessage`) when nothing is listed.
    bool ChooseTest(std::u16string_view emptyMessage, std::u16string& user, std::u16string& test);
    // The first selected row, else row 0; empty when the list is empty.
    std::u16string SelectedTest() const;
    // Lists every test of the current user; rows already listed stay, with their selection.
    void RelistTests();

    CListCtrl testList_{*this, kTestList};
};
