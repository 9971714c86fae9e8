#pragma once
// Lists every user; chooses the current one, adds, edits or deletes users.

#include "platform/ui/command_table.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "res/switch_user_ids.h"

#include <string>

class CSwitchUserDlg : public CDialog, public SwitchUserIds {
public:
    explicit CSwitchUserDlg(CDialog* parent = nullptr);

    // Set by the caller to the current user; after OK, the chosen user.
    std::u16string userName;

    bool OnInitDialog() override;
    // Enter goes through the OK button's selection check.
    void OnOK() override;
    const CommandTable& Commands() const override;

private:
    void OnAdd();
    void OnEdit();
    void OnDelete();
    void OnOkButton();
    void OnPaint(PaintSurface& dc);
    std::u16string SelectedName() const;
    // Every user, with `name` selected when it is listed.
    void ListUsers(std::u16string_view name);

    CListBox userList_{*this, kUserList};
};
