// Menu handles and the operations on their items.
#include <platform_internal/menu_object.h>

#include <platform/text.h>

#include <platform_internal/handle_table.h>

namespace {

HandleTable<MenuObject, HMENU>& LiveMenus() {
    static auto* menus = new HandleTable<MenuObject, HMENU>(kMenuHandles);
    return *menus;
}

// The item named by command (searched in pop-ups too) or by position; null when missing.
MenuItem* Locate(MenuObject* menu, UINT item, UINT flags, MenuObject** holder) {
    if (menu == nullptr) {
        return nullptr;
    }
    if ((flags & MF_BYPOSITION) != 0) {
        *holder = menu;
        return item < menu->items.size() ? &menu->items[item] : nullptr;
    }
    for (MenuItem& entry : menu->items) {
        if ((entry.flags & MF_POPUP) == 0 && entry.id == item) {
            *holder = menu;
            return &entry;
        }
    }
    for (MenuItem& entry : menu->items) {
        if ((entry.flags & MF_POPUP) != 0) {
            if (MenuItem* found = Locate(FindMenu(entry.popup), item, flags, holder)) {
                return found;
            }
        }
    }
    return nullptr;
}

void DestroyLocked(HMENU handle) {
    std::unique_ptr<MenuObject> menu = LiveMenus().Remove(handle);
    if (!menu) {
        return;
    }
    for (MenuItem& item : menu->items) {
        if ((item.flags & MF_POPUP) != 0) {
            DestroyLocked(item.popup);
        }
    }
}

// Calls use(item) on the item named by item and flags with the menus locked, or returns fallback.
template <class Result, class Use>
Result WithItem(HMENU handle, UINT item, UINT flags, Result fallback, Use use) {
    std::lock_guard lock(MenuMutex());
    MenuObject* holder = nullptr;
    MenuItem* found = Locate(FindMenu(handle), item, flags, &holder);
    return found == nullptr ? fallback : use(*found);
}

MenuItem MakeItem(UINT flags, UINT_PTR idOrPopup, LPCWSTR text) {
    MenuItem item;
    item.flags = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_POPUP | MF_SEPARATOR);
    if ((flags & MF_POPUP) != 0) {
        item.popup = reinterpret_cast<HMENU>(idOrPopup);
    } else {
        item.id = static_cast<UINT>(idOrPopup);
    }
    if (text != nullptr && (flags & MF_SEPARATOR) == 0) {
        item.text = text;
    }
    return item;
}

}  // namespace

std::mutex& MenuMutex() {
    static auto* mutex = new std::mutex;
    return *mutex;
}

MenuObject* FindMenu(HMENU handle) {
    return LiveMenus().Find(handle);
}

std::vector<MenuItem> MenuItems(HMENU handle) {
    std::lock_guard lock(MenuMutex());
    MenuObject* menu = FindMenu(handle);
    return menu == nullptr ? std::vector<MenuItem>{} : menu->items;
}

HMENU CreatePopupMenu() {
    std::lock_guard lock(MenuMutex());
    return LiveMenus().Add(std::make_unique<MenuObject>());
}

BOOL DestroyMenu(HMENU handle) {
    std::lock_guard lock(MenuMutex());
    if (FindMenu(handle) == nullptr) {
        return FALSE;
    }
    DestroyLocked(handle);
    return TRUE;
}

HMENU GetSubMenu(HMENU handle, int position) {
    std::lock_guard lock(MenuMutex());
    MenuObject* menu = FindMenu(handle);
    if (menu == nullptr || position < 0 || position >= static_cast<int>(menu->items.size())) {
        return nullptr;
    }
    const MenuItem& item = menu->items[position];
    return (item.flags & MF_POPUP) != 0 ? item.popup : nullptr;
}

BOOL RemoveMenu(HMENU handle, UINT item, UINT flags) {
    std::lock_guard lock(MenuMutex());
    MenuObject* holder = nullptr;
    MenuItem* found = Locate(FindMenu(handle), item, flags, &holder);
    if (found == nullptr) {
        return FALSE;
    }
    holder->items.erase(holder->items.begin() + (found - holder->items.data()));
    return TRUE;
}

