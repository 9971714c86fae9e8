#include "platform/ui/controls.h"

#include "platform/text.h"
#include "platform/ui/dialog.h"
#include "platform/ui/list_search.h"
#include "platform/ui/qt_text.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

namespace {

QComboBox* BoxOf(QWidget* widget) { return qobject_cast<QComboBox*>(widget); }


// Clears the selection; an edit field shows `shown`.
void Unselect(QComboBox* box, const QString& shown) {
    box->setCurrentIndex(-1);
    if (box->isEditable()) box->setEditText(shown);
}

// Adding items never selects one, as Qt would for the first item of an empty
// box, and leaves the edit field as it was.
int InsertKeepingSelection(QComboBox* box, int index, const QString& text) {
    const int selected = box->currentIndex();
    const QString shown = box->currentText();
    const QSignalBlocker quiet(box);
    box->insertItem(index, text);
    if (selected == -1 && box->currentIndex() != -1) Unselect(box, shown);
    return index;
}

}  // namespace

int CComboBox::AddString(std::u16string_view text) {
    QComboBox* box = BoxOf(Widget());
    if (!box) return -1;
    const QString item = ToQString(text);
    const int index = IsSortedControl(owner_, id_)
                          ? SortedPosition(box->count(), [box](int i) { return box->itemText(i); }, item)
                          : box->count();
    return InsertKeepingSelection(box, index, item);
}

int CComboBox::InsertString(int index, std::u16string_view text) {
    QComboBox* box = BoxOf(Widget());
    if (!box || index > box->count()) return -1;
    return InsertKeepingSelection(box, index < 0 ? box->count() : index, ToQString(text));
}

int CComboBox::GetCount() const {
    QComboBox* box = BoxOf(Widget());
    return box ? box->count() : 0;
}

int CComboBox::GetCurSel() const {
    QComboBox* box = BoxOf(Widget());
    return box ? box->currentIndex() : -1;
}

int CComboBox::SetCurSel(int index) {
    QComboBox* box = BoxOf(Widget());
    if (!box) return -1;
    const QSignalBlocker quiet(box);
    if (index < 0 || index >= box->count()) {
        box->setCurrentIndex(-1);
        return -1;
    }
    box->setCurrentIndex(index);
    return index;
}

std::u16string CComboBox::GetLBText(int index) const {
    QComboBox* box = BoxOf(Widget());
    if (!box || index < 0 || index >= box->count()) return {};
    return FromQString(box->itemText(index));
}

std::u16string CComboBox::SelectedText() const { return GetLBText(GetCurSel()); }

std::u16string CComboBox::GetWindowText() const {
    QComboBox* box = BoxOf(Widget());
    return box ? FromQString(box->currentText()) : std::u16string();
}

void CComboBox::SetWindowText(std::u16string_view text) {
    if (QComboBox* box = BoxOf(Widget()); box && box->isEditable()) box->setEditText(ToQString(text));
}

int CComboBox::FindStringExact(int start, std::u16string_view text) const {
    return SearchWrapping(GetCount(), start, [&](int i) { return EqualsNoCase(GetLBText(i), text); });
}

int CComboBox::FindString(int start, std::u16string_view prefix) const {
    return SearchWrapping(GetCount(), start, [&](int i) { return StartsWithPastBracket(GetLBText(i), prefix); });
}

int CComboBox::SelectString(int start, std::u16string_view prefix) {
    const int found = FindString(start, prefix);
    if (found >= 0) SetCurSel(found);
    return found;
}

void CComboBox::UserChoose(int index) {
    if (index < 0 || index >= GetCount()) return;
    SetCurSel(index);
    owner_.SendCommand(id_, kNotifySelectionConfirmed);
}

void CComboBox::UserType(std::u16string_view text) {
    QComboBox* box = BoxOf(Widget());
    if (!box || !box->lineEdit()) return;
    // Typed as a person would: the edit signals it, and the box forgets its selection.
    box->lineEdit()->selectAll();
    box->lineEdit()->insert(ToQString(text));
}
