#pragma once
// Asks for one result of a test: name, value, goal and unit, the goal and unit
// prefilled from the catalogue, the goal fitting the user's sex. Stores nothing
// itself.

#include "platform/ui/command_table.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "res/add_result_ids.h"

#include <string>

class CAddResultDlg : public CDialog, public AddResultIds {
public:
    explicit CAddResultDlg(CDialog* parent = nullptr);

    // Set by the caller.
    std::u16string userName, testName;
    // Read by the caller after Ok.
    std::u16string resultName, resultValue, goalValue, resultUnit;
    // 1 when the name was typed rather than chosen from the list.
    int newName = 0;

    bool OnInitDialog() override;
    void OnOK() override;
    const CommandTable& Commands() const override;

private:
    void OnResultChosen();
    void OnNameEdited();
    void OnPaint(PaintSurface& dc);
    void FillFromCatalogue(int index, bool keepTyped);
    bool KeepsWhatIsNoNumber();
    bool KeepsOtherUnit();

    CComboBox resultNameBox_{*this, kResultNameBox};
    CEdit valueEdit_{*this, kValueEdit};
    CEdit goalEdit_{*this, kGoalEdit};
    CEdit unitEdit_{*this, kUnitEdit};
    // What the catalogue put into the goal and unit fields.
    std::u16string filledGoal_, filledUnit_;
};
