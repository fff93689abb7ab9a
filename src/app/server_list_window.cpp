#include <app/server_list_window.h>

#include <app/about_dialog.h>
#include <app/key_list_provider.h>
#include <app/macro_list_provider.h>
#include <app/server_editor.h>
#include <app/server_list_item.h>
#include <display/display.h>
#include <display/screen_metrics.h>
#include <platform/commctrl.h>
#include <platform/menu.h>
#include <platform/resources.h>
#include <platform/text.h>
#include <resources/resources.h>
#include <settings/viewer_messages.h>

#include <memory>

namespace {

constexpr WORD kOpenCommand = 40100;
constexpr WORD kAddCommand = 32774;
constexpr WORD kEditCommand = 32777;
constexpr WORD kDeleteCommand = 32778;
constexpr WORD kMacrosCommand = 32799;
constexpr WORD kDefinedKeysCommand = 32798;
constexpr WORD kAboutCommand = 40002;
constexpr int kListViewId = 1;

constexpr int kThumbnailColumn = 36;  // logical pixels, also the row height
constexpr DWORD kListStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_OWNERDRAWFIXED |
                             LVS_OWNERDATA | LVS_NOCOLUMNHEADER;

int TitleColumnWidth(const RECT& client) {
    return client.right - GetSystemMetrics(SM_CXVSCROLL) - ScaledX(kThumbnailColumn) - client.left -
           2;
}

}  // namespace

ServerListWindow::ServerListWindow(LPCWSTR title, ViewerFactory createViewer)
    : ClientWindow(nullptr, title, IDR_SERVER_LIST_BAR, false), createViewer_(createViewer) {
    servers_.LoadAll();
    RECT client{};
    GetClientRect(Handle(), &client);
    listView_ = CreateWindowExW(0, WC_LISTVIEW, u"", kListStyle, client.left, client.top,
                                client.right - client.left, client.bottom - client.top, Handle(),
                                reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(kListViewId)),
                                ModuleInstance(), nullptr);
    LRESULT extended = SendMessageW(listView_, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    SendMessageW(listView_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 extended | LVS_EX_FULLROWSELECT | LVS_EX_GRADIENT);
    LVCOLUMNW column{LVCF_FMT | LVCF_WIDTH, LVCFMT_LEFT, ScaledX(kThumbnailColumn), nullptr, 0, 0};
    SendMessageW(listView_, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    column.cx = TitleColumnWidth(client);
    SendMessageW(listView_, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
    UpdateItemCount();

    HMENU loaded = LoadMenuW(ModuleInstance(), MAKEINTRESOURCEW(IDM_SERVER_CONTEXT));
    contextMenu_ = GetSubMenu(loaded, 0);
    RemoveMenu(loaded, 0, MF_BYPOSITION);
    DestroyMenu(loaded);

    SetFocus(listView_);
}

ServerListWindow::~ServerListWindow() {
    // The window goes first, so no message reaches this object while the records go.
    Destroy();
    if (contextMenu_ != nullptr) {
        DestroyMenu(contextMenu_);
    }
    servers_.DestroyAll();
}

void ServerListWindow::NotifyConnectionStateChanged(HWND list, const ServerViewer* viewer) {
    if (list == nullptr) {
        return;
    }
    PostMessageW(list, WM_VIEWER_STATE_CHANGED, 0, reinterpret_cast<LPARAM>(viewer));
}

LRESULT ServerListWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MEASUREITEM: {
            auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            if (measure == nullptr || measure->CtlType != ODT_LISTVIEW) {
                break;
            }
            measure->itemHeight = static_cast<UINT>(ScaledY(kThumbnailColumn));
            return 1;
        }
        case WM_DRAWITEM: {
            auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item == nullptr || item->CtlType != ODT_LISTVIEW) {
                break;
            }
            return OnDrawItem(*item);
        }
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header != nullptr && header->hwndFrom == listView_ &&
                header->code == LVN_ITEMACTIVATE) {
                SendMessageW(Handle(), WM_COMMAND, kOpenCommand, 0);
            }
            return 1;
        }
        case WM_CONTEXTMENU:
            return OnContextMenu(reinterpret_cast<HWND>(wParam), lParam);
        case WM_COMMAND:
            return OnCommand(LOWORD(wParam)) ? 0
                                             : ClientWindow::WindowProc(message, wParam, lParam);
        case WM_VIEWER_CLOSED:
        case WM_VIEWER_THUMBNAIL:
        case WM_VIEWER_RECORD:
        case WM_VIEWER_STATE_CHANGED:
            return OnViewerMessage(message, wParam, lParam);
        case WM_SETFOCUS:
            SetFocus(listView_);
            return 0;
        case WM_SIZE:
            FitListToClientArea();
            break;
        case WM_SETTINGCHANGE:
            RestoreSurfaces();
            FitListToClientArea();
            break;
        case WM_DESTROY:
            PostQuitMessage(0);
            break;
        default:
            break;
    }
    return ClientWindow::WindowProc(message, wParam, lParam);
}

