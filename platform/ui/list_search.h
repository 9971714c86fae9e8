#pragma once
// The searches and the sorted order that combo boxes and list boxes share.

#include <QString>

#include <functional>
#include <string>
#include <string_view>

class CDialog;

// The first item from the one after `start` to the end, then from the top up
// to `start` itself, for which `matches` holds; -1 (or a start outside the
// list) searches the whole list from the top. -1 when none matches.
int SearchWrapping(int count, int start, const std::function<bool(int)>& matches);

// Where `text` goes in a sorted list: after every item that sorts before it or
// equal to it, in the case-insensitive order of the user's locale (accents count).
int SortedPosition(int count, const std::function<QString(int)>& itemText, const QString& text);

// Whether control `id` of the dialog's template keeps its items sorted.
bool IsSortedControl(const CDialog& owner, int id);
