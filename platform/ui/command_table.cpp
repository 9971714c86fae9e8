#include "platform/ui/command_table.h"

#include "platform/ui/dialog.h"

const CommandTable::Entry* CommandTable::FindCommand(int id, int code) const {
    for (const Entry& entry : entries_) {
        if (entry.kind == Kind::Command && entry.id == id && entry.code == code) return &entry;
    }
    return nullptr;
}

const CommandTable::Entry* CommandTable::FindPaint() const {
    for (const Entry& entry : entries_) {
        if (entry.kind == Kind::Paint) return &entry;
    }
    return nullptr;
}

const CommandTable::Entry* CommandTable::FindUpdate(int id) const {
    for (const Entry& entry : entries_) {
        if (entry.kind == Kind::UpdateUI && entry.id == id) return &entry;
    }
    return nullptr;
}

bool CommandTable::Cancels(int id) const {
    const Entry* entry = FindCommand(id, kNotifyClicked);
    return entry != nullptr ? entry->cancels : id == IDCANCEL;
}

CommandTable::Entry BindCancel(int id) {
    CommandTable::Entry entry{CommandTable::Kind::Command, id, kNotifyClicked, [](CDialog& d) { d.OnCancel(); }, {}, {}};
    entry.cancels = true;
    return entry;
}
