// The combo box: its field (an edit child for CBS_DROPDOWN, drawn text for CBS_DROPDOWNLIST) with
// an arrow, and a drop-down list on its own pop-up window opened by a tap; items keep a data value;
// CBS_SORT inserts in text order. The window is always as tall as its field: the height it is
// created or sized with is the height of the open list, which pages through longer lists with
// the arrows of a strip at its right. Only the user's typing is an edit change (CBN_EDITCHANGE),
// and it clears the selection: the text no longer names an item.
#include "control_state.h"

#include <platform/device_screen.h>
#include <platform/text.h>
#include <platform_internal/filled_paint.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr WCHAR kListClass[] = u"ComboLBox";
constexpr int kEditId = 1001;

struct Item {
    std::u16string text;
    LPARAM data = 0;
};

struct ComboState {
    HFONT font = nullptr;
    std::vector<Item> items;
    int selection = CB_ERR;
    int droppedHeight = 0;
    HWND edit = nullptr;
    HWND list = nullptr;       // the open drop-down list
    int listTop = 0;           // the first item the open list shows
    bool settingText = false;  // the field's text is being set by the combo, not typed
};

ControlStates<ComboState> states;

int Scaled(int logical) {
    return (logical * CurrentDeviceScreen().dpi + 48) / 96;
}

int ItemHeight() {
    return Scaled(18);
}

int FieldHeight() {
    return Scaled(22);
}

int StripWidth() {
    return Scaled(13);
}

int VisibleItems(HWND list) {
    RECT client;
    GetClientRect(list, &client);
    return std::max((static_cast<int>(client.bottom) - 2) / ItemHeight(), 1);
}

// Whether the open list holds more items than it shows: it then has the paging strip.
bool Pages(HWND list, const ComboState& state) {
    return static_cast<int>(state.items.size()) > VisibleItems(list);
}

void SetFieldText(ComboState& state, LPCWSTR text) {
    bool was = state.settingText;
    state.settingText = true;
    SetWindowTextW(state.edit, text);
    state.settingText = was;
}

bool Sorted(HWND combo) {
    return (GetWindowLongW(combo, GWL_STYLE) & CBS_SORT) != 0;
}

bool HasEdit(HWND combo) {
    return (GetWindowLongW(combo, GWL_STYLE) & 0x3) == CBS_DROPDOWN;
}

void Select(HWND combo, ComboState& state, int index) {
    state.selection = index >= 0 && index < static_cast<int>(state.items.size()) ? index : CB_ERR;
    if (state.edit != nullptr) {
        SetFieldText(state, state.selection >= 0 ? state.items[state.selection].text.c_str() : u"");
    }
    InvalidateRect(combo, nullptr, TRUE);
}

void CloseList(HWND combo, ComboState& state) {
    if (state.list != nullptr) {
        HWND list = state.list;
        state.list = nullptr;
        ReleaseCapture();
        DestroyWindow(list);
        NotifyParent(combo, CBN_CLOSEUP);
    }
}

