#pragma once
// The test an opener names, chosen in a box of test names.

#include <string_view>

class CComboBox;

// Selects the item equal to `name` ignoring case; when none is, the first item
// that begins with it, looked for from item 1 on and at item 0 last. When
// neither is found nothing is selected.
void SelectNamedTest(CComboBox& box, std::u16string_view name);
