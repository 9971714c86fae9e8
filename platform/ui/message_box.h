#pragma once
// Message boxes with only an OK button, no icon, and the application's name as caption.

#include <string>
#include <string_view>

class CDialog;

// Shows `text` owned by `owner` (nullptr for none) and returns IDOK once dismissed.
int MessageBox(CDialog* owner, std::u16string_view text);

// Asks `text` with Yes and No buttons, No being the default button and the
// answer of Escape and of closing the box. True only for Yes.
bool AskYesNo(CDialog* owner, std::u16string_view text);

// Shows `text` with no owner from the event loop, once no paint handler runs
// above the innermost modal run: for what is found in the middle of a read,
// which may be in a paint handler.
void PostMessageBox(std::u16string text);
// For the framework: a paint handler ended, so a posted message may show now.
void ShowWaitingMessages();
