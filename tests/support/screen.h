#pragma once
// Looking at windows and acting on them as a person does: what a window shows
// is read from its grabbed pixels; a Person waits for a window to be the one
// in front and then uses mouse and keys on it.

#include "platform/paint/fonts.h"
#include "platform/paint/qt_paint_surface.h"
#include "platform/ui/dialog_widget.h"
#include "platform/ui/qt_text.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QAbstractItemView>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Whether the window shows `text` drawn at (x, y) in the default font on
// white, pixel for pixel as the paint surface draws it.
inline bool ShowsText(QWidget& window, int x, int y, std::u16string_view text, Color color = kNavy) {
    const QImage shot = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QImage expected(shot.size(), QImage::Format_RGB32);
    expected.fill(Qt::white);
    {
        QtPaintSurface surface(expected, 1.0, shot.width(), shot.height());
        surface.SetTextColor(color);
        surface.TextOut(x, y, text);
    }
    const QFontMetrics metrics(DefaultUiFont());
    const QRect cell = QRect(x, y, metrics.horizontalAdvance(ToQString(text)), metrics.height()) & shot.rect();
    for (int row = cell.top(); row <= cell.bottom(); ++row)
        for (int column = cell.left(); column <= cell.right(); ++column)
            if (shot.pixel(column, row) != expected.pixel(column, row)) return false;
    return true;
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
    if (auto* list = Control<QAbstractItemView>(window, id))
        for (int i = 0; i < list->model()->rowCount(); ++i)
            rows.push_back(list->model()->index(i, 0).data().toString().toStdString());
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
