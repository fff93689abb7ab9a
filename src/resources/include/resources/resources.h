// The program's resources: string table, bitmaps, ... installed into the module at start.
#pragma once

#include <platform/types.h>

#include <vector>

// Resource ids used by the application's code.
constexpr unsigned IDS_PRODUCT_NAME = 1;
constexpr unsigned IDS_NEW_SERVER_TITLE = 3000;
constexpr unsigned IDB_THUMBNAIL_PLACEHOLDER = 1000;
constexpr unsigned IDI_APP_ICON = 101;
// The zoom bar's handle (4 bits per pixel): horizontal bar with 32-pixel icons (8 x 32), horizontal
// bar otherwise (16 x 64), vertical bar with 32-pixel icons (32 x 8), vertical bar otherwise
// (64 x 16).
constexpr unsigned IDB_ZOOM_HANDLE_HORZ_32 = 137;
constexpr unsigned IDB_ZOOM_HANDLE_HORZ = 138;
constexpr unsigned IDB_ZOOM_HANDLE_VERT_32 = 139;
constexpr unsigned IDB_ZOOM_HANDLE_VERT = 140;
// The key toolbar's handle, in the same four shapes: 156 (8 x 32), 154 (16 x 64), 157 (32 x 8),
// 155 (64 x 16).
constexpr unsigned IDB_KEY_HANDLE_HORZ_32 = 156;
constexpr unsigned IDB_KEY_HANDLE_HORZ = 154;
constexpr unsigned IDB_KEY_HANDLE_VERT_32 = 157;
constexpr unsigned IDB_KEY_HANDLE_VERT = 155;

// Menus (RT_MENU) and the menu-bar records (RT_RCDATA) built on them.
constexpr unsigned IDM_SERVER_LIST = 102;
constexpr unsigned IDM_SERVER_CONTEXT = 134;  // the list's tap-and-hold pop-up
constexpr unsigned IDM_VIEWER = 50002;
constexpr unsigned IDM_KEY_LIST = 110;
constexpr unsigned IDM_MACRO_LIST = 148;
constexpr unsigned IDM_MACRO_EDITOR = 149;
constexpr unsigned IDR_SERVER_LIST_BAR = 50001;
constexpr unsigned IDR_VIEWER_BAR = 50002;
constexpr unsigned IDR_KEY_LIST_BAR = 110;
constexpr unsigned IDR_KEY_EDITOR_BAR = 111;
constexpr unsigned IDR_MACRO_LIST_BAR = 148;
constexpr unsigned IDR_MACRO_EDITOR_BAR = 149;

// Dialog templates (RT_DIALOG).
constexpr unsigned IDD_PASSWORD = 103;
constexpr unsigned IDD_ABOUT_SQUARE = 105;
constexpr unsigned IDD_ABOUT_TALL = 5;
constexpr unsigned IDD_ABOUT_WIDE = 106;
constexpr unsigned IDD_SERVER_EDITOR = 131;
constexpr unsigned IDD_MACRO_EDITOR_SQUARE = 142;
constexpr unsigned IDD_MACRO_EDITOR_TALL = 143;
constexpr unsigned IDD_MACRO_EDITOR_WIDE = 144;
constexpr unsigned IDD_LIST_SQUARE = 145;
constexpr unsigned IDD_LIST_TALL = 146;
constexpr unsigned IDD_LIST_WIDE = 147;
constexpr unsigned IDD_KEY_EDITOR = 149;
constexpr unsigned IDD_DEFINE_KEYS = 153;

// Commands of the server list's menu.
constexpr unsigned IDM_EXIT = 32771;

// Installs every resource into module, which from then on is the program's ModuleInstance().
void InstallResources(HINSTANCE module);
// The module the resources were installed into (null before), for every later use of them.
HINSTANCE ModuleInstance();

// Builders, one per resource file.
void InstallStringTable(HINSTANCE module);
void InstallMenus(HINSTANCE module);
void InstallDialogs(HINSTANCE module);
std::vector<BYTE> BuildAppIcon();            // 32 x 32, 8 bits per pixel
std::vector<BYTE> BuildPlaceholderBitmap();  // 128 x 96, 8 bits per pixel
// A tool bar handle: a grip along the longer side, 4 bits per pixel.
std::vector<BYTE> BuildHandleBitmap(int width, int height);
