#include "review/test_name_choice.h"

#include "platform/ui/controls.h"

void SelectNamedTest(CComboBox& box, std::u16string_view name) {
    // A beginning alone would take "Glucose Tolerance" for "Glucose".
    const int equal = box.FindStringExact(-1, name);
    if (equal != -1) {
        box.SetCurSel(equal);
    } else {
        box.SelectString(0, name);
    }
}
