#include "platform/ui/menu_bar.h"

#include "platform/ui/dialog.h"
#include "platform/ui/dialog_widget.h"
#include "platform/ui/qt_text.h"

#include <QHBoxLayout>
#include <QMenu>
#include <QToolButton>

namespace {

constexpr int kBarHeight = 26;  // logical pixels, like the handheld's menu bar

void Send(DialogWidget* widget, int commandId) {
    if (CDialog* dialog = widget->Dialog()) dialog->SendCommand(commandId);
}

QMenu* MakePopup(DialogWidget& widget, const MenuPopupTemplate& popup, QWidget* parent) {
    auto* menu = new QMenu(parent);
    for (const MenuItemTemplate& item : popup.items) {
        QAction* action = menu->addAction(ToQString(item.text));
        action->setCheckable(true);
        QObject::connect(action, &QAction::triggered, action,
                         [dialogWidget = &widget, id = item.commandId] { Send(dialogWidget, id); });
    }
    // Check marks come from the dialog's update entries each time the pop-up opens.
    QObject::connect(menu, &QMenu::aboutToShow, menu, [dialogWidget = &widget, menu, &popup] {
        CDialog* dialog = dialogWidget->Dialog();
        if (!dialog) return;
        const QList<QAction*> actions = menu->actions();
        for (std::size_t i = 0; i < popup.items.size() && i < static_cast<std::size_t>(actions.size()); ++i) {
            CCmdUI ui(popup.items[i].commandId);
            if (const CommandTable::Entry* update = dialog->Commands().FindUpdate(ui.Id())) update->update(*dialog, ui);
            actions[static_cast<qsizetype>(i)]->setChecked(ui.Checked());
        }
    });
    return menu;
}

}  // namespace

bool CMenuBar::Create(CDialog& owner, int resourceId) {
    const MenuBarTemplate* bar = FindMenuBarTemplate(resourceId);
    DialogWidget* widget = DialogAccess::WidgetOf(owner);
    if (!bar || !widget || owner_) return false;
    auto* strip = new QWidget(widget);
    strip->setProperty(kMenuBarStrip, true);
    strip->setAccessibleName(QStringLiteral("Menu bar"));
    auto* layout = new QHBoxLayout(strip);
    layout->setContentsMargins(widget->ToWidget(2), widget->ToWidget(1), widget->ToWidget(2), widget->ToWidget(1));
    layout->setSpacing(widget->ToWidget(2));
    for (const MenuBarButtonTemplate& button : bar->buttons) {
        auto* tool = new QToolButton(strip);
        tool->setText(ToQString(button.text));
        tool->setToolButtonStyle(Qt::ToolButtonTextOnly);
        tool->setAutoRaise(true);
        if (button.popupIndex >= 0 && button.popupIndex < static_cast<int>(bar->popups.size())) {
            tool->setMenu(MakePopup(*widget, bar->popups[static_cast<std::size_t>(button.popupIndex)], tool));
            tool->setPopupMode(QToolButton::InstantPopup);
        } else {
            QObject::connect(tool, &QToolButton::clicked, tool,
                             [widget, id = button.commandId] { Send(widget, id); });
        }
        layout->addWidget(tool);
    }
    layout->addStretch();
    widget->AttachMenuBar(strip, kBarHeight);
    owner_ = &owner;
    return true;
}
