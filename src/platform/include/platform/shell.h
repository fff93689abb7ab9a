// The handheld shell's helpers: bitmap files, soft-key menu bars, activation and setting changes.
#pragma once

#include <platform/gdi.h>
#include <platform/menu.h>
#include <platform/window.h>

// Reads a bitmap file of the device file system (1, 4, 8, 16, 24 or 32 bits, uncompressed or
// bit fields); null when it is missing or damaged.
HBITMAP SHLoadDIBitmap(LPCWSTR path);

// ---- soft-key menu bars ----
struct SHMENUBARINFO {
    DWORD cbSize;
    HWND hwndParent;
    DWORD dwFlags;
    UINT nToolBarId;  // the menu-bar record (RCDATA)
    HINSTANCE hInstRes;
    int nBmpId;
    int cBmpImages;
    HWND hwndMB;  // out: the menu bar
    COLORREF clrBk;
};

// Makes the soft-key bar of a menu-bar record: the menu resource id, the number of buttons, then
// per button (all 16-bit): image, command, state, style, label string id, 0, pop-up index of the
// menu (0xFFFF: a plain button). A pop-up button opens its menu above the bar.
// With SHCMBF_EMPTYBAR the bar has no buttons and no record is read.
BOOL SHCreateMenuBar(SHMENUBARINFO* info);
constexpr DWORD SHCMBF_EMPTYBAR = 0x0001;
HWND SHFindMenuBar(HWND window);

constexpr UINT SHCMBM_GETSUBMENU = WM_USER + 401;  // lParam: command of a pop-up button
constexpr UINT SHCMBM_GETMENU = WM_USER + 402;
constexpr UINT TB_GETBUTTONINFO = WM_USER + 63;
constexpr DWORD TBIF_IMAGE = 0x00000001;
constexpr DWORD TBIF_TEXT = 0x00000002;
constexpr DWORD TBIF_STATE = 0x00000004;
constexpr DWORD TBIF_STYLE = 0x00000008;
constexpr DWORD TBIF_LPARAM = 0x00000010;
constexpr DWORD TBIF_COMMAND = 0x00000020;
constexpr DWORD TBIF_BYINDEX = 0x80000000;
constexpr BYTE TBSTATE_ENABLED = 0x04;
constexpr BYTE TBSTYLE_DROPDOWN = 0x08;
constexpr BYTE TBSTYLE_AUTOSIZE = 0x10;

struct TBBUTTONINFOW {
    UINT cbSize;
    DWORD dwMask;
    int idCommand;
    int iImage;
    BYTE fsState;
    BYTE fsStyle;
    WORD cx;
    LPARAM lParam;  // a pop-up button's menu
    LPWSTR pszText;
    int cchText;
};

// ---- activation and setting changes ----
struct SHACTIVATEINFO {
    DWORD cbSize;
    HWND hwndLastFocus;
    UINT fSipUp : 1;
    UINT fSipOnDeactivation : 1;
    UINT fActive : 1;
    UINT fReserved : 29;
};

// Keeps the focus a window had when it was deactivated and gives it back on activation.
BOOL SHHandleWMActivate(HWND window, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO* info,
                        DWORD flags);
// After a screen rotation (SETTINGCHANGE_RESET), a top-level window that filled the work area is
// fitted to the new one (above its menu bar, if it has one): it gets WM_SIZE.
BOOL SHHandleWMSettingChange(HWND window, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO* info);

// ---- full-screen dialogs ----
struct SHINITDLGINFO {
    DWORD dwMask;
    HWND hDlg;
    DWORD dwFlags;
};
constexpr DWORD SHIDIM_FLAGS = 0x0001;
constexpr DWORD SHIDIF_DONEBUTTON = 0x0001;  // the task bar's "ok" sends IDOK
constexpr DWORD SHIDIF_SIZEDLG = 0x0002;
constexpr DWORD SHIDIF_SIZEDLGFULLSCREEN = 0x0004;  // fills the work area, refitted on rotation
constexpr DWORD SHIDIF_SIPDOWN = 0x0008;            // lowers the input panel
constexpr DWORD SHIDIF_FULLSCREENNOMENUBAR = 0x0010;
constexpr DWORD SHIDIF_EMPTYMENU = 0x0020;  // an empty soft-key bar below the dialog
// Makes a dialog a full-screen device dialog as the flags ask.
BOOL SHInitDialog(SHINITDLGINFO* info);
