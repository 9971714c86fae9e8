#include "platform/ui/accessible_names.h"

#include "platform/ui/dialog_widget.h"
#include "platform/ui/qt_text.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace {

// In logical pixels: how far a label's top may stand from its control's top
// when beside it, and how far above a control a label over it may stand.
constexpr int kBesideAbove = 8, kBesideBelow = 12;
constexpr int kOverNearest = 8, kOverFarthest = 32;

const DrawnText* LabelFor(const DialogWidget& widget, const QRect& control, const std::vector<DrawnText>& labels) {
    const DrawnText* beside = nullptr;
    const DrawnText* over = nullptr;
    for (const DrawnText& label : labels) {
        if (label.text.empty()) continue;
        const int x = widget.ToWidget(label.x), y = widget.ToWidget(label.y);
        if (x < control.left() && y >= control.top() - widget.ToWidget(kBesideAbove) &&
            y <= control.top() + widget.ToWidget(kBesideBelow)) {
            if (!beside || label.x > beside->x) beside = &label;
        } else if (y <= control.top() - widget.ToWidget(kOverNearest) &&
                   y >= control.top() - widget.ToWidget(kOverFarthest) && x <= control.right()) {
            if (!over || label.y > over->y) over = &label;
        }
    }
    return beside ? beside : over;
}

}  // namespace

void NameControlsFromLabels(DialogWidget& widget, const std::vector<DrawnText>& labels) {
    for (QWidget* control : widget.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        // Buttons carry their caption; icons and the menu bar have nothing to name.
        if (qobject_cast<QAbstractButton*>(control) || qobject_cast<QLabel*>(control)) continue;
        if (control->property(kNamedByProgram).toBool() || !control->isVisibleTo(&widget)) continue;
        const DrawnText* label = LabelFor(widget, control->geometry(), labels);
        if (!label) continue;
        const QString name = ToQString(label->text);
        if (control->accessibleName() == name) continue;
        control->setAccessibleName(name);
        if (auto* box = qobject_cast<QComboBox*>(control); box && box->lineEdit()) {
            box->lineEdit()->setAccessibleName(name);
        }
    }
}
