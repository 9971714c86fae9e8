#pragma once
// A list box's rows as a Qt item model. The view asks only for the rows it
// paints, so a list of thousands costs what a dozen rows cost on the screen:
// no item object, no size measured per row.

#include <QAbstractListModel>
#include <QString>

#include <string_view>
#include <vector>

class ListBoxItems : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    int Count() const { return static_cast<int>(rows_.size()); }
    const QString& Text(int row) const { return rows_[static_cast<std::size_t>(row)]; }
    // The row's text without a copy; valid until the rows change.
    std::u16string_view View(int row) const;
    void Insert(int row, QString text);
    void Remove(int row);
    // Replaces every row at once.
    void Reset(std::vector<QString> rows);

private:
    std::vector<QString> rows_;
};
