// The date picker's calendar as a screen reader finds it: a table whose days
// are named by their full dates, not by the day numbers they show.

#include "platform/ui/accessibility.h"

#include <QAccessibleWidget>
#include <QCalendarWidget>
#include <QLocale>
#include <QPointer>
#include <QTableView>
#include <QTextCharFormat>
#include <QWindow>

namespace {

// The calendar's own model gives each day's tooltip, which NameCalendarDays sets to the full date.
QString DayName(const QModelIndex& cell) {
    const QString date = cell.data(Qt::ToolTipRole).toString();
    return date.isEmpty() ? cell.data(Qt::DisplayRole).toString() : date;
}

// One cell of the calendar's grid, in the view's own numbering of its cells:
// row or column -1 are the places of the view's hidden headers.
class CalendarCellAccessible : public AccessibleLeaf {
public:
    CalendarCellAccessible(QTableView* view, int row, int column) : view_(view), row_(row), column_(column) {}

    bool isValid() const override {
        return view_ && view_->model() && row_ < view_->model()->rowCount() && column_ < view_->model()->columnCount();
    }
    QWindow* window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(view_.data()); }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && IsCell() ? DayName(Index()) : QString();
    }
    QRect rect() const override {
        if (!IsCell()) return {};
        const QRect cell = view_->visualRect(Index());
        return QRect(view_->viewport()->mapToGlobal(cell.topLeft()), cell.size());
    }
    QAccessible::Role role() const override {
        if (!IsCell()) return row_ < 0 ? QAccessible::ColumnHeader : QAccessible::RowHeader;
        // Days have a date; the first row's cells name the days of the week.
        return Index().data(Qt::ToolTipRole).toString().isEmpty() ? QAccessible::ColumnHeader : QAccessible::Cell;
    }
    QAccessible::State state() const override {
        QAccessible::State state;
        if (!IsCell()) {
            state.invisible = true;
            return state;
        }
        const QModelIndex index = Index();
        state.selectable = state.focusable = true;
        state.selected = view_->selectionModel() && view_->selectionModel()->isSelected(index);
        state.focused = view_->hasFocus() && view_->currentIndex() == index;
        return state;
    }

private:
    bool IsCell() const { return isValid() && row_ >= 0 && column_ >= 0; }
    QModelIndex Index() const { return view_->model()->index(row_, column_); }

    QPointer<QTableView> view_;
    int row_, column_;
};

class CalendarGridAccessible : public QAccessibleWidget {
public:
    explicit CalendarGridAccessible(QTableView* view) : QAccessibleWidget(view, QAccessible::Table) {}
    ~CalendarGridAccessible() override {
        for (const QAccessible::Id id : cells_) {
            if (id != 0) QAccessible::deleteAccessibleInterface(id);
        }
    }

    // Numbered as the view numbers its cells in its own accessibility events:
    // row by row, each row and column one further for the header places.
    int childCount() const override { return (Rows() + 1) * (Columns() + 1); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) return nullptr;
        if (cells_.size() < static_cast<std::size_t>(childCount())) cells_.resize(static_cast<std::size_t>(childCount()), 0);
        QAccessible::Id& id = cells_[static_cast<std::size_t>(index)];
        if (id == 0) {
            const int stride = Columns() + 1;
            id = QAccessible::registerAccessibleInterface(
                new CalendarCellAccessible(View(), index / stride - 1, index % stride - 1));
        }
        return QAccessible::accessibleInterface(id);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (std::size_t i = 0; i < cells_.size(); ++i) {
            if (cells_[i] != 0 && QAccessible::accessibleInterface(cells_[i]) == child) return static_cast<int>(i);
        }
        return -1;
    }
    QAccessibleInterface* focusChild() const override {
        const QModelIndex current = View()->currentIndex();
        if (!current.isValid()) return nullptr;
        return child((current.row() + 1) * (Columns() + 1) + current.column() + 1);
    }

private:
    QTableView* View() const { return static_cast<QTableView*>(widget()); }
    int Rows() const { return View()->model() ? View()->model()->rowCount() : 0; }
    int Columns() const { return View()->model() ? View()->model()->columnCount() : 0; }

    mutable std::vector<QAccessible::Id> cells_;
};

}  // namespace

void NameCalendarDays(QCalendarWidget& calendar) {
    // Every day a page can show: from two weeks before its month to seven after its start.
    const auto name = [&calendar](int year, int month) {
        const QDate first(year, month, 1);
        const QLocale locale = calendar.locale();
        for (QDate day = first.addDays(-14); day < first.addDays(49); day = day.addDays(1)) {
            QTextCharFormat format = calendar.dateTextFormat(day);
            format.setToolTip(locale.toString(day, QLocale::LongFormat));
            calendar.setDateTextFormat(day, format);
        }
    };
    name(calendar.yearShown(), calendar.monthShown());
    QObject::connect(&calendar, &QCalendarWidget::currentPageChanged, &calendar, name);
}

QAccessibleInterface* CalendarAccessibleFor(const QString&, QObject* object) {
    auto* view = qobject_cast<QTableView*>(object);
    const bool calendarDays = view && qobject_cast<QCalendarWidget*>(view->parentWidget());
    return calendarDays ? new CalendarGridAccessible(view) : nullptr;
}
