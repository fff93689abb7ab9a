#include <app/define_keys_dialog.h>

#include <widgets/help.h>
#include <app/modal_dialog.h>
#include <platform/dialog.h>
#include <platform/resources.h>
#include <platform/shell.h>
#include <platform/text.h>
#include <resources/resources.h>

#include <memory>
#include <vector>

namespace {

constexpr DWORD kFullScreenWithOk = 0x2D;
constexpr int kHeadingFirst = 100;  // "Key", "Toolbar", "Menu"
constexpr UINT kHeadingTextFirst = 300;
// Row i's controls. Keys are loaded up to kMaxDefinedKeys, so the three ranges never meet and
// stay below the commands of the menus.
constexpr int kLabelFirst = 10000, kToolbarFirst = 20000, kMenuFirst = 30000;
static_assert(kMenuFirst + kMaxDefinedKeys <= 0x7FFF &&
              kLabelFirst + kMaxDefinedKeys <= kToolbarFirst);
constexpr int kLineStep = 15;  // pixels per scroll-bar arrow

struct DefineKeysContext {
    KeyList* keyList = nullptr;
    std::vector<KeyDef> keys;
    std::unique_ptr<SettingsKey> placements;  // the server's "Keys"
};

DefineKeysContext* ContextOf(HWND dialog) {
    return reinterpret_cast<DefineKeysContext*>(GetWindowLongPtrW(dialog, GWL_USERDATA));
}

HWND MakeControl(HWND dialog, LPCWSTR windowClass, LPCWSTR text, DWORD style, int id) {
    return CreateWindowExW(0, windowClass, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, dialog,
                           reinterpret_cast<HMENU>(static_cast<std::intptr_t>(id)),
                           GetModuleHandleW(nullptr), nullptr);
}

void Place(HWND dialog, int id, int x, int y, int width, int height) {
    MoveWindow(GetDlgItem(dialog, id), x, y, width, height, TRUE);
}

// Lays the rows out at the scroll position; a real size change (size not 0) also resets the
// scroll bar to the top.
void Layout(HWND dialog, LPARAM size) {
    DefineKeysContext* context = ContextOf(dialog);
    if (context == nullptr) {
        return;
    }
    RECT units{3, 0, 32, 12};
    MapDialogRect(dialog, &units);
    int margin = units.left, column = units.right, rowHeight = units.bottom;
    RECT client{};
    GetClientRect(dialog, &client);
    int label = client.right - 2 * column;
    SCROLLINFO scroll{};
    scroll.cbSize = sizeof scroll;
    scroll.fMask = SIF_POS;
    GetScrollInfo(dialog, SB_VERT, &scroll);
    int position = size != 0 ? 0 : scroll.nPos;
    auto row = [&](int y, int labelId, int toolbarId, int menuId) {
        Place(dialog, labelId, margin, y, label, rowHeight);
        Place(dialog, toolbarId, label + margin, y, column, rowHeight);
        Place(dialog, menuId, label + column + margin, y, column, rowHeight);
    };
    row(-position, kHeadingFirst, kHeadingFirst + 1, kHeadingFirst + 2);
    for (int i = 0; i < static_cast<int>(context->keys.size()); ++i) {
        row(-position + (i + 1) * rowHeight, kLabelFirst + i, kToolbarFirst + i, kMenuFirst + i);
    }
    if (size != 0) {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        info.nMax = (static_cast<int>(context->keys.size()) + 1) * rowHeight + margin;
        info.nPage = static_cast<UINT>(client.bottom);
        SetScrollInfo(dialog, SB_VERT, &info, TRUE);
    }
}

void Scroll(HWND dialog, WORD request) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(dialog, SB_VERT, &info);
    int position = info.nPos;
    switch (request) {
        case SB_LINEUP:
            position -= kLineStep;
            break;
        case SB_LINEDOWN:
            position += kLineStep;
            break;
        case SB_PAGEUP:
            position -= static_cast<int>(info.nPage);
            break;
        case SB_PAGEDOWN:
            position += static_cast<int>(info.nPage);
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            position = info.nTrackPos;
            break;
        case SB_TOP:
            position = info.nMin;
            break;
        case SB_BOTTOM:
            position = info.nMax;
            break;
        case SB_ENDSCROLL:
            break;
        default:
            return;
    }
    SCROLLINFO set{};
    set.cbSize = sizeof set;
    set.fMask = SIF_POS;
    set.nPos = position;
    SetScrollInfo(dialog, SB_VERT, &set, TRUE);  // clamped to the range
    Layout(dialog, 0);
}

