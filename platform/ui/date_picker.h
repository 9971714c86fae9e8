#pragma once
// The short-date picker: a field a person types M/D/YYYY into (leading zeros
// or not), with a calendar to pick from. It holds a date and a time of day;
// one the program never set holds the device's date and time when it was made.

#include "platform/datetime.h"

#include <QLineEdit>

#include <optional>

class QCalendarWidget;

class DatePicker : public QLineEdit {
public:
    explicit DatePicker(QWidget* parent);

    // The held date and time; text typed and not yet taken counts when it is a date.
    SystemTime Value() const;
    // False, holding what it held, for a record that is not a date a picker can hold.
    bool SetValue(const SystemTime& time);
    // Takes the typed text. A text that is no date is refused: a message says
    // so, and the field keeps the focus with the typed text selected; false then.
    bool Commit();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The typed text as a date, when it is one.
    std::optional<SystemTime> Typed() const;
    void Show();
    void ShowCalendar();

    SystemTime held_;
    bool selectOnPress_ = false;
    bool committing_ = false;
    QCalendarWidget* calendar_ = nullptr;
};
