// Menus: loaded from menu resources or built, changed, and shown as pop-ups operated with the
// stylus.
#pragma once

#include <platform/window.h>

constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_ENABLED = 0x0000;
constexpr UINT MF_UNCHECKED = 0x0000;
constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_POPUP = 0x0010;
constexpr UINT MF_END = 0x0080;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT MF_SEPARATOR = 0x0800;

constexpr UINT TPM_LEFTALIGN = 0x0000;
constexpr UINT TPM_TOPALIGN = 0x0000;
constexpr UINT TPM_CENTERALIGN = 0x0004;
constexpr UINT TPM_RIGHTALIGN = 0x0008;
constexpr UINT TPM_VCENTERALIGN = 0x0010;
constexpr UINT TPM_BOTTOMALIGN = 0x0020;
constexpr UINT TPM_NONOTIFY = 0x0080;
constexpr UINT TPM_RETURNCMD = 0x0100;

struct TPMPARAMS {
    UINT cbSize;
    RECT rcExclude;
};
using LPTPMPARAMS = TPMPARAMS*;

HMENU LoadMenuW(HINSTANCE module, LPCWSTR name);
HMENU CreatePopupMenu();
BOOL DestroyMenu(HMENU menu);
HMENU GetSubMenu(HMENU menu, int position);
// Takes the item out; a pop-up item's menu is kept (the caller now owns it).
BOOL RemoveMenu(HMENU menu, UINT item, UINT flags);
// Takes the item out and destroys a pop-up item's menu.
BOOL DeleteMenu(HMENU menu, UINT item, UINT flags);
BOOL AppendMenuW(HMENU menu, UINT flags, UINT_PTR idOrPopup, LPCWSTR text);
BOOL InsertMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, LPCWSTR text);
// Return the previous state (MF_GRAYED / MF_CHECKED ...), or -1 when there is no such item.
DWORD EnableMenuItem(HMENU menu, UINT item, UINT enable);
DWORD CheckMenuItem(HMENU menu, UINT item, UINT check);
UINT GetMenuState(HMENU menu, UINT item, UINT flags);
int GetMenuItemCount(HMENU menu);
// The command id of the item at position; -1 for a pop-up item or a bad position.
UINT GetMenuItemID(HMENU menu, int position);
int GetMenuStringW(HMENU menu, UINT item, LPWSTR buffer, int capacity, UINT flags);
// Shows the menu at (x, y) screen position and lets the user choose with the stylus; a choice
// is posted to owner as WM_COMMAND, or returned with TPM_RETURNCMD. Runs its own message loop.
BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, LPTPMPARAMS params);
