// Menus behind HMENU handles.
#pragma once

#include <platform/menu.h>

#include <mutex>
#include <string>
#include <vector>

struct MenuItem {
    UINT flags = 0;  // MF_GRAYED, MF_CHECKED, MF_POPUP, MF_SEPARATOR
    UINT id = 0;
    std::u16string text;
    HMENU popup = nullptr;
};

struct MenuObject {
    std::vector<MenuItem> items;
};

// Guards every menu; never held while application code runs.
std::mutex& MenuMutex();
// Call with MenuMutex held: the live menu behind a handle, or null.
MenuObject* FindMenu(HMENU handle);
// A copy of the menu's items (for drawing and tracking outside the lock).
std::vector<MenuItem> MenuItems(HMENU handle);