void Initialise(HWND dialog, DefineKeysContext& context) {
    SetWindowLongPtrW(dialog, GWL_USERDATA, reinterpret_cast<LONG_PTR>(&context));
    SHINITDLGINFO info{SHIDIM_FLAGS, dialog, kFullScreenWithOk};
    SHInitDialog(&info);
    SetWindowLongW(dialog, GWL_STYLE, GetWindowLongW(dialog, GWL_STYLE) | WS_VSCROLL);
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    auto make = [&](LPCWSTR windowClass, LPCWSTR text, DWORD style, int id) {
        SendMessageW(MakeControl(dialog, windowClass, text, style, id), WM_SETFONT,
                     reinterpret_cast<WPARAM>(font), 0);
    };
    for (int i = 0; i < 3; ++i) {
        WCHAR text[kTextCapacity] = {};
        LoadStringW(GetModuleHandleW(nullptr), kHeadingTextFirst + i, text, kTextCapacity);
        make(WC_STATIC, text, SS_NOPREFIX, kHeadingFirst + i);
    }
    for (int i = 0; i < static_cast<int>(context.keys.size()); ++i) {
        const KeyDef& key = context.keys[static_cast<std::size_t>(i)];
        make(WC_STATIC, key.Title, SS_NOPREFIX, kLabelFirst + i);
        make(WC_BUTTON, u"", BS_AUTOCHECKBOX, kToolbarFirst + i);
        make(WC_BUTTON, u"", BS_AUTOCHECKBOX, kMenuFirst + i);
        CheckDlgButton(dialog, kToolbarFirst + i, key.InToolbar ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dialog, kMenuFirst + i, key.InMenu ? BST_CHECKED : BST_UNCHECKED);
    }
    // The shell sized the dialog before the rows existed: lay them out now.
    RECT client{};
    GetClientRect(dialog, &client);
    Layout(dialog, MAKELPARAM(client.right, client.bottom));
}

void Confirm(HWND dialog, DefineKeysContext& context) {
    for (int i = 0; i < static_cast<int>(context.keys.size()); ++i) {
        KeyDef& key = context.keys[static_cast<std::size_t>(i)];
        key.InToolbar = IsDlgButtonChecked(dialog, kToolbarFirst + i) == BST_CHECKED;
        key.InMenu = IsDlgButtonChecked(dialog, kMenuFirst + i) == BST_CHECKED;
        key.WritePlacement(*context.placements);
    }
    EndDialog(dialog, 1);
}

INT_PTR DefineKeysProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        Initialise(dialog, *reinterpret_cast<DefineKeysContext*>(lParam));
        return 1;
    }
    DefineKeysContext* context = ContextOf(dialog);
    if (context == nullptr) {
        return 0;
    }
    switch (message) {
        case WM_SIZE:
            Layout(dialog, lParam);
            return 0;
        case WM_VSCROLL:
            Scroll(dialog, LOWORD(wParam));
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                Confirm(dialog, *context);
                return 1;
            }
            return 0;
        case WM_CLOSE:  // leaving without OK writes nothing
            EndDialog(dialog, 0);
            return 1;
        case WM_HELP:
            ShowHelp(u"Client");
            return 1;
        case WM_DESTROY:
            SetWindowLongPtrW(dialog, GWL_USERDATA, 0);
            return 0;
        default:
            return 0;
    }
}

}  // namespace

bool ShowDefineKeys(HWND parent, KeyList& keyList, SettingsKey& serverKey) {
    DefineKeysContext context;
    context.keyList = &keyList;
    LoadKeysForServer(keyList, serverKey, kPlacementBoth, context.keys);
    context.placements.reset(serverKey.openSubkey(u"Keys"));
    if (!context.placements) {
        return false;
    }
    return RunModalDialog(IDD_DEFINE_KEYS, parent, DefineKeysProc,
                          reinterpret_cast<LPARAM>(&context)) == 1;
}

bool RunDefineKeysDialog(HWND owner, SettingsKey* serverKey) {
    if (serverKey == nullptr) {
        return false;
    }
    KeyList keyList;
    return ShowDefineKeys(owner, keyList, *serverKey);
}