LRESULT ServerListWindow::OnDrawItem(const DRAWITEMSTRUCT& item) {
    if (item.hwndItem == listView_ && item.itemID < servers_.Count()) {
        DrawServerListItem(*servers_.At(item.itemID), item);
    }
    return 1;
}

LRESULT ServerListWindow::OnContextMenu(HWND from, LPARAM position) {
    if (from != listView_ || listView_ == nullptr) {
        return 0;
    }
    auto selected = static_cast<int>(SendMessageW(listView_, LVM_GETSELECTEDCOUNT, 0, 0));
    ServerRecord* first = FirstSelected();
    EnableMenuItem(contextMenu_, kEditCommand, selected == 1 ? MF_ENABLED : MF_GRAYED);
    bool deletable =
        selected >= 1 && first != nullptr && first->viewer == nullptr && first != opening_;
    EnableMenuItem(contextMenu_, kDeleteCommand, deletable ? MF_ENABLED : MF_GRAYED);
    TrackPopupMenuEx(contextMenu_, 0, GET_X_LPARAM(position), GET_Y_LPARAM(position), Handle(),
                     nullptr);
    return 1;
}

// True when the command is this window's; the others go to the base.
LRESULT ServerListWindow::OnCommand(WORD command) {
    switch (command) {
        case kOpenCommand:
        case kEditCommand:
        case kDeleteCommand: {
            ServerRecord* record = FirstSelected();
            if (record == nullptr) {
                return 1;
            }
            if (command == kOpenCommand) {
                Open(record);
            } else if (command == kEditCommand) {
                Edit(record);
            } else {
                Delete(record);
            }
            return 1;
        }
        case kAddCommand:
            Add();
            return 1;
        case IDM_EXIT:
            SendMessageW(Handle(), WM_CLOSE, 0, 0);
            return 1;
        case kAboutCommand:
            AboutDialog::Run(Handle());
            return 1;
        case kMacrosCommand: {
            MacroList macros;
            MacroListProvider list(macros);
            list.Show(Handle());
            return 1;
        }
        case kDefinedKeysCommand: {
            KeyList keys;
            KeyListProvider list(keys);
            list.Show(Handle());
            // Every open viewer reloads its toolbar and Keyboard-menu keys.
            for (std::size_t i = 0; i < servers_.Count(); ++i) {
                ServerViewer* viewer = servers_.At(i)->viewer;
                HWND window = viewer != nullptr ? viewer->GetWindow() : nullptr;
                if (window != nullptr) {
                    SendMessageW(window, WM_SETTINGCHANGE, 0, 0);
                }
            }
            return 1;
        }
        default:
            return 0;
    }
}

LRESULT ServerListWindow::OnViewerMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    auto* viewer = reinterpret_cast<const ServerViewer*>(lParam);
    ServerRecord* record = viewer != nullptr ? servers_.FindByViewer(viewer) : nullptr;
    if (record == nullptr) {
        return 0;  // a viewer that no record knows
    }
    switch (message) {
        case WM_VIEWER_CLOSED: {
            ServerViewer* closed = record->viewer;
            record->viewer = nullptr;
            delete closed;
            RedrawRecord(record);
            return 1;
        }
        case WM_VIEWER_THUMBNAIL: {
            auto* image = reinterpret_cast<const ThumbnailImage*>(wParam);
            if (image != nullptr && image->pixels != nullptr && image->width > 0 &&
                image->height > 0) {
                SaveThumbnail(record, image->width, image->height, image->pixels);
                RedrawRecord(record);
            }
            return 1;
        }
        case WM_VIEWER_RECORD:
            return reinterpret_cast<LRESULT>(record);
        default:  // WM_VIEWER_STATE_CHANGED
            RedrawRecord(record);
            return 1;
    }
}

