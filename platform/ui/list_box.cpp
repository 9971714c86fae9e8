#include "platform/ui/controls.h"

#include "platform/text.h"
#include "platform/ui/dialog.h"
#include "platform/ui/list_search.h"
#include "platform/ui/qt_text.h"

#include <QListWidget>

namespace {

QListWidget* ListOf(QWidget* widget) { return qobject_cast<QListWidget*>(widget); }


}  // namespace

int CListBox::AddString(std::u16string_view text) {
    QListWidget* list = ListOf(Widget());
    if (!list) return -1;
    const QString item = ToQString(text);
    const int index = IsSortedControl(owner_, id_)
                          ? SortedPosition(list->count(), [list](int i) { return list->item(i)->text(); }, item)
                          : list->count();
    list->insertItem(index, item);
    return index;
}

int CListBox::DeleteString(int index) {
    QListWidget* list = ListOf(Widget());
    if (!list || index < 0 || index >= list->count()) return -1;
    const bool wasSelected = list->item(index)->isSelected();
    delete list->takeItem(index);
    // The selection does not move to a neighbour of the removed row.
    if (wasSelected) list->clearSelection();
    return list->count();
}

void CListBox::ResetContent() {
    if (QListWidget* list = ListOf(Widget())) list->clear();
}

int CListBox::GetCount() const {
    QListWidget* list = ListOf(Widget());
    return list ? list->count() : 0;
}

int CListBox::GetCurSel() const {
    QListWidget* list = ListOf(Widget());
    if (!list) return -1;
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.front());
}

int CListBox::SetCurSel(int index) {
    QListWidget* list = ListOf(Widget());
    if (!list) return -1;
    if (index < 0 || index >= list->count()) {
        list->clearSelection();
        return -1;
    }
    list->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
    return index;
}

std::u16string CListBox::GetText(int index) const {
    QListWidget* list = ListOf(Widget());
    if (!list || index < 0 || index >= list->count()) return {};
    return FromQString(list->item(index)->text());
}

int CListBox::FindStringExact(int start, std::u16string_view text) const {
    return SearchWrapping(GetCount(), start, [&](int i) { return EqualsNoCase(GetText(i), text); });
}

int CListBox::FindString(int start, std::u16string_view prefix) const {
    return SearchWrapping(GetCount(), start, [&](int i) { return StartsWithPastBracket(GetText(i), prefix); });
}

int CListBox::SelectString(int start, std::u16string_view prefix) {
    const int found = FindString(start, prefix);
    if (found >= 0) SetCurSel(found);
    return found;
}

void CListBox::UserSelect(int index) { SetCurSel(index); }
