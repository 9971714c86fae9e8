#pragma once
// A person at the screen: the windows' modal runs scripted, and real mouse
// and key events on a dialog's own widgets, the dialog's window active as a
// shown window is.

#include "platform/ui/dialog.h"
#include "support/dialog_driver.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>

// The dialog driver of one test: every modal run must go as scripted, and no
// script may be left waiting when the test ends.
class ScriptedRuns : public DialogDriver {
public:
    ~ScriptedRuns() override {
        EXPECT_TRUE(Failures().empty()) << Failures().front();
        EXPECT_EQ(PendingScripts(), 0u);
    }
    // Runs `dialog` modally, `script` acting in it once it shows; how it ended.
    template <class D>
    int Run(D& dialog, std::function<void(D&)> script) {
        Expect<D>(dialog.TemplateId(), std::move(script));
        return dialog.DoModal();
    }
};

// The widget a person clicks and types into: the edit field of a box.
inline QWidget* FieldOf(CDialog& dialog, int id) {
    QWidget* widget = dialog.ControlWidget(id);
    if (auto* box = qobject_cast<QComboBox*>(widget); box && box->lineEdit()) return box->lineEdit();
    return widget;
}

// Clicks a button, or into a field (the focus goes there), of the window in
// front, which the window system makes active.
inline void ClickOn(CDialog& dialog, int id) {
    QWidget* widget = FieldOf(dialog, id);
    ASSERT_NE(widget, nullptr) << "no control " << id;
    if (QApplication::activeWindow() != dialog.Widget()) QApplication::setActiveWindow(dialog.Widget());
    QTest::mouseClick(widget, Qt::LeftButton);
}

// Clicks into the field, selects all of it with Ctrl+A and types `keys`.
inline void TypeInto(CDialog& dialog, int id, const QString& keys) {
    ClickOn(dialog, id);
    // A box holds the focus for its edit field and hands the keys on to it.
    QWidget* field = QApplication::focusWidget();
    ASSERT_EQ(field, dialog.ControlWidget(id)) << "the click left the focus elsewhere";
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(field, keys);
}

// Clicks into the field, selects all of it and pastes `text` with Ctrl+V.
inline void PasteInto(CDialog& dialog, int id, const QString& text) {
    QApplication::clipboard()->setText(text);
    TypeInto(dialog, id, QString());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
}

// Clicks the row of a list view or list box, scrolled into sight.
inline void ClickRow(CDialog& dialog, int id, int row) {
    auto* list = qobject_cast<QAbstractItemView*>(dialog.ControlWidget(id));
    ASSERT_TRUE(list && row < list->model()->rowCount());
    if (QApplication::activeWindow() != dialog.Widget()) QApplication::setActiveWindow(dialog.Widget());
    const QModelIndex item = list->model()->index(row, 0);
    list->scrollTo(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(item).center());
}

// A key on the control, which has the focus.
inline void PressKey(CDialog& dialog, int id, int key) {
    QWidget* field = dialog.ControlWidget(id);
    ASSERT_EQ(QApplication::focusWidget(), field);
    QTest::keyClick(field, Qt::Key(key));
}

// What the field shows: the edit text of a box, the text of an edit.
inline std::u16string Shown(CDialog& dialog, int id) {
    auto* edit = qobject_cast<QLineEdit*>(FieldOf(dialog, id));
    return edit ? edit->displayText().toStdU16String() : std::u16string();
}
