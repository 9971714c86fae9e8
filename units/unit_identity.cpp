#include "units/unit_identity.h"

#include "platform/text.h"

#include <array>

namespace {

constexpr char16_t kMicro = u'\u03BC';  // Greek mu, what the micro sign U+00B5 folds to

bool IsBlank(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r') || c == u'\u00A0' || c == u'\u2009' ||
           c == u'\u202F';
}

bool IsAsciiPunctuation(char16_t c) {
    return (c >= u'!' && c <= u'/') || (c >= u':' && c <= u'@') || (c >= u'[' && c <= u'`') ||
           (c >= u'{' && c <= u'~');
}

// Unit symbols (folded) that take the micro prefix in laboratory units.
constexpr std::array<std::u16string_view, 7> kMicroTakers = {u"g", u"mol", u"l", u"iu", u"u",
                                                             u"eq", u"kat"};

bool TakesMicro(std::u16string_view rest) {
    for (std::u16string_view symbol : kMicroTakers)
        if (rest.starts_with(symbol)) return true;
    return false;
}

// "u" and "mc" written for micro at the start of a unit's part: "umol", "mcg/dL".
void SpellMicroAlike(std::u16string& key) {
    for (std::size_t start = 0; start < key.size();) {
        const std::u16string_view part = std::u16string_view(key).substr(start);
        const std::size_t prefix = part.starts_with(u"mc") ? 2 : part.starts_with(u"u") ? 1 : 0;
        if (prefix != 0 && TakesMicro(part.substr(prefix))) key.replace(start, prefix, 1, kMicro);
        const std::size_t slash = key.find(u'/', start);
        start = slash == std::u16string::npos ? key.size() : slash + 1;
    }
}

}  // namespace

UnitParts SplitUnit(std::u16string_view unit) {
    const std::size_t open = unit.find(u'(');
    if (open == std::u16string_view::npos) return {std::u16string(unit), {}};
    std::u16string_view note = unit.substr(open + 1);
    note = note.substr(0, note.find(u')'));
    return {std::u16string(unit.substr(0, open)), std::u16string(note)};
}

std::u16string UnitShown(std::u16string_view unit) {
    std::u16string shown = SplitUnit(unit).unit;
    const std::size_t first = shown.find_first_not_of(u' ');
    if (first == std::u16string::npos) return {};
    return shown.substr(first, shown.find_last_not_of(u' ') - first + 1);
}

std::u16string UnitKey(std::u16string_view unit) {
    std::u16string key;
    for (char16_t c : FoldCase(SplitUnit(unit).unit))
        if (!IsBlank(c)) key.push_back(c == u'\u00B5' ? kMicro : c);
    SpellMicroAlike(key);
    return key;
}

bool SameUnit(std::u16string_view a, std::u16string_view b) { return UnitKey(a) == UnitKey(b); }

std::u16string ResultNameKey(std::u16string_view name) {
    std::u16string key;
    for (char16_t c : FoldCase(name.substr(0, name.find(u" ("))))
        if (!IsBlank(c) && !IsAsciiPunctuation(c)) key.push_back(c);
    return key;
}
