#include "platform/ui/message_box.h"

#include "platform/ui/command_table.h"
#include "platform/ui/dialog.h"
#include "platform/ui/qt_text.h"
#include "platform/ui/test_driver.h"
#include "platform/ui/win_app.h"

#include <QApplication>
#include <QMessageBox>

int MessageBox(CDialog* owner, std::u16string_view text) {
    if (DialogDriver* driver = DialogDriver::Active()) {
        driver->RecordMessage(text);
        return IDOK;
    }
    QWidget* parent = owner ? owner->Widget() : nullptr;
    if (!parent) parent = QApplication::activeModalWidget();
    QMessageBox box(QMessageBox::NoIcon, ToQString(AfxAppName()), ToQString(text), QMessageBox::Ok, parent);
    // The text is shown as it is, never read as markup.
    box.setTextFormat(Qt::PlainText);
    if (parent) box.setFont(parent->font());
    box.exec();
    return IDOK;
}
