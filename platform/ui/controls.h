#pragma once
// Handles on a dialog's controls, with the handheld's behaviour (see the
// comments). A handle names its dialog and control identifier and may be a
// member made before the window exists; it reaches the control when used.
// The User* operations act as a person would, sending the notifications that
// a person's action sends; the program's own operations send none.

#include "platform/datetime.h"
#include "platform/listing.h"
#include "platform/paint_surface.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CDialog;
class QWidget;

class CControl {
public:
    CControl(CDialog& owner, int id) : owner_(owner), id_(id) {}
    int Id() const { return id_; }
    bool Exists() const;
    void ShowWindow(bool show);
    // The name a screen reader gives the control, where no painted label names it.
    void SetAccessibleName(std::u16string_view name);

protected:
    QWidget* Widget() const;
    CDialog& owner_;
    int id_;
};

class CButton : public CControl {
public:
    using CControl::CControl;
    std::u16string Text() const;
};

class CEdit : public CControl {
public:
    using CControl::CControl;
    std::u16string Text() const;
    // The text as one line (line breaks as blanks), up to 1023 characters.
    std::u16string OneLine() const;
    void SetText(std::u16string_view text);
    // A hint shown greyed while the field is empty; it is never the field's text.
    void SetCueBanner(std::u16string_view text);
    // Gives the field the focus with its text selected, ready to be typed over.
    void FocusSelected();
    void UserType(std::u16string_view text);  // replaces the field's text as typing would
};

// Combo boxes, list boxes and list views search the same way: matching ignores
// case; a search from `start` looks from the item after it to the end, then
// wraps to the top, so `start` itself is looked at last; -1 means the whole list.
class CComboBox : public CControl, public ListingTarget {
public:
    using CControl::CControl;
    int AddString(std::u16string_view text);   // sorted boxes insert at the item's place
    int InsertString(int index, std::u16string_view text);  // never sorts; -1 appends
    int GetCount() const;
    int GetCurSel() const;            // -1 when nothing is selected
    int SetCurSel(int index);         // -1 clears the selection; sends nothing
    std::u16string GetLBText(int index) const;
    // The selected item's text; empty when nothing is selected.
    std::u16string SelectedText() const;
    // The edit field's text (the selected item's text, or what was typed).
    std::u16string GetWindowText() const;
    void SetWindowText(std::u16string_view text);
    int FindStringExact(int start, std::u16string_view text) const;  // whole item
    int FindString(int start, std::u16string_view prefix) const;     // beginning of item
    // Selects the item FindString finds and sets the edit field to it; -1 leaves the selection.
    int SelectString(int start, std::u16string_view prefix);

    void UserChoose(int index);                // selects, then sends kNotifySelectionConfirmed
    // The box then has no current selection; sends kNotifyEditChanged.
    void UserType(std::u16string_view text);

    int AddItem(std::u16string_view text) override { return AddString(text); }
    int FindExact(std::u16string_view text) const override { return FindStringExact(-1, text); }
    int FindPrefix(std::u16string_view prefix) const override { return FindString(-1, prefix); }
};

class CListBox : public CControl, public ListingTarget {
public:
    using CControl::CControl;
    int AddString(std::u16string_view text);
    // Replaces the items with `texts` at once, as a long list is filled: a
    // sorted box puts them in order, much faster when they come in order.
    void SetItems(const std::vector<std::u16string>& texts);
    int DeleteString(int index);
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int index);
    std::u16string GetText(int index) const;
    int FindStringExact(int start, std::u16string_view text) const;
    int FindString(int start, std::u16string_view prefix) const;
    int SelectString(int start, std::u16string_view prefix);

    void UserSelect(int index);

    int AddItem(std::u16string_view text) override { return AddString(text); }
    int FindExact(std::u16string_view text) const override { return FindStringExact(-1, text); }
    int FindPrefix(std::u16string_view prefix) const override { return FindString(-1, prefix); }
};

class CImageList {
public:
    // 16 by 16 pictures with a mask; false when the list cannot be made.
    bool Create(int width, int height, bool masked, int initial, int grow);
    // Adds bitmap resource `bitmapId`, `transparent` becoming see-through; its index or -1.
    int Add(int bitmapId, Color transparent);
    int Count() const;

    struct Data;
    const Data* Pictures() const { return data_.get(); }

private:
    std::shared_ptr<Data> data_;
};

inline constexpr int kFindString = 0x0002;
inline constexpr int kFindPartial = 0x0008;

// A list view in small-icon view, used as a plain list of text rows.
class CListCtrl : public CControl, public ListingTarget {
public:
    using CControl::CControl;
    // Inserts at `row` (a row beyond the end appends); image -1 for none. Returns the row.
    int InsertItem(int row, std::u16string_view text, int image = -1);
    bool DeleteItem(int row);
    void DeleteAllItems();
    int GetItemCount() const;
    std::u16string GetItemText(int row) const;
    int GetItemImage(int row) const;
    // Texts the program keeps with a row beside the one it shows; none until set.
    // They go with the row.
    bool SetItemData(int row, const std::vector<std::u16string>& data);
    std::vector<std::u16string> GetItemData(int row) const;
    // With kFindString | kFindPartial (10): the first row from the top (start -1)
    // whose text begins with `text`, ignoring case; no wrap-around. -1 when none.
    int FindItem(int flags, int start, std::u16string_view text) const;
    int GetFirstSelectedItem() const;  // by row order; -1 when none
    std::vector<int> GetSelectedItems() const;
    void SetImageList(CImageList* images);
    // What a screen reader says for the row instead of its text.
    void SetItemAccessibleText(int row, std::u16string_view text);

    void UserSelect(int row, bool addToSelection = false);

    int AddItem(std::u16string_view text) override { return InsertItem(GetItemCount(), text); }
    int FindExact(std::u16string_view text) const override;
    int FindPrefix(std::u16string_view prefix) const override {
        return FindItem(kFindString | kFindPartial, -1, prefix);
    }
};

// A vertical scroll bar of its own (a control, not a window's edge). The
// wheel turned anywhere over its dialog moves it while it is shown.
class CScrollBar : public CControl {
public:
    using CControl::CControl;
    // Positions from `min` to `max`, `page` of them in view at once; the
    // position is kept within them. Sends nothing.
    void SetScrollRange(int min, int max, int page);
    void SetScrollPos(int pos);  // sends nothing
    int GetScrollPos() const;
};

// A short-date picker. It keeps the time of day it was given; reading it fills
// every field, the day of week included.
class CDateTimeCtrl : public CControl {
public:
    using CControl::CControl;
    bool GetTime(SystemTime& out) const;
    bool SetTime(const SystemTime& time);
    void UserSetDate(int year, int month, int day);
};