void ServerListWindow::FitListToClientArea() {
    if (listView_ == nullptr) {
        return;
    }
    RECT client{};
    GetClientRect(Handle(), &client);
    RECT list{};
    GetWindowRect(listView_, &list);
    POINT origin{list.left, list.top};
    ScreenToClient(Handle(), &origin);
    MoveWindow(listView_, origin.x, origin.y, client.right - client.left,
               client.bottom - client.top, TRUE);
    SendMessageW(listView_, LVM_SETCOLUMNWIDTH, 0, ScaledX(kThumbnailColumn));
    SendMessageW(listView_, LVM_SETCOLUMNWIDTH, 1, TitleColumnWidth(client));
}

ServerRecord* ServerListWindow::FirstSelected() const {
    auto index = static_cast<int>(
        SendMessageW(listView_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (index < 0 || static_cast<std::size_t>(index) >= servers_.Count()) {
        return nullptr;
    }
    return servers_.At(static_cast<std::size_t>(index));
}

void ServerListWindow::Open(ServerRecord* record) {
    if (record->viewer != nullptr) {
        HWND viewer = record->viewer->GetWindow();
        ShowWindow(viewer, SW_SHOW);
        SetForegroundWindow(viewer);
        return;
    }
    // A viewer may run a nested loop while it is made (the password prompt): a second open of
    // the same record meanwhile must not make a second viewer.
    if (createViewer_ == nullptr || opening_ == record) {
        return;
    }
    std::unique_ptr<SettingsKey> servers(OpenSettingsCollection(u"Servers"));
    std::unique_ptr<SettingsKey> key(servers ? servers->openSubkey(record->Id) : nullptr);
    if (servers) {
        servers->close();
    }
    if (!key) {
        return;
    }
    opening_ = record;
    ServerViewer* viewer = createViewer_(Handle(), record, key.get());
    opening_ = nullptr;
    key->close();
    // The record is still there: Delete leaves the record being opened alone.
    record->viewer = viewer;
    RedrawRecord(record);
}

void ServerListWindow::Add() {
    WCHAR title[kTextCapacity];
    LoadStringW(ModuleInstance(), IDS_NEW_SERVER_TITLE, title, kTextCapacity);
    ServerSettings settings = DefaultServerSettings();
    if (!ServerEditor::Run(Handle(), title, &settings)) {
        return;
    }
    servers_.Create(title, settings);
    UpdateItemCount();
}

void ServerListWindow::Edit(ServerRecord* record) {
    WCHAR title[kTextCapacity];
    lstrcpynW(title, record->Title, kTextCapacity);
    ServerSettings settings = record->settings;
    if (!ServerEditor::Run(Handle(), title, &settings)) {
        return;
    }
    lstrcpynW(record->Title, title, kTextCapacity);
    record->settings = settings;
    servers_.Save(record);
    InvalidateRect(listView_, nullptr, FALSE);
}

void ServerListWindow::Delete(ServerRecord* record) {
    if (record == opening_) {
        return;
    }
    servers_.Delete(record);
    // The rows below move up: no other server inherits the deleted one's selection.
    LVITEMW none{};
    none.stateMask = LVIS_SELECTED;
    SendMessageW(listView_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(&none));
    UpdateItemCount();
}

void ServerListWindow::UpdateItemCount() {
    SendMessageW(listView_, LVM_SETITEMCOUNT, servers_.Count(), 0);
    InvalidateRect(listView_, nullptr, FALSE);
}

void ServerListWindow::RedrawRecord(const ServerRecord* record) {
    for (std::size_t i = 0; i < servers_.Count(); ++i) {
        if (servers_.At(i) != record) {
            continue;
        }
        RECT item{};
        item.left = LVIR_BOUNDS;
        if (SendMessageW(listView_, LVM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item)) != 0) {
            InvalidateRect(listView_, &item, FALSE);
        }
        return;
    }
}