void PaintList(HWND list) {
    auto combo = reinterpret_cast<HWND>(GetWindowLongPtrW(list, GWL_USERDATA));
    ComboState& state = states.Of(combo);
    PAINTSTRUCT paint;
    RECT client;
    HDC dc = BeginFilledPaint(list, paint, client, COLOR_WINDOW);
    HGDIOBJ previousFont = SelectControlFont(dc, state.font);
    SetBkMode(dc, TRANSPARENT);
    bool pages = Pages(list, state);
    int right = pages ? client.right - StripWidth() : client.right - 1;
    int shown = VisibleItems(list);
    for (int n = 0; n < shown; ++n) {
        std::size_t i = static_cast<std::size_t>(state.listTop + n);
        if (i >= state.items.size()) {
            break;
        }
        RECT row{1, 1 + n * ItemHeight(), right, 1 + (n + 1) * ItemHeight()};
        bool selected = static_cast<int>(i) == state.selection;
        if (selected) {
            FillRect(dc, &row, GetSysColorBrush(COLOR_HIGHLIGHT));
        }
        SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        row.left += Scaled(3);
        DrawTextW(dc, state.items[i].text.c_str(), -1, &row,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    SelectObject(dc, previousFont);
    HGDIOBJ previousBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    HGDIOBJ previousPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    Rectangle(dc, 0, 0, client.right, client.bottom);
    if (pages) {  // the strip: an up arrow in its upper half, a down arrow in its lower half
        int x = client.right - StripWidth();
        MoveToEx(dc, x, 0, nullptr);
        LineTo(dc, x, client.bottom);
        int cx = x + StripWidth() / 2, half = Scaled(3);
        for (int d = 0; d <= half; ++d) {
            int up = client.bottom / 4 - half / 2 + d, down = 3 * client.bottom / 4 + half / 2 - d;
            MoveToEx(dc, cx - d, up, nullptr);
            LineTo(dc, cx + d + 1, up);
            MoveToEx(dc, cx - d, down, nullptr);
            LineTo(dc, cx + d + 1, down);
        }
    }
    SelectObject(dc, previousPen);
    SelectObject(dc, previousBrush);
    EndPaint(list, &paint);
}

// A tap on the paging strip: a page up in its upper half, a page down in its lower half.
void PageList(HWND list, ComboState& state, int y) {
    RECT client;
    GetClientRect(list, &client);
    int shown = VisibleItems(list);
    int last = std::max(static_cast<int>(state.items.size()) - shown, 0);
    int top = state.listTop + (y < client.bottom / 2 ? -shown : shown);
    state.listTop = std::clamp(top, 0, last);
    InvalidateRect(list, nullptr, TRUE);
}

LRESULT ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    auto combo = reinterpret_cast<HWND>(GetWindowLongPtrW(list, GWL_USERDATA));
    switch (message) {
        case WM_PAINT:
            if (combo != nullptr) {
                PaintList(list);
                return 0;
            }
            break;
        case WM_LBUTTONDOWN: {  // the release of the tap that opened the list is not a choice
            if (combo == nullptr) {
                return 0;
            }
            RECT client;
            GetClientRect(list, &client);
            if (!PtInRect(&client, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) {
                CloseList(combo, states.Of(combo));  // a tap outside the list
            } else {
                SetWindowLongPtrW(list, GWL_ID, 1);  // pressed inside
            }
            return 0;
        }
        case WM_LBUTTONUP: {
            if (combo == nullptr || GetWindowLongPtrW(list, GWL_ID) != 1) {
                return 0;
            }
            ComboState& state = states.Of(combo);
            RECT client;
            GetClientRect(list, &client);
            POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            SetWindowLongPtrW(list, GWL_ID, 0);
            if (PtInRect(&client, point) && Pages(list, state) &&
                point.x >= client.right - StripWidth()) {
                PageList(list, state, point.y);
                return 0;
            }
            if (PtInRect(&client, point)) {
                int index = state.listTop + (point.y - 1) / ItemHeight();
                if (index >= 0 && index < static_cast<int>(state.items.size())) {
                    bool changed = index != state.selection;
                    Select(combo, state, index);
                    CloseList(combo, state);
                    if (changed) {
                        NotifyParent(combo, CBN_SELCHANGE);
                    }
                    return 0;
                }
            }
            CloseList(combo, state);  // a tap outside the list
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(list, message, wParam, lParam);
}

void OpenList(HWND combo, ComboState& state) {
    static bool registered = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = ListProc;
        windowClass.lpszClassName = kListClass;
        return RegisterClassW(&windowClass) != 0;
    }();
    (void)registered;
    if (state.list != nullptr) {
        return;
    }
    NotifyParent(combo, CBN_DROPDOWN);
    RECT field;
    GetWindowRect(combo, &field);
    int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    int wanted = static_cast<int>(std::max<std::size_t>(state.items.size(), 1)) * ItemHeight() + 2;
    int room = std::max(state.droppedHeight - (field.bottom - field.top), ItemHeight() + 2);
    int height = std::min(wanted, room);
    int top = field.bottom + height <= screenHeight ? field.bottom : field.top - height;
    state.list =
        CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, kListClass, u"", WS_POPUP, field.left,
                        top, field.right - field.left, height, combo, nullptr, nullptr, nullptr);
    SetWindowLongPtrW(state.list, GWL_USERDATA, reinterpret_cast<LONG_PTR>(combo));
    // The selected item shows, as near the top as the list allows.
    int shown = VisibleItems(state.list);
    int last = std::max(static_cast<int>(state.items.size()) - shown, 0);
    state.listTop = std::clamp(state.selection, 0, last);
    ShowWindow(state.list, SW_SHOWNOACTIVATE);
    SetCapture(state.list);
}

void Paint(HWND combo, ComboState& state) {
    PAINTSTRUCT paint;
    RECT client;
    HDC dc = BeginFilledPaint(combo, paint, client, COLOR_WINDOW);
    HGDIOBJ previousBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    HGDIOBJ previousPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    Rectangle(dc, 0, 0, client.right, client.bottom);
    int arrow = client.bottom;  // a square button with a down arrow at the right
    MoveToEx(dc, client.right - arrow, 0, nullptr);
    LineTo(dc, client.right - arrow, client.bottom);
    int cx = client.right - arrow / 2, cy = client.bottom / 2 - Scaled(2);
    for (int d = 0; d <= Scaled(4); ++d) {
        MoveToEx(dc, cx - Scaled(4) + d, cy + d, nullptr);
        LineTo(dc, cx + Scaled(4) - d + 1, cy + d);
    }
    SelectObject(dc, previousPen);
    SelectObject(dc, previousBrush);
    if (state.edit == nullptr && state.selection >= 0) {
        HGDIOBJ previousFont = SelectControlFont(dc, state.font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(IsWindowEnabled(combo) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
        RECT text{Scaled(3), 0, client.right - arrow - Scaled(2), client.bottom};
        DrawTextW(dc, state.items[state.selection].text.c_str(), -1, &text,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        SelectObject(dc, previousFont);
    }
    EndPaint(combo, &paint);
}

int Insert(HWND combo, ComboState& state, int at, LPCWSTR text) {
    Item item{text != nullptr ? text : u"", 0};
    int index = at < 0 || at > static_cast<int>(state.items.size())
                    ? static_cast<int>(state.items.size())
                    : at;
    if (Sorted(combo)) {
        index = static_cast<int>(std::upper_bound(state.items.begin(), state.items.end(), item,
                                                  [](const Item& a, const Item& b) {
                                                      return lstrcmpiW(a.text.c_str(),
                                                                       b.text.c_str()) < 0;
                                                  }) -
                                 state.items.begin());
    }
    state.items.insert(state.items.begin() + index, item);
    if (state.selection >= index) {
        ++state.selection;
    }
    return index;
}

}  // namespace

LRESULT ComboBoxProc(HWND combo, UINT message, WPARAM wParam, LPARAM lParam) {
    ComboState& state = states.Of(combo);
    auto valid = [&](WPARAM index) { return index < state.items.size(); };
    switch (message) {
        case WM_CREATE: {
            // A combo box's scroll-bar styles are meant for its drop-down list, not its field.
            SetWindowLongW(combo, GWL_STYLE,
                           GetWindowLongW(combo, GWL_STYLE) & ~(WS_VSCROLL | WS_HSCROLL));
            auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            state.droppedHeight = create->cy;
            int field = FieldHeight();
            SetWindowPos(combo, nullptr, 0, 0, create->cx, field,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            if (HasEdit(combo)) {
                state.edit = CreateWindowExW(
                    0, WC_EDIT, u"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 1, 1,
                    create->cx - field - 1, field - 2, combo,
                    reinterpret_cast<HMENU>(static_cast<std::intptr_t>(kEditId)), nullptr, nullptr);
            }
            return 0;
        }
        case WM_SIZE: {
            int width = LOWORD(static_cast<std::uintptr_t>(lParam)),
                height = HIWORD(static_cast<std::uintptr_t>(lParam));
            if (height != FieldHeight()) {
                // Moved or sized after creation: the height asked for is the open list's; the
                // window keeps its field's height (the resize comes back here with it).
                state.droppedHeight = height;
                SetWindowPos(combo, nullptr, 0, 0, width, FieldHeight(),
                             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
                return 0;
            }
            if (state.edit != nullptr) {
                MoveWindow(state.edit, 1, 1, std::max(width - height - 1, 0),
                           std::max(height - 2, 0), TRUE);
            }
            return 0;
        }
        case WM_PAINT:
            Paint(combo, state);
            return 0;
        case WM_SETFONT:
            state.font = reinterpret_cast<HFONT>(wParam);
            if (state.edit != nullptr) {
                SendMessageW(state.edit, WM_SETFONT, wParam, lParam);
            }
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(state.font);
        case WM_SETTEXT:
            if (state.edit != nullptr) {
                bool was = state.settingText;
                state.settingText = true;
                LRESULT result = SendMessageW(state.edit, WM_SETTEXT, wParam, lParam);
                state.settingText = was;
                return result;
            }
            break;
        case WM_GETTEXT:
            if (state.edit != nullptr) {
                return GetWindowTextW(state.edit, reinterpret_cast<LPWSTR>(lParam),
                                      static_cast<int>(wParam));
            }
            if (lParam != 0 && wParam > 0) {
                lstrcpynW(reinterpret_cast<LPWSTR>(lParam),
                          state.selection >= 0 ? state.items[state.selection].text.c_str() : u"",
                          static_cast<int>(wParam));
                return lstrlenW(reinterpret_cast<LPWSTR>(lParam));
            }
            return 0;
        case WM_COMMAND:  // from the edit field
            if (LOWORD(wParam) == kEditId && HIWORD(wParam) == EN_CHANGE && !state.settingText) {
                if (state.selection != CB_ERR) {
                    state.selection = CB_ERR;  // the typed text names no item
                    InvalidateRect(combo, nullptr, TRUE);
                }
                NotifyParent(combo, CBN_EDITCHANGE);
            }
            return 0;
        case WM_LBUTTONDOWN:
            if (state.edit == nullptr) {
                SetFocus(combo);
            }
            if (state.list != nullptr) {
                CloseList(combo, state);
            } else {
                OpenList(combo, state);
            }
            return 0;
        case WM_KEYDOWN:
            if (ForwardDialogKey(combo, wParam)) {
                return 0;
            }
            if ((wParam == VK_DOWN || wParam == VK_UP) && !state.items.empty()) {
                int next = state.selection + (wParam == VK_DOWN ? 1 : -1);
                next = std::clamp(next, 0, static_cast<int>(state.items.size()) - 1);
                if (next != state.selection) {
                    Select(combo, state, next);
                    NotifyParent(combo, CBN_SELCHANGE);
                }
            }
            return 0;
        case CB_ADDSTRING:
            return Insert(combo, state, -1, reinterpret_cast<LPCWSTR>(lParam));
        case CB_INSERTSTRING:
            return Insert(combo, state, static_cast<int>(wParam),
                          reinterpret_cast<LPCWSTR>(lParam));
        case CB_DELETESTRING:
            if (!valid(wParam)) {
                return CB_ERR;
            }
            state.items.erase(state.items.begin() + static_cast<std::ptrdiff_t>(wParam));
            if (state.selection == static_cast<int>(wParam)) {
                Select(combo, state, CB_ERR);
            } else if (state.selection > static_cast<int>(wParam)) {
                --state.selection;
            }
            return static_cast<LRESULT>(state.items.size());
        case CB_GETCOUNT:
            return static_cast<LRESULT>(state.items.size());
        case CB_RESETCONTENT:
            CloseList(combo, state);
            state.items.clear();
            Select(combo, state, CB_ERR);
            return 0;
        case CB_GETCURSEL:
            return state.selection;
        case CB_SETCURSEL:
            Select(combo, state, static_cast<int>(wParam));
            return valid(wParam) ? static_cast<LRESULT>(wParam) : CB_ERR;
        case CB_GETITEMDATA:
            return valid(wParam) ? state.items[wParam].data : CB_ERR;
        case CB_SETITEMDATA:
            if (!valid(wParam)) {
                return CB_ERR;
            }
            state.items[wParam].data = lParam;
            return 0;
        case CB_GETLBTEXTLEN:
            return valid(wParam) ? static_cast<LRESULT>(state.items[wParam].text.size()) : CB_ERR;
        case CB_GETLBTEXT:  // the buffer must hold CB_GETLBTEXTLEN + 1 units, as on the handheld
            if (!valid(wParam) || lParam == 0) {
                return CB_ERR;
            }
            std::copy(state.items[wParam].text.begin(), state.items[wParam].text.end(),
                      reinterpret_cast<LPWSTR>(lParam));
            reinterpret_cast<LPWSTR>(lParam)[state.items[wParam].text.size()] = 0;
            return static_cast<LRESULT>(state.items[wParam].text.size());
        case CB_SHOWDROPDOWN:
            if (wParam != 0) {
                OpenList(combo, state);
            } else {
                CloseList(combo, state);
            }
            return TRUE;
        case CB_GETDROPPEDSTATE:
            return state.list != nullptr;
        case WM_DESTROY:
            CloseList(combo, state);
            break;
        case WM_NCDESTROY:
            states.Forget(combo);
            break;
        default:
            break;
    }
    return DefWindowProcW(combo, message, wParam, lParam);
}
