// The Qt controls of a template, with the handheld's conventions.

#include "platform/paint/bitmap_images.h"
#include "platform/ui/date_picker.h"
#include "platform/ui/dialog_widget.h"
#include "platform/ui/list_box_items.h"
#include "platform/ui/one_line_field.h"
#include "platform/ui/qt_text.h"
#include "platform/ui/ui_scale.h"

#include <QComboBox>
#include <QWheelEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyledItemDelegate>

#include <algorithm>
#include <cmath>

namespace {

// A closed combo box is as high as an edit field; the rest of its template height is the drop list.
constexpr int kClosedComboUnits = 12;
constexpr int kIconSize = 16;
constexpr int kRowHeight = 17;

// Rows as close as the handheld's: a small picture or a line of text, whichever is higher.
class CompactRows : public QStyledItemDelegate {
public:
    CompactRows(int rowHeight, QObject* parent) : QStyledItemDelegate(parent), rowHeight_(rowHeight) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width(), rowHeight_);
    }

private:
    int rowHeight_;
};

QRect LogicalRect(const ControlTemplate& control) {
    const int left = DialogUnitsToPixelsX(control.x), top = DialogUnitsToPixelsY(control.y);
    return QRect(left, top, DialogUnitsToPixelsX(control.x + control.width) - left,
                 DialogUnitsToPixelsY(control.y + control.height) - top);
}

void Send(DialogWidget* widget, int id, int code) {
    if (CDialog* dialog = widget->Dialog()) dialog->SendCommand(id, code);
}

QWidget* MakeButton(DialogWidget& widget, const ControlTemplate& control) {
    auto* button = new QPushButton(ToQString(control.text), &widget);
    // The dialog's own key handling presses the focused button on Enter, never
    // whichever button Qt thinks is default.
    button->setAutoDefault(false);
    button->setDefault((control.style & kStyleDefaultButton) != 0);
    QObject::connect(button, &QPushButton::clicked, button,
                     [dialogWidget = &widget, id = control.id] { Send(dialogWidget, id, kNotifyClicked); });
    return button;
}

QWidget* MakeEdit(DialogWidget& widget, const ControlTemplate& control) {
    auto* edit = new QLineEdit(&widget);
    edit->setFrame((control.style & kStyleBorder) != 0);
    KeepOneLine(edit);
    return edit;
}

// Once the person edits the text the box has no selected item, even when the text equals one.
void ForgetSelection(QComboBox* box, const QString& typed) {
    if (box->currentIndex() == -1) return;
    QLineEdit* edit = box->lineEdit();
    const int cursor = edit->cursorPosition();
    const QSignalBlocker quiet(box);
    box->setCurrentIndex(-1);
    edit->setText(typed);
    edit->setCursorPosition(cursor);
}

// The handheld had no wheel: one turned over a closed box, often on its way
// elsewhere, must not change the choice (Qt would report it chosen).
class WheelStillBox : public QComboBox {
public:
    using QComboBox::QComboBox;

protected:
    void wheelEvent(QWheelEvent* event) override { event->ignore(); }
};

QWidget* MakeComboBox(DialogWidget& widget, const ControlTemplate& control, int itemHeight) {
    auto* box = new WheelStillBox(&widget);
    if (control.style & kStyleDropDown) {
        box->setEditable(true);
        box->setCompleter(nullptr);
        box->setInsertPolicy(QComboBox::NoInsert);
        KeepOneLine(box->lineEdit());
        QObject::connect(box->lineEdit(), &QLineEdit::textEdited, box,
                         [box, dialogWidget = &widget, id = control.id](const QString& typed) {
                             ForgetSelection(box, typed);
                             Send(dialogWidget, id, kNotifyEditChanged);
                         });
        // Qt selects the item equal to the typed text, and reports it chosen, when
        // the field is left or Enter is pressed; leaving a box chooses nothing.
        QObject::disconnect(box->lineEdit(), &QLineEdit::editingFinished, box, nullptr);
        QObject::disconnect(box->lineEdit(), &QLineEdit::returnPressed, box, nullptr);
    }
    const int listHeight = LogicalRect(control).height() - DialogUnitsToPixelsY(kClosedComboUnits);
    box->setMaxVisibleItems(std::max(3, listHeight / std::max(1, itemHeight)));
    QObject::connect(box, &QComboBox::activated, box, [dialogWidget = &widget, id = control.id](int) {
        Send(dialogWidget, id, kNotifySelectionConfirmed);
    });
    return box;
}

