#include "platform/ui/list_box_items.h"

int ListBoxItems::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Count(); }

QVariant ListBoxItems::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= Count()) return {};
    return role == Qt::DisplayRole ? QVariant(Text(index.row())) : QVariant();
}

std::u16string_view ListBoxItems::View(int row) const {
    const QString& text = Text(row);
    return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

void ListBoxItems::Insert(int row, QString text) {
    beginInsertRows(QModelIndex(), row, row);
    rows_.insert(rows_.begin() + row, std::move(text));
    endInsertRows();
}

void ListBoxItems::Remove(int row) {
    beginRemoveRows(QModelIndex(), row, row);
    rows_.erase(rows_.begin() + row);
    endRemoveRows();
}

void ListBoxItems::Reset(std::vector<QString> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}
