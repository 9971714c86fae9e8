#include "platform/ui/command_table.h"

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
