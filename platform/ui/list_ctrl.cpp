#include "platform/ui/controls.h"

#include "platform/text.h"
#include "platform/ui/dialog.h"
#include "platform/ui/dialog_widget.h"
#include "platform/ui/image_list_data.h"
#include "platform/ui/qt_text.h"

#include <QListWidget>
#include <QScrollBar>

#include <algorithm>

namespace {

QListWidget* ListOf(QWidget* widget) { return qobject_cast<QListWidget*>(widget); }

// The image index is kept under Qt::UserRole.
constexpr int kDataRole = Qt::UserRole + 1;

QListWidgetItem* ItemAt(QWidget* widget, int row) {
    QListWidget* list = ListOf(widget);
    return list && row >= 0 && row < list->count() ? list->item(row) : nullptr;
}

int ImageOf(const QListWidgetItem* item) {
    const QVariant image = item->data(Qt::UserRole);
    return image.isValid() ? image.toInt() : -1;
}

}  // namespace

int CListCtrl::InsertItem(int row, std::u16string_view text, int image) {
    QListWidget* list = ListOf(Widget());
    if (!list || row < 0) return -1;
    row = std::min(row, list->count());
    auto* item = new QListWidgetItem(ToQString(text));
    item->setData(Qt::UserRole, image);
    if (const DialogWidget* dialog = DialogAccess::WidgetOf(owner_)) {
        // An index the image list lacks shows no picture.
        item->setIcon(ImageListPicture(dialog->ImageList(id_), image));
    }
    list->insertItem(row, item);
    return row;
}

bool CListCtrl::DeleteItem(int row) {
    QListWidget* list = ListOf(Widget());
    if (!list || row < 0 || row >= list->count()) return false;
    delete list->takeItem(row);
    return true;
}

void CListCtrl::DeleteAllItems() {
    if (QListWidget* list = ListOf(Widget())) {
        list->clear();
        // An emptied list starts again at its top and left, whatever it showed before.
        list->verticalScrollBar()->setValue(0);
        list->horizontalScrollBar()->setValue(0);
    }
}

int CListCtrl::GetItemCount() const {
    QListWidget* list = ListOf(Widget());
    return list ? list->count() : 0;
}

std::u16string CListCtrl::GetItemText(int row) const {
    QListWidget* list = ListOf(Widget());
    if (!list || row < 0 || row >= list->count()) return {};
    return FromQString(list->item(row)->text());
}

int CListCtrl::GetItemImage(int row) const {
    QListWidget* list = ListOf(Widget());
    if (!list || row < 0 || row >= list->count()) return -1;
    return ImageOf(list->item(row));
}

bool CListCtrl::SetItemData(int row, const std::vector<std::u16string>& data) {
    QListWidgetItem* item = ItemAt(Widget(), row);
    if (!item) return false;
    QStringList texts;
    for (const std::u16string& text : data) texts.append(ToQString(text));
    item->setData(kDataRole, texts);
    return true;
}

std::vector<std::u16string> CListCtrl::GetItemData(int row) const {
    std::vector<std::u16string> data;
    if (const QListWidgetItem* item = ItemAt(Widget(), row)) {
        for (const QString& text : item->data(kDataRole).toStringList()) data.push_back(FromQString(text));
    }
    return data;
}

int CListCtrl::FindItem(int flags, int start, std::u16string_view text) const {
    if (!(flags & kFindString)) return -1;
    const bool partial = (flags & kFindPartial) != 0;
    const int count = GetItemCount();
    for (int row = std::max(start + 1, 0); row < count; ++row) {
        const std::u16string item = GetItemText(row);
        if (partial ? StartsWithNoCase(item, text) : EqualsNoCase(item, text)) return row;
    }
    return -1;
}

int CListCtrl::FindExact(std::u16string_view text) const { return FindItem(kFindString, -1, text); }

std::vector<int> CListCtrl::GetSelectedItems() const {
    std::vector<int> rows;
    QListWidget* list = ListOf(Widget());
    if (!list) return rows;
    for (const QListWidgetItem* item : list->selectedItems()) rows.push_back(list->row(item));
    std::sort(rows.begin(), rows.end());
    return rows;
}

int CListCtrl::GetFirstSelectedItem() const {
    const std::vector<int> rows = GetSelectedItems();
    return rows.empty() ? -1 : rows.front();
}

void CListCtrl::SetImageList(CImageList* images) {
    DialogWidget* dialog = DialogAccess::WidgetOf(owner_);
    QListWidget* list = ListOf(Widget());
    if (!dialog || !list) return;
    const CImageList::Data* pictures = images ? images->Pictures() : nullptr;
    dialog->SetImageList(id_, pictures);
    for (int row = 0; row < list->count(); ++row) {
        list->item(row)->setIcon(ImageListPicture(pictures, ImageOf(list->item(row))));
    }
}

void CListCtrl::SetItemAccessibleText(int row, std::u16string_view text) {
    if (QListWidgetItem* item = ItemAt(Widget(), row)) item->setData(Qt::AccessibleTextRole, ToQString(text));
}

void CListCtrl::UserSelect(int row, bool addToSelection) {
    QListWidget* list = ListOf(Widget());
    if (!list || row < 0 || row >= list->count()) return;
    list->setCurrentRow(row, addToSelection ? QItemSelectionModel::Select : QItemSelectionModel::ClearAndSelect);
}
