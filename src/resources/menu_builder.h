// Builds menu resources (the binary menu template) and soft-key menu-bar records.
#pragma once

#include <platform/types.h>

#include <string>
#include <vector>

struct MenuEntry {
    std::u16string text;
    unsigned id = 0;
    bool popup = false;
    std::vector<MenuEntry> items;
};

inline MenuEntry Item(std::u16string text, unsigned id) {
    return {std::move(text), id, false, {}};
}
inline MenuEntry Separator() {
    return {};
}
inline MenuEntry Popup(std::u16string text, std::vector<MenuEntry> items) {
    return {std::move(text), 0, true, std::move(items)};
}

std::vector<BYTE> BuildMenu(const std::vector<MenuEntry>& items);

struct MenuBarButton {
    unsigned command;
    unsigned labelString;
    bool popup;  // opens the first pop-up of the record's menu
};

// A menu-bar record: menu resource id (0: none), button count, then per button image (none),
// command, state (enabled), style (auto-size, plus drop-down for a pop-up), label string, 0,
// pop-up index (0, or 0xFFFF for none).
std::vector<BYTE> BuildMenuBar(unsigned menuId, const std::vector<MenuBarButton>& buttons);
