#include "platform/ui/message_box.h"

#include "platform/ui/command_table.h"
#include "platform/ui/dialog.h"
#include "platform/ui/dialog_widget.h"
#include "platform/ui/qt_text.h"
#include "platform/ui/win_app.h"

#include <QApplication>
#include <QMessageBox>

#include <deque>

namespace {

// Centred over the window that shows it: its owner, else the one whose handler
// runs; the text is shown as it is, never read as markup.
int RunBox(CDialog* owner, std::u16string_view text, QMessageBox::StandardButtons buttons,
           QMessageBox::StandardButton safe) {
    QWidget* parent = owner ? owner->Widget() : nullptr;
    if (!parent || !parent->isVisible()) parent = DialogAccess::ActiveWindow();
    QMessageBox box(QMessageBox::NoIcon, ToQString(AfxAppName()), ToQString(text), buttons, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(safe);
    box.setEscapeButton(safe);
    if (parent) box.setFont(parent->font());
    return box.exec();
}

}  // namespace

int MessageBox(CDialog* owner, std::u16string_view text) {
    RunBox(owner, text, QMessageBox::Ok, QMessageBox::Ok);
    return IDOK;
}

bool AskYesNo(CDialog* owner, std::u16string_view text) {
    return RunBox(owner, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

namespace {

std::deque<std::u16string>& Waiting() {
    static std::deque<std::u16string> waiting;
    return waiting;
}

// One box at a time: each runs a loop of its own, where more may be posted.
void ShowWaiting() {
    static bool showing = false;
    if (showing) return;
    showing = true;
    while (!Waiting().empty() && !DialogAccess::PaintRunning()) {
        const std::u16string text = std::move(Waiting().front());
        Waiting().pop_front();
        MessageBox(nullptr, text);
    }
    showing = false;
}

}  // namespace

void PostMessageBox(std::u16string text) {
    Waiting().push_back(std::move(text));
    ShowWaitingMessages();
}

void ShowWaitingMessages() {
    if (!Waiting().empty()) QMetaObject::invokeMethod(qApp, &ShowWaiting, Qt::QueuedConnection);
}
