// The drop-down boxes' accessible interface, and the installer of all of them.

#include "platform/ui/accessibility.h"

#include "platform/ui/dialog_widget.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>

namespace {

// On Linux Qt names a combo box by its text and leaves the label to a label
// widget's relation; the program's labels are painted, so the box carries its
// label as name and its text as value.
class DropDownAccessible : public QAccessibleWidget {
public:
    explicit DropDownAccessible(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Value ? Box().currentText() : QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.editable = Box().isEditable();
        state.expandable = true;
        state.expanded = Box().view()->isVisible();
        state.collapsed = !state.expanded;
        state.hasPopup = true;
        return state;
    }
    // The list it drops down, and its edit field.
    int childCount() const override { return Box().lineEdit() ? 2 : 1; }
    QAccessibleInterface* child(int index) const override {
        if (index == 0) return QAccessible::queryAccessibleInterface(Box().view());
        if (index == 1 && Box().lineEdit()) return QAccessible::queryAccessibleInterface(Box().lineEdit());
        return nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (!child) return -1;
        if (child->object() == Box().view()) return 0;
        if (Box().lineEdit() && child->object() == Box().lineEdit()) return 1;
        return -1;
    }
    QStringList actionNames() const override { return QAccessibleWidget::actionNames() << showMenuAction(); }
    void doAction(const QString& action) override {
        if (action == showMenuAction()) Box().showPopup();
        else QAccessibleWidget::doAction(action);
    }

private:
    QComboBox& Box() const { return *static_cast<QComboBox*>(widget()); }
};

}  // namespace

QAccessibleInterface* DropDownAccessibleFor(const QString&, QObject* object) {
    auto* box = qobject_cast<QComboBox*>(object);
    // Only the dialogs' own boxes, not those inside Qt's widgets (the calendar's month box).
    return box && dynamic_cast<DialogWidget*>(box->parentWidget()) ? new DropDownAccessible(box) : nullptr;
}

void InstallAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(DialogAccessibleFor);
        QAccessible::installFactory(DropDownAccessibleFor);
        QAccessible::installFactory(CalendarAccessibleFor);
        return true;
    }();
    (void)installed;
}
