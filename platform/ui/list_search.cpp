#include "platform/ui/list_search.h"

#include "platform/text.h"
#include "platform/ui/dialog.h"

#include <QCollator>
#include <QLocale>
#include <QRegularExpression>

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

// The word sort: hyphens and apostrophes only part texts that are otherwise equal.
int WordCompare(const QString& a, const QString& b) {
    static const QRegularExpression kNearlyIgnored(QStringLiteral("[-'\u2019]"));
    const QCollator& order = ItemOrder();
    const int words = order.compare(QString(a).remove(kNearlyIgnored), QString(b).remove(kNearlyIgnored));
    return words != 0 ? words : order.compare(a, b);
}

bool StartsWithPastBracket(std::u16string_view item, std::u16string_view prefix) {
    if (StartsWithNoCase(item, prefix)) return true;
    for (std::u16string_view lead : {u"[-", u"["}) {
        if (item.starts_with(lead)) return StartsWithNoCase(item.substr(lead.size()), prefix);
    }
    return false;
}

int SortedPosition(int count, const std::function<QString(int)>& itemText, const QString& text) {
    int low = 0, high = count;
    while (low < high) {
        const int middle = (low + high) / 2;
        if (WordCompare(itemText(middle), text) <= 0) low = middle + 1;
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
