#include "platform/ui/list_search.h"

#include "platform/text.h"
#include "platform/ui/dialog.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>

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

bool NearlyIgnored(QChar c) { return c == u'-' || c == u'\'' || c == u'\u2019'; }

bool HasNearlyIgnored(const QString& text) { return std::any_of(text.begin(), text.end(), NearlyIgnored); }

QString WithoutNearlyIgnored(QString text) { return text.removeIf(NearlyIgnored); }

// The word sort: hyphens and apostrophes only part texts that are otherwise equal.
int WordCompare(const QString& a, const QString& b) {
    const QCollator& order = ItemOrder();
    if (!HasNearlyIgnored(a) && !HasNearlyIgnored(b)) return order.compare(a, b);
    const int words = order.compare(WithoutNearlyIgnored(a), WithoutNearlyIgnored(b));
    return words != 0 ? words : order.compare(a, b);
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

bool StartsWithPastBracket(std::u16string_view item, std::u16string_view prefix) {
    if (StartsWithNoCase(item, prefix)) return true;
    for (std::u16string_view lead : {u"[-", u"["}) {
        if (item.starts_with(lead)) return StartsWithNoCase(item.substr(lead.size()), prefix);
    }
    return false;
}

void SortItems(std::vector<QString>& texts) {
    const auto before = [](const QString& a, const QString& b) { return WordCompare(a, b) < 0; };
    if (std::is_sorted(texts.begin(), texts.end(), before)) return;
    // Each text's key is made once: keys compare far faster than texts do.
    struct Keyed {
        QCollatorSortKey words;
        QString text;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(texts.size());
    for (QString& text : texts) keyed.push_back({ItemOrder().sortKey(WithoutNearlyIgnored(text)), std::move(text)});
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        const int words = a.words.compare(b.words);
        return words != 0 ? words < 0 : ItemOrder().compare(a.text, b.text) < 0;
    });
    for (std::size_t i = 0; i < texts.size(); ++i) texts[i] = std::move(keyed[i].text);
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