// Rows as wide as the box, all as high as the first: one long name neither
// widens the others nor brings a sideways scroll bar (it ends in an
// ellipsis), and no row is measured but the first.
class BoxWideRows : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QSize(0, QStyledItemDelegate::sizeHint(option, index).height());
    }
};

QWidget* MakeListBox(DialogWidget& widget, const ControlTemplate& control) {
    auto* list = new QListView(&widget);
    list->setModel(new ListBoxItems(list));
    list->setUniformItemSizes(true);
    list->setItemDelegate(new BoxWideRows(list));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setFrameShape((control.style & kStyleBorder) ? QFrame::StyledPanel : QFrame::NoFrame);
    return list;
}

QWidget* MakeListView(DialogWidget& widget, const ControlTemplate& control) {
    auto* list = new QListWidget(&widget);
    list->setViewMode(QListView::ListMode);
    list->setFlow(QListView::TopToBottom);
    list->setWrapping(false);
    list->setUniformItemSizes((control.style & kStyleUniformRows) != 0);
    // Long rows scroll sideways rather than lose their ends.
    list->setTextElideMode(Qt::ElideNone);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list->setItemDelegate(new CompactRows(widget.ToWidget(kRowHeight), list));
    // The corner between the two scroll bars is filled like the rest of the frame.
    auto* corner = new QWidget(list);
    corner->setAutoFillBackground(true);
    list->setCornerWidget(corner);
    list->setIconSize(QSize(widget.ToWidget(kIconSize), widget.ToWidget(kIconSize)));
    // As the handheld's list views: a click selects one row, Ctrl and Shift add more.
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setFrameShape((control.style & kStyleBorder) ? QFrame::StyledPanel : QFrame::NoFrame);
    return list;
}

QWidget* MakeDatePicker(DialogWidget& widget) { return new DatePicker(&widget); }

QWidget* MakeScrollBar(DialogWidget& widget, const ControlTemplate& control) {
    auto* bar = new QScrollBar(Qt::Vertical, &widget);
    // A tab stop takes the keys: arrows move a line, Page Up and Page Down a page.
    bar->setFocusPolicy((control.style & kStyleTabStop) ? Qt::StrongFocus : Qt::NoFocus);
    QObject::connect(bar, &QScrollBar::valueChanged, bar, [dialogWidget = &widget, id = control.id](int) {
        Send(dialogWidget, id, kNotifyScrolled);
    });
    return bar;
}

QWidget* MakeIcon(DialogWidget& widget, const ControlTemplate& control) {
    auto* label = new QLabel(&widget);
    const QImage icon = IconImage(control.resource);
    if (!icon.isNull()) {
        // Pixel art, enlarged by whole screen pixels without smoothing.
        const int size = static_cast<int>(std::lround(icon.width() * widget.Scale()));
        QPixmap pixmap = QPixmap::fromImage(icon.scaled(size, size, Qt::KeepAspectRatio, Qt::FastTransformation));
        pixmap.setDevicePixelRatio(widget.Scale() / WidgetScale(widget.Scale()));
        label->setPixmap(pixmap);
    }
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

}  // namespace

void CreateControls(DialogWidget& widget, const DialogTemplate& dialogTemplate) {
    const int itemHeight = DialogUnitsToPixelsY(8);
    for (const ControlTemplate& control : dialogTemplate.controls) {
        QWidget* made = nullptr;
        QRect rect = LogicalRect(control);
        switch (control.kind) {
        case ControlClass::Button: made = MakeButton(widget, control); break;
        case ControlClass::Edit: made = MakeEdit(widget, control); break;
        case ControlClass::ComboBox:
            made = MakeComboBox(widget, control, itemHeight);
            rect.setHeight(std::min(rect.height(), DialogUnitsToPixelsY(kClosedComboUnits)));
            break;
        case ControlClass::ListBox: made = MakeListBox(widget, control); break;
        case ControlClass::ListView: made = MakeListView(widget, control); break;
        case ControlClass::DateTimePicker: made = MakeDatePicker(widget); break;
        case ControlClass::StaticIcon: made = MakeIcon(widget, control); break;
        case ControlClass::VScrollBar: made = MakeScrollBar(widget, control); break;
        }
        made->setGeometry(widget.ToWidget(rect));
        widget.AddControl(control.id, made);
    }
}
