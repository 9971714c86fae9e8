#pragma once
// Message boxes with only an OK button, no icon, and the application's name as caption.

#include <string_view>

class CDialog;

// Shows `text` owned by `owner` (nullptr for none) and returns IDOK once dismissed.
int MessageBox(CDialog* owner, std::u16string_view text);
