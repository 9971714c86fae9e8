#pragma once
// The searches and the sorted order that combo boxes and list boxes share.

#include <QString>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class CDialog;

// The first item from the one after `start` to the end, then from the top up
// to `start` itself, for which `matches` holds; -1 (or a start outside the
// list) searches the whole list from the top. -1 when none matches.
int SearchWrapping(int count, int start, const std::function<bool(int)>& matches);

// The prefix search's match: the item begins with `prefix` ignoring case, also
// when looked at past a leading "[-" or "[".
bool StartsWithPastBracket(std::u16string_view item, std::u16string_view prefix);

// Where `text` goes in a sorted list: after every item that sorts before it or
// equal to it, in the case-insensitive order of the user's locale (accents count),
// as a word sort: hyphens and apostrophes are nearly ignored.
int SortedPosition(int count, const std::function<QString(int)>& itemText, const QString& text);
// Puts `texts` in that order as adding them one at a time would: equal items
// keep their order. Texts already in order cost one comparison each.
void SortItems(std::vector<QString>& texts);

// Whether control `id` of the dialog's template keeps its items sorted.
bool IsSortedControl(const CDialog& owner, int id);
