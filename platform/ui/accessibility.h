#pragma once
// What a screen reader finds in the program's windows, through Qt's
// accessibility bridge (AT-SPI on Linux):
// - each dialog window is a dialog, modal while its modal run lasts;
// - the texts a dialog paints are static texts in it, and a painted label
//   says which control it names; decorative icons are left out;
// - a drop-down box is named by its label and gives its text as its value;
// - a calendar day is named by its full date.

#include "platform/recording_surface.h"

#include <QAccessible>

#include <vector>

class DialogWidget;
class QCalendarWidget;
class QObject;
class QString;

// Installs the interfaces above, once; the framework calls it before it makes a window.
void InstallAccessibility();

// The painted texts as the screen shows them: a text drawn later at the same
// place replaces one drawn before there, and a white text only wipes.
std::vector<DrawnText> ShownTexts(const std::vector<DrawnText>& drawn);

// The accessible objects of one window's painted texts, made when a reader
// first asks for them and kept while their place in the list lasts.
class PaintedTextObjects {
public:
    explicit PaintedTextObjects(DialogWidget& window) : window_(window) {}
    ~PaintedTextObjects();
    PaintedTextObjects(const PaintedTextObjects&) = delete;
    PaintedTextObjects& operator=(const PaintedTextObjects&) = delete;

    // The texts now shown; a listening reader hears what was added, changed or removed.
    void Update(std::vector<DrawnText> shown);
    const std::vector<DrawnText>& Texts() const { return texts_; }
    QAccessibleInterface* Object(int index);
    // -1 when `object` is none of them.
    int IndexOf(const QAccessibleInterface* object) const;

private:
    DialogWidget& window_;
    std::vector<DrawnText> texts_;
    std::vector<QAccessible::Id> ids_;  // 0 where no object was made yet
};

// An accessible object of a window that is no widget and has no children
// (a painted text, a calendar day); the rest is the kind's own.
class AccessibleLeaf : public QAccessibleInterface {
public:
    QObject* object() const override { return nullptr; }
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(QAccessible::Relation) const override {
        return {};
    }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    void setText(QAccessible::Text, const QString&) override {}
};

// Names each day of the calendar by its full date in the user's language
// (shown as its tooltip too), for the pages the calendar turns to.
void NameCalendarDays(QCalendarWidget& calendar);

// The factories InstallAccessibility installs, one per kind of window part.
QAccessibleInterface* DialogAccessibleFor(const QString& key, QObject* object);
QAccessibleInterface* DropDownAccessibleFor(const QString& key, QObject* object);
QAccessibleInterface* CalendarAccessibleFor(const QString& key, QObject* object);
