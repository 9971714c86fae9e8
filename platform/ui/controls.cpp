#include "platform/ui/controls.h"

#include "platform/text.h"
#include "platform/ui/accessible_names.h"
#include "platform/ui/dialog.h"
#include "platform/ui/qt_text.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>

namespace {

QLineEdit* EditOf(QWidget* widget) { return qobject_cast<QLineEdit*>(widget); }

}  // namespace

QWidget* CControl::Widget() const { return owner_.ControlWidget(id_); }

bool CControl::Exists() const { return Widget() != nullptr; }

void CControl::ShowWindow(bool show) {
    if (QWidget* widget = Widget()) widget->setVisible(show);
}

void CControl::SetAccessibleName(std::u16string_view name) {
    if (QWidget* widget = Widget()) {
        widget->setAccessibleName(ToQString(name));
        widget->setProperty(kNamedByProgram, true);
        // A drop-down box's edit field is named alike.
        if (auto* box = qobject_cast<QComboBox*>(widget); box && box->lineEdit())
            box->lineEdit()->setAccessibleName(ToQString(name));
    }
}

std::u16string CButton::Text() const {
    auto* button = qobject_cast<QPushButton*>(Widget());
    return button ? FromQString(button->text()) : std::u16string();
}

std::u16string CEdit::Text() const {
    QLineEdit* edit = EditOf(Widget());
    return edit ? FromQString(edit->text()) : std::u16string();
}

std::u16string CEdit::OneLine() const { return ::OneLine(Text()); }

void CEdit::SetText(std::u16string_view text) {
    if (QLineEdit* edit = EditOf(Widget())) edit->setText(ToQString(text));
}

void CEdit::SetCueBanner(std::u16string_view text) {
    if (QLineEdit* edit = EditOf(Widget())) edit->setPlaceholderText(ToQString(text));
}

void CEdit::FocusSelected() {
    if (QLineEdit* edit = EditOf(Widget())) {
        edit->setFocus(Qt::OtherFocusReason);
        edit->selectAll();
    }
}

void CEdit::UserType(std::u16string_view text) {
    if (QLineEdit* edit = EditOf(Widget())) {
        edit->selectAll();
        edit->insert(ToQString(text));
    }
}

namespace {

QScrollBar* BarOf(QWidget* widget) { return qobject_cast<QScrollBar*>(widget); }

}  // namespace

void CScrollBar::SetScrollRange(int min, int max, int page) {
    if (QScrollBar* bar = BarOf(Widget())) {
        const QSignalBlocker quiet(bar);
        bar->setRange(min, std::max(min, max));
        bar->setPageStep(std::max(1, page));
    }
}

void CScrollBar::SetScrollPos(int pos) {
    if (QScrollBar* bar = BarOf(Widget())) {
        const QSignalBlocker quiet(bar);
        bar->setValue(pos);
    }
}

int CScrollBar::GetScrollPos() const {
    const QScrollBar* bar = BarOf(Widget());
    return bar ? bar->value() : 0;
}
