// The single-line edit control: typing at the caret (a selection is replaced), Backspace, Delete,
// the arrow keys, Home and End; password characters; a text limit; horizontal scrolling that
// keeps the caret in view; EN_CHANGE after every change of the text.
#include "control_state.h"

#include <platform/device_screen.h>
#include <platform_internal/filled_paint.h>

#include <algorithm>
#include <string>

namespace {

constexpr int kDefaultLimit = 30000;

struct EditState {
    HFONT font = nullptr;
    int limit = kDefaultLimit;
    WCHAR passwordChar = 0;
    bool styleRead = false;
    int caret = 0;
    int anchor = 0;      // the selection runs between anchor and caret
    int firstShown = 0;  // the first character drawn at the left edge
    bool focused = false;
};

ControlStates<EditState> states;

int Margin() {
    return (3 * CurrentDeviceScreen().dpi + 48) / 96;
}

std::u16string TextOf(HWND window) {
    std::u16string text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, u'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

void StoreText(HWND window, const std::u16string& text) {
    DefWindowProcW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::u16string Shown(const EditState& state, const std::u16string& text) {
    return state.passwordChar != 0 ? std::u16string(text.size(), state.passwordChar) : text;
}

int WidthOf(HWND window, const EditState& state, const std::u16string& text, int from, int to) {
    if (to <= from) {
        return 0;
    }
    HDC dc = GetDC(window);
    HGDIOBJ previous = SelectControlFont(dc, state.font);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str() + from, to - from, &size);
    SelectObject(dc, previous);
    ReleaseDC(window, dc);
    return size.cx;
}

// Scrolls so that the caret is inside the field.
void KeepCaretInView(HWND window, EditState& state) {
    std::u16string shown = Shown(state, TextOf(window));
    RECT client;
    GetClientRect(window, &client);
    int room = std::max<int>(1, client.right - 2 * Margin());
    state.firstShown = std::min(state.firstShown, state.caret);
    while (state.firstShown < state.caret &&
           WidthOf(window, state, shown, state.firstShown, state.caret) > room) {
        ++state.firstShown;
    }
}

void Changed(HWND window, EditState& state) {
    KeepCaretInView(window, state);
    InvalidateRect(window, nullptr, TRUE);
}

void Paint(HWND window, EditState& state) {
    PAINTSTRUCT paint;
    RECT client;
    DWORD style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
    HDC dc = BeginFilledPaint(window, paint, client, COLOR_WINDOW);
    if ((style & WS_BORDER) != 0) {
        HGDIOBJ previousBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        HGDIOBJ previousPen = SelectObject(dc, GetStockObject(BLACK_PEN));
        Rectangle(dc, 0, 0, client.right, client.bottom);
        SelectObject(dc, previousPen);
        SelectObject(dc, previousBrush);
    }
    std::u16string shown = Shown(state, TextOf(window));
    HGDIOBJ previousFont = SelectControlFont(dc, state.font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    int top = (client.bottom - metrics.tmHeight) / 2;
    int margin = Margin();
    RECT inner{margin - 1, 1, client.right - margin + 1, client.bottom - 1};
    int selectionFrom = std::min(state.anchor, state.caret);
    int selectionTo = std::max(state.anchor, state.caret);
    int x = margin;
    SetBkMode(dc, TRANSPARENT);
    for (int i = state.firstShown; i < static_cast<int>(shown.size()) && x < inner.right; ++i) {
        int width = WidthOf(window, state, shown, i, i + 1);
        bool selected = state.focused && i >= selectionFrom && i < selectionTo;
        if (selected) {
            RECT cell{x, top, x + width, top + metrics.tmHeight};
            IntersectRect(&cell, &cell, &inner);
            FillRect(dc, &cell, GetSysColorBrush(COLOR_HIGHLIGHT));
        }
        SetTextColor(dc, GetSysColor(selected                  ? COLOR_HIGHLIGHTTEXT
                                     : IsWindowEnabled(window) ? COLOR_WINDOWTEXT
                                                               : COLOR_GRAYTEXT));
        ExtTextOutW(dc, x, top, ETO_CLIPPED, &inner, shown.c_str() + i, 1, nullptr);
        x += width;
    }
    if (state.focused && selectionFrom == selectionTo) {
        int caretX = margin + WidthOf(window, state, shown, state.firstShown, state.caret);
        HGDIOBJ previousPen = SelectObject(dc, GetStockObject(BLACK_PEN));
        MoveToEx(dc, caretX, top, nullptr);
        LineTo(dc, caretX, top + metrics.tmHeight);
        SelectObject(dc, previousPen);
    }
    SelectObject(dc, previousFont);
    EndPaint(window, &paint);
}

// Replaces the selection with insert (cut to the limit); true when the text changed.
bool ReplaceSelection(HWND window, EditState& state, std::u16string insert) {
    std::u16string text = TextOf(window);
    int from = std::min(state.anchor, state.caret);
    int to = std::max(state.anchor, state.caret);
    int room = state.limit - (static_cast<int>(text.size()) - (to - from));
    if (room < static_cast<int>(insert.size())) {
        insert.resize(static_cast<std::size_t>(std::max(room, 0)));
    }
    if (from == to && insert.empty()) {
        return false;
    }
    text.replace(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from), insert);
    StoreText(window, text);
    state.caret = state.anchor = from + static_cast<int>(insert.size());
    return true;
}

void Key(HWND window, EditState& state, UINT key) {
    int length = GetWindowTextLengthW(window);
    bool changed = false;
    switch (key) {
        case VK_BACK:
            if (state.anchor == state.caret && state.caret > 0) {
                --state.anchor;
            }
            changed = ReplaceSelection(window, state, u"");
            break;
        case VK_DELETE:
            if (state.anchor == state.caret && state.caret < length) {
                ++state.anchor;
            }
            changed = ReplaceSelection(window, state, u"");
            break;
        case VK_LEFT:
            state.caret = state.anchor = std::max(state.caret - 1, 0);
            break;
        case VK_RIGHT:
            state.caret = state.anchor = std::min(state.caret + 1, length);
            break;
        case VK_HOME:
            state.caret = state.anchor = 0;
            break;
        case VK_END:
            state.caret = state.anchor = length;
            break;
        default:
            return;
    }
    Changed(window, state);
    if (changed) {
        NotifyParent(window, EN_CHANGE);
    }
}

int CharacterAt(HWND window, EditState& state, int x) {
    std::u16string shown = Shown(state, TextOf(window));
    int at = Margin();
    for (int i = state.firstShown; i < static_cast<int>(shown.size()); ++i) {
        int width = WidthOf(window, state, shown, i, i + 1);
        if (x < at + width / 2) {
            return i;
        }
        at += width;
    }
    return static_cast<int>(shown.size());
}

}  // namespace

LRESULT EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    EditState& state = states.Of(window);
    if (!state.styleRead) {
        state.styleRead = true;
        if ((GetWindowLongW(window, GWL_STYLE) & ES_PASSWORD) != 0) {
            state.passwordChar = u'*';
        }
    }
    switch (message) {
        case WM_PAINT:
            Paint(window, state);
            return 0;
        case WM_SETFONT:
            state.font = reinterpret_cast<HFONT>(wParam);
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(state.font);
        case WM_SETTEXT: {
            LRESULT result = DefWindowProcW(window, message, wParam, lParam);
            state.caret = state.anchor = GetWindowTextLengthW(window);
            state.firstShown = 0;
            Changed(window, state);
            NotifyParent(window, EN_CHANGE);
            return result;
        }
        case WM_CHAR:
            if (wParam >= 0x20 &&
                ReplaceSelection(window, state, std::u16string(1, static_cast<char16_t>(wParam)))) {
                Changed(window, state);
                NotifyParent(window, EN_CHANGE);
            }
            return 0;
        case WM_KEYDOWN:
            if (!ForwardDialogKey(window, wParam)) {
                Key(window, state, static_cast<UINT>(wParam));
            }
            return 0;
        case WM_LBUTTONDOWN:
            SetFocus(window);
            state.caret = state.anchor = CharacterAt(window, state, GET_X_LPARAM(lParam));
            Changed(window, state);
            return 0;
        case WM_SETFOCUS:
            state.focused = true;
            InvalidateRect(window, nullptr, TRUE);
            NotifyParent(window, EN_SETFOCUS);
            return 0;
        case WM_KILLFOCUS:
            state.focused = false;
            InvalidateRect(window, nullptr, TRUE);
            NotifyParent(window, EN_KILLFOCUS);
            return 0;
        case EM_LIMITTEXT:
            state.limit = wParam == 0 ? kDefaultLimit
                                      : static_cast<int>(std::min<WPARAM>(wParam, 0x7FFFFFFE));
            return 0;
        case EM_SETPASSWORDCHAR:
            state.passwordChar = static_cast<WCHAR>(wParam);
            InvalidateRect(window, nullptr, TRUE);
            return 0;
        case EM_GETPASSWORDCHAR:
            return state.passwordChar;
        case EM_SETSEL: {
            int length = GetWindowTextLengthW(window);
            auto clamp = [&](LPARAM v) {
                return v < 0 || v > length ? length : static_cast<int>(v);
            };
            state.anchor = clamp(static_cast<LPARAM>(static_cast<int>(wParam)));
            state.caret = clamp(lParam);
            Changed(window, state);
            return 0;
        }
        case EM_GETSEL: {
            int from = std::min(state.anchor, state.caret),
                to = std::max(state.anchor, state.caret);
            if (wParam != 0)
                *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(from);
            if (lParam != 0)
                *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(to);
            return MAKELPARAM(from, to);
        }
        case WM_NCDESTROY:
            states.Forget(window);
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
