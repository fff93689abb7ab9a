// The static control: text (left, centred or right-aligned, wrapped, with or without '&'
// prefixes), or an icon or bitmap set with STM_SETIMAGE.
#include "control_state.h"

namespace {

struct StaticState {
    HFONT font = nullptr;
    HANDLE image = nullptr;
};

ControlStates<StaticState> states;

void Paint(HWND window, StaticState& state) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    DWORD style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
    DWORD kind = style & 0xF;
    if (kind == SS_ICON) {
        if (state.image != nullptr) {
            DrawIcon(dc, 0, 0, static_cast<HICON>(state.image));
        }
    } else if (kind == SS_BITMAP) {
        BITMAP bitmap{};
        if (state.image != nullptr &&
            GetObjectW(static_cast<HGDIOBJ>(state.image), sizeof bitmap, &bitmap) != 0) {
            HDC source = CreateCompatibleDC(dc);
            HGDIOBJ previous = SelectObject(source, static_cast<HGDIOBJ>(state.image));
            BitBlt(dc, 0, 0, bitmap.bmWidth, bitmap.bmHeight, source, 0, 0, SRCCOPY);
            SelectObject(source, previous);
            DeleteDC(source);
        }
    } else {
        WCHAR text[1024];
        GetWindowTextW(window, text, 1024);
        HGDIOBJ previous = SelectControlFont(dc, state.font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(IsWindowEnabled(window) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
        UINT format = DT_WORDBREAK | (kind == SS_RIGHT    ? DT_RIGHT
                                      : kind == SS_CENTER ? DT_CENTER
                                                          : DT_LEFT);
        if ((style & SS_NOPREFIX) != 0) {
            format |= DT_NOPREFIX;
        }
        DrawTextW(dc, text, -1, &client, format);
        SelectObject(dc, previous);
    }
    EndPaint(window, &paint);
}

}  // namespace

LRESULT StaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    StaticState& state = states.Of(window);
    LRESULT handled = 0;
    if (HandleFontAndText(window, state.font, message, wParam, lParam, &handled)) {
        return handled;
    }
    switch (message) {
        case WM_PAINT:
            Paint(window, state);
            return 0;
        case STM_SETIMAGE: {
            HANDLE previous = state.image;
            state.image = reinterpret_cast<HANDLE>(lParam);
            if (wParam == IMAGE_ICON && (GetWindowLongW(window, GWL_STYLE) & 0xF) == SS_ICON &&
                state.image != nullptr) {  // an icon static takes the icon's own size
                SetWindowPos(window, nullptr, 0, 0, GetSystemMetrics(SM_CXICON),
                             GetSystemMetrics(SM_CYICON),
                             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
            InvalidateRect(window, nullptr, TRUE);
            return reinterpret_cast<LRESULT>(previous);
        }
        case STM_GETIMAGE:
            return reinterpret_cast<LRESULT>(state.image);
        case WM_NCDESTROY:
            states.Forget(window);
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
