#include "platform/ui/controls.h"

#include "platform/text.h"
#include "platform/ui/dialog.h"
#include "platform/ui/list_box_items.h"
#include "platform/ui/list_search.h"
#include "platform/ui/qt_text.h"

#include <QListView>

namespace {

QListView* ListOf(QWidget* widget) { return qobject_cast<QListView*>(widget); }

ListBoxItems* ItemsOf(QWidget* widget) {
    QListView* list = ListOf(widget);
    return list ? dynamic_cast<ListBoxItems*>(list->model()) : nullptr;
}

}  // namespace

int CListBox::AddString(std::u16string_view text) {
    ListBoxItems* items = ItemsOf(Widget());
    if (!items) return -1;
    QString item = ToQString(text);
    const int index = IsSortedControl(owner_, id_)
                          ? SortedPosition(items->Count(), [items](int i) { return items->Text(i); }, item)
                          : items->Count();
    items->Insert(index, std::move(item));
    return index;
}

void CListBox::SetItems(const std::vector<std::u16string>& texts) {
    ListBoxItems* items = ItemsOf(Widget());
    if (!items) return;
    std::vector<QString> rows;
    rows.reserve(texts.size());
    for (const std::u16string& text : texts) rows.push_back(ToQString(text));
    if (IsSortedControl(owner_, id_)) SortItems(rows);
    items->Reset(std::move(rows));
}

int CListBox::DeleteString(int index) {
    QListView* list = ListOf(Widget());
    ListBoxItems* items = ItemsOf(list);
    if (!items || index < 0 || index >= items->Count()) return -1;
    const bool wasSelected = list->selectionModel()->isRowSelected(index);
    items->Remove(index);
    // The selection does not move to a neighbour of the removed row.
    if (wasSelected) list->clearSelection();
    return items->Count();
}

int CListBox::GetCount() const {
    const ListBoxItems* items = ItemsOf(Widget());
    return items ? items->Count() : 0;
}

int CListBox::GetCurSel() const {
    QListView* list = ListOf(Widget());
    if (!list || !list->selectionModel()) return -1;
    const QModelIndexList selected = list->selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.front().row();
}

int CListBox::SetCurSel(int index) {
    QListView* list = ListOf(Widget());
    if (!ItemsOf(list)) return -1;
    if (index < 0 || index >= list->model()->rowCount()) {
        list->clearSelection();
        return -1;
    }
    list->selectionModel()->setCurrentIndex(list->model()->index(index, 0), QItemSelectionModel::ClearAndSelect);
    return index;
}

std::u16string CListBox::GetText(int index) const {
    const ListBoxItems* items = ItemsOf(Widget());
    if (!items || index < 0 || index >= items->Count()) return {};
    return std::u16string(items->View(index));
}

int CListBox::FindStringExact(int start, std::u16string_view text) const {
    const ListBoxItems* items = ItemsOf(Widget());
    if (!items) return -1;
    return SearchWrapping(items->Count(), start, [&](int i) { return EqualsNoCase(items->View(i), text); });
}

int CListBox::FindString(int start, std::u16string_view prefix) const {
    const ListBoxItems* items = ItemsOf(Widget());
    if (!items) return -1;
    return SearchWrapping(items->Count(), start, [&](int i) { return StartsWithPastBracket(items->View(i), prefix); });
}

int CListBox::SelectString(int start, std::u16string_view prefix) {
    const int found = FindString(start, prefix);
    if (found >= 0) SetCurSel(found);
    return found;
}

void CListBox::UserSelect(int index) { SetCurSel(index); }
