#pragma once
// Command tables: each dialog class binds, in one table, its control
// notifications, menu commands, check-mark updates and paint to its own methods.

#include "platform/paint_surface.h"

#include <functional>
#include <initializer_list>
#include <vector>

class CDialog;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// Notification codes that reach a command table.
inline constexpr int kNotifyClicked = 0;             // a button was pressed, a menu command chosen
inline constexpr int kNotifyEditChanged = 5;         // the user changed a combo box's edit field
inline constexpr int kNotifyScrolled = 0x115;        // the user moved a scroll bar
inline constexpr int kNotifySelectionConfirmed = 9;  // a combo box choice was confirmed by the user

// What an update handler sets for one menu command.
class CCmdUI {
public:
    explicit CCmdUI(int id) : id_(id) {}
    int Id() const { return id_; }
    void SetCheck(bool checked) { checked_ = checked; }
    bool Checked() const { return checked_; }

private:
    int id_;
    bool checked_ = false;
};

class CommandTable {
public:
    enum class Kind { Command, Paint, UpdateUI };
    struct Entry {
        Kind kind;
        int id;
        int code;
        std::function<void(CDialog&)> run;
        std::function<void(CDialog&, PaintSurface&)> paint;
        std::function<void(CDialog&, CCmdUI&)> update;
        bool cancels = false;  // runs the dialog's Cancel operation
    };

    CommandTable() = default;
    CommandTable(std::initializer_list<Entry> entries) : entries_(entries) {}

    const Entry* FindCommand(int id, int code) const;
    const Entry* FindPaint() const;
    const Entry* FindUpdate(int id) const;
    // Whether a click on control `id` runs the dialog's Cancel operation.
    bool Cancels(int id) const;

private:
    std::vector<Entry> entries_;
};

// A button click or a menu command with this identifier.
template <class D>
CommandTable::Entry BindCommand(int id, void (D::*handler)()) {
    return {CommandTable::Kind::Command, id, kNotifyClicked,
            [handler](CDialog& d) { (static_cast<D&>(d).*handler)(); }, {}, {}};
}

// A notification with a code of its own from control `id`.
// A button whose click runs the dialog's Cancel operation. Bound this way, a
// click on it is never refused by a field that holds what it cannot take.
CommandTable::Entry BindCancel(int id);

template <class D>
CommandTable::Entry BindNotify(int id, int code, void (D::*handler)()) {
    return {CommandTable::Kind::Command, id, code,
            [handler](CDialog& d) { (static_cast<D&>(d).*handler)(); }, {}, {}};
}

template <class D>
CommandTable::Entry BindPaint(void (D::*handler)(PaintSurface&)) {
    return {CommandTable::Kind::Paint, 0, 0, {},
            [handler](CDialog& d, PaintSurface& s) { (static_cast<D&>(d).*handler)(s); }, {}};
}

// Brings a menu command's check mark up to date when its pop-up opens.
template <class D>
CommandTable::Entry BindUpdateUI(int id, void (D::*handler)(CCmdUI&)) {
    return {CommandTable::Kind::UpdateUI, id, 0, {}, {},
            [handler](CDialog& d, CCmdUI& ui) { (static_cast<D&>(d).*handler)(ui); }};
}
