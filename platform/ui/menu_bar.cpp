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

std::vector<MenuItemState> PopupState(CDialog& owner, const MenuPopupTemplate& popup) {
    std::vector<MenuItemState> items;
    for (const MenuItemTemplate& item : popup.items) {
        CCmdUI ui(item.commandId);
        if (const CommandTable::Entry* update = owner.Commands().FindUpdate(item.commandId)) update->update(owner, ui);
        items.push_back({std::u16string(item.text), item.commandId, ui.Checked()});
    }
    return items;
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
        const std::vector<MenuItemState> state = PopupState(*dialog, popup);
        const QList<QAction*> actions = menu->actions();
        for (std::size_t i = 0; i < state.size() && i < static_cast<std::size_t>(actions.size()); ++i) {
            actions[static_cast<qsizetype>(i)]->setChecked(state[i].checked);
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
    template_ = bar;
    return true;
}

std::vector<MenuItemState> CMenuBar::OpenPopup(int index) const {
    if (!owner_ || index < 0 || index >= static_cast<int>(template_->popups.size())) return {};
    return PopupState(*owner_, template_->popups[static_cast<std::size_t>(index)]);
}

void CMenuBar::UserChoose(int commandId) const {
    if (!owner_) return;
    // Only what the bar offers can be chosen: a plain button or an item of a pop-up.
    bool offered = false;
    for (const MenuBarButtonTemplate& button : template_->buttons) {
        offered = offered || (button.popupIndex < 0 && button.commandId == commandId);
    }
    for (const MenuPopupTemplate& popup : template_->popups) {
        for (const MenuItemTemplate& item : popup.items) offered = offered || item.commandId == commandId;
    }
    if (offered) owner_->SendCommand(commandId);
}