BOOL DeleteMenu(HMENU handle, UINT item, UINT flags) {
    std::lock_guard lock(MenuMutex());
    MenuObject* holder = nullptr;
    MenuItem* found = Locate(FindMenu(handle), item, flags, &holder);
    if (found == nullptr) {
        return FALSE;
    }
    if ((found->flags & MF_POPUP) != 0) {
        DestroyLocked(found->popup);
    }
    holder->items.erase(holder->items.begin() + (found - holder->items.data()));
    return TRUE;
}

BOOL InsertMenuW(HMENU handle, UINT position, UINT flags, UINT_PTR idOrPopup, LPCWSTR text) {
    std::lock_guard lock(MenuMutex());
    MenuObject* menu = FindMenu(handle);
    if (menu == nullptr ||
        ((flags & MF_POPUP) != 0 && FindMenu(reinterpret_cast<HMENU>(idOrPopup)) == nullptr)) {
        return FALSE;
    }
    std::size_t at = menu->items.size();
    if ((flags & MF_BYPOSITION) != 0 && position < menu->items.size()) {
        at = position;
    } else if ((flags & MF_BYPOSITION) == 0) {
        for (std::size_t i = 0; i < menu->items.size(); ++i) {
            if ((menu->items[i].flags & MF_POPUP) == 0 && menu->items[i].id == position) {
                at = i;
                break;
            }
        }
    }
    menu->items.insert(menu->items.begin() + static_cast<long>(at),
                       MakeItem(flags, idOrPopup, text));
    return TRUE;
}

BOOL AppendMenuW(HMENU handle, UINT flags, UINT_PTR idOrPopup, LPCWSTR text) {
    return InsertMenuW(handle, 0xFFFFFFFF, flags | MF_BYPOSITION, idOrPopup, text);
}

DWORD EnableMenuItem(HMENU handle, UINT item, UINT enable) {
    return WithItem(handle, item, enable, DWORD{0xFFFFFFFF}, [&](MenuItem& found) {
        DWORD previous = found.flags & (MF_GRAYED | MF_DISABLED);
        found.flags =
            (found.flags & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
        return previous;
    });
}

DWORD CheckMenuItem(HMENU handle, UINT item, UINT check) {
    return WithItem(handle, item, check, DWORD{0xFFFFFFFF}, [&](MenuItem& found) {
        DWORD previous = found.flags & MF_CHECKED;
        found.flags = (found.flags & ~MF_CHECKED) | (check & MF_CHECKED);
        return previous;
    });
}

UINT GetMenuState(HMENU handle, UINT item, UINT flags) {
    return WithItem(handle, item, flags, UINT{0xFFFFFFFF},
                    [](MenuItem& found) { return found.flags; });
}

int GetMenuItemCount(HMENU handle) {
    std::lock_guard lock(MenuMutex());
    MenuObject* menu = FindMenu(handle);
    return menu == nullptr ? -1 : static_cast<int>(menu->items.size());
}

UINT GetMenuItemID(HMENU handle, int position) {
    std::lock_guard lock(MenuMutex());
    MenuObject* menu = FindMenu(handle);
    if (menu == nullptr || position < 0 || position >= static_cast<int>(menu->items.size()) ||
        (menu->items[position].flags & MF_POPUP) != 0) {
        return 0xFFFFFFFF;
    }
    return menu->items[position].id;
}

int GetMenuStringW(HMENU handle, UINT item, LPWSTR buffer, int capacity, UINT flags) {
    return WithItem(handle, item, flags, 0, [&](MenuItem& found) {
        if (buffer == nullptr || capacity <= 0) {
            return static_cast<int>(found.text.size());
        }
        lstrcpynW(buffer, found.text.c_str(), capacity);
        return lstrlenW(buffer);
    });
}
