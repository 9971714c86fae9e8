#include "platform/ui/list_search.h"

#include "platform/ui/dialog.h"

#include <QCollator>
#include <QLocale>

namespace {

const QCollator& ItemOrder() {
    static const QCollator collator = [] {
        // The C locale has no collation of its own; English orders accented letters beside their base.
        QLocale locale;
        if (locale.language() == QLocale::C) locale = QLocale(QLocale::English, QLocale::UnitedStates);
        QCollator made(locale);
        made.setCaseSensitivity(Qt::CaseInsensitive);
        return made;
    }();
    return collator;
}

}  // namespace

int SearchWrapping(int count, int start, const std::function<bool(int)>& matches) {
    const int first = (start < 0 || start >= count) ? 0 : start + 1;
    for (int step = 0; step < count; ++step) {
        const int index = (first + step) % count;
        if (matches(index)) return index;
    }
    return -1;
}

int SortedPosition(int count, const std::function<QString(int)>& itemText, const QString& text) {
    const QCollator& order = ItemOrder();
    int low = 0, high = count;
    while (low < high) {
        const int middle = (low + high) / 2;
        if (order.compare(itemText(middle), text) <= 0) low = middle + 1;
        else high = middle;
    }
    return low;
}

bool IsSortedControl(const CDialog& owner, int id) {
    for (const ControlTemplate& control : owner.Template().controls) {
        if (control.id == id) return (control.style & kStyleSorted) != 0;
    }
    return false;
}
