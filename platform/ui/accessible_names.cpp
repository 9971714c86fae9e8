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

const DrawnText* LabelNaming(const DialogWidget& window, const QWidget& control, const std::vector<DrawnText>& labels) {
    // Buttons carry their caption; icons have nothing to name.
    if (qobject_cast<const QAbstractButton*>(&control) || qobject_cast<const QLabel*>(&control)) return nullptr;
    if (control.property(kNamedByProgram).toBool()) return nullptr;
    return LabelFor(window, control.geometry(), labels);
}

void NameControlsFromLabels(DialogWidget& window, const std::vector<DrawnText>& labels) {
    for (const auto& [id, control] : window.Controls()) {
        if (!control->isVisibleTo(&window)) continue;
        const DrawnText* label = LabelNaming(window, *control, labels);
        if (!label) continue;
        const QString name = ToQString(label->text);
        if (control->accessibleName() == name) continue;
        control->setAccessibleName(name);
        if (auto* box = qobject_cast<QComboBox*>(control); box && box->lineEdit()) {
            box->lineEdit()->setAccessibleName(name);
        }
    }
}
