#pragma once
// What a dialog's list view or list box shows, row by row.

#include "platform/ui/controls.h"

#include <string>
#include <vector>

inline std::vector<std::u16string> ListRows(CDialog& dialog, int id) {
    CListCtrl list(dialog, id);
    std::vector<std::u16string> rows;
    for (int i = 0; i < list.GetItemCount(); ++i) rows.push_back(list.GetItemText(i));
    return rows;
}

inline std::vector<std::u16string> ListBoxRows(CDialog& dialog, int id) {
    CListBox list(dialog, id);
    std::vector<std::u16string> rows;
    for (int i = 0; i < list.GetCount(); ++i) rows.push_back(list.GetText(i));
    return rows;
}
