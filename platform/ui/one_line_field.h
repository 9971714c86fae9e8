#pragma once
// One-line fields show what the program takes from them: a pasted line break
// becomes a blank and the text stops at the bound, as the stores would have it.

class QLineEdit;

void KeepOneLine(QLineEdit* edit);
