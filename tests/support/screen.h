#pragma once
// A person at the screen: what a window shows, read from its grabbed pixels,
// and real mouse and key events on a dialog's own widgets, the dialog's window
// active as a shown window is.

#include "platform/paint/fonts.h"
#include "platform/paint/qt_paint_surface.h"
#include "platform/ui/dialog.h"
#include "platform/ui/dialog_widget.h"
#include "platform/ui/qt_text.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Whether the window shows `text` drawn at (x, y) in navy in the default font
// on white, pixel for pixel as the paint surface draws it.
inline bool ShowsText(QWidget& window, int x, int y, std::u16string_view text) {
    const QImage shot = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QImage expected(shot.size(), QImage::Format_RGB32);
    expected.fill(Qt::white);
    {
        QtPaintSurface surface(expected, 1.0, shot.width(), shot.height());
        surface.SetTextColor(kNavy);
        surface.TextOut(x, y, text);
    }
    const QFontMetrics metrics(DefaultUiFont());
    const QRect cell = QRect(x, y, metrics.horizontalAdvance(ToQString(text)), metrics.height()) & shot.rect();
    for (int row = cell.top(); row <= cell.bottom(); ++row)
        for (int column = cell.left(); column <= cell.right(); ++column)
            if (shot.pixel(column, row) != expected.pixel(column, row)) return false;
    return true;
}

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

inline void ClickRow(CDialog& dialog, int id, int row) {
    auto* list = qobject_cast<QListWidget*>(dialog.ControlWidget(id));
    ASSERT_TRUE(list && row < list->count());
    if (QApplication::activeWindow() != dialog.Widget()) QApplication::setActiveWindow(dialog.Widget());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
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

// The control `id` of a dialog's window, as the type it is made as.
template <class T = QWidget>
T* Control(QWidget& window, int id) {
    auto* dialog = dynamic_cast<DialogWidget*>(&window);
    T* control = dialog ? qobject_cast<T*>(dialog->Control(id)) : nullptr;
    EXPECT_NE(control, nullptr) << window.windowTitle().toStdString() << " has no control " << id;
    return control;
}

inline void Click(QWidget& window, int id) { QTest::mouseClick(Control(window, id), Qt::LeftButton); }

// Clicks into a one-line field and types over what it holds.
inline void TypeInto(QWidget& window, int id, const QString& text) {
    QWidget* field = Control(window, id);
    if (auto* box = qobject_cast<QComboBox*>(field)) field = box->lineEdit();
    QTest::mouseClick(field, Qt::LeftButton);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(field, text);
}

// The rows of the list `id` as the window shows them.
inline std::vector<std::string> ListItems(QWidget& window, int id) {
    std::vector<std::string> rows;
    if (auto* list = Control<QListWidget>(window, id))
        for (int i = 0; i < list->count(); ++i) rows.push_back(list->item(i)->text().toStdString());
    return rows;
}

// Steps, each run once the window of its caption is the innermost modal
// window, has been on the screen for a moment, and the step before has begun.
class Person {
public:
    using Step = std::function<void(QWidget& window)>;

    Person() {
        sinceProgress_.start();
        LookAgainSoon();
    }
    ~Person() { EXPECT_TRUE(steps_.empty()) << "never came: " << steps_.front().caption.toStdString(); }

    void Then(const QString& caption, Step step) { steps_.push_back({caption, std::move(step)}); }
    bool Done() const { return steps_.empty(); }

private:
    struct Pending {
        QString caption;
        Step step;
    };

    // A fresh timer each time: a step's window runs a loop of its own while the step
    // waits in it, and a timer is never fired again from inside its own handler.
    void LookAgainSoon() {
        QTimer::singleShot(5, &alive_, [this] { Look(); });
    }

    void Look() {
        LookAgainSoon();
        QWidget* front = QApplication::activeModalWidget();
        if (stuck_) {  // close windows until the program ends
            if (front) front->close();
            return;
        }
        if (steps_.empty()) return;
        if (sinceProgress_.elapsed() > 20000) {
            ADD_FAILURE() << "no window \"" << steps_.front().caption.toStdString() << "\" came";
            steps_.clear();
            stuck_ = true;
            return;
        }
        if (!front || !front->isVisible() || front->windowTitle() != steps_.front().caption) {
            seen_ = nullptr;
            return;
        }
        if (seen_ != front) {  // looked at once more before acting: its first paint is in
            seen_ = front;
            return;
        }
        Pending next = std::move(steps_.front());
        steps_.pop_front();
        seen_ = nullptr;
        sinceProgress_.restart();
        QApplication::setActiveWindow(front);  // the person's keys go to the window in front
        next.step(*front);  // may open further windows, whose steps run meanwhile
    }

    std::deque<Pending> steps_;
    QObject alive_;  // pending looks end with the Person
    QWidget* seen_ = nullptr;
    bool stuck_ = false;
    QElapsedTimer sinceProgress_;
};
