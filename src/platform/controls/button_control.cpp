// The button control: push buttons, check boxes and radio buttons (automatic ones change their
// own state), operated by the stylus (press, release inside) and the space key when focused.
#include "control_state.h"

#include <platform/device_screen.h>

namespace {

struct ButtonState {
    HFONT font = nullptr;
    UINT check = BST_UNCHECKED;
    bool pressed = false;
};

ControlStates<ButtonState> states;

int Scaled(int logical) {
    return (logical * CurrentDeviceScreen().dpi + 48) / 96;
}

DWORD Kind(HWND window) {
    return static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)) & BS_TYPEMASK;
}

bool IsCheckBox(DWORD kind) {
    return kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX;
}

bool IsRadio(DWORD kind) {
    return kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON;
}

void Paint(HWND window, ButtonState& state) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    DWORD style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
    DWORD kind = style & BS_TYPEMASK;
    bool enabled = IsWindowEnabled(window) != FALSE;
    WCHAR text[256];
    GetWindowTextW(window, text, 256);
    HGDIOBJ previousFont = SelectControlFont(dc, state.font);
    SetBkMode(dc, TRANSPARENT);
    COLORREF ink = GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT);
    HPEN pen = CreatePen(PS_SOLID, 1, ink);
    HGDIOBJ previousPen = SelectObject(dc, pen);
    if (IsCheckBox(kind) || IsRadio(kind)) {
        int box = std::min<int>(Scaled(13), client.bottom);
        bool boxRight = (style & BS_LEFTTEXT) != 0;
        int left = boxRight ? client.right - box : 0;
        int top = (client.bottom - box) / 2;
        HGDIOBJ previousBrush =
            SelectObject(dc, GetStockObject(state.pressed ? LTGRAY_BRUSH : WHITE_BRUSH));
        if (IsRadio(kind)) {
            RoundRect(dc, left, top, left + box, top + box, box, box);
            if (state.check == BST_CHECKED) {
                SelectObject(dc, GetStockObject(BLACK_BRUSH));
                int inset = box / 4 + 1;
                RoundRect(dc, left + inset, top + inset, left + box - inset, top + box - inset, box,
                          box);
            }
        } else {
            Rectangle(dc, left, top, left + box, top + box);
            if (state.check == BST_CHECKED) {
                POINT mark[] = {{left + box / 5, top + box / 2},
                                {left + box * 2 / 5, top + box * 3 / 4},
                                {left + box * 4 / 5, top + box / 4}};
                Polyline(dc, mark, 3);
                for (POINT& p : mark) {
                    ++p.y;
                }
                Polyline(dc, mark, 3);
            }
        }
        SelectObject(dc, previousBrush);
        int gap = Scaled(4);
        RECT label = boxRight ? RECT{0, 0, left - gap, client.bottom}
                              : RECT{box + gap, 0, client.right, client.bottom};
        SetTextColor(dc, ink);
        UINT align = (style & BS_RIGHT) != 0 ? DT_RIGHT : DT_LEFT;
        DrawTextW(dc, text, -1, &label, DT_SINGLELINE | DT_VCENTER | align);
    } else {
        HGDIOBJ previousBrush =
            SelectObject(dc, GetStockObject(state.pressed ? BLACK_BRUSH : WHITE_BRUSH));
        RoundRect(dc, 0, 0, client.right, client.bottom, Scaled(6), Scaled(6));
        if (kind == BS_DEFPUSHBUTTON) {
            RoundRect(dc, 1, 1, client.right - 1, client.bottom - 1, Scaled(6), Scaled(6));
        }
        SelectObject(dc, previousBrush);
        SetTextColor(dc, state.pressed ? RGB(255, 255, 255) : ink);
        DrawTextW(dc, text, -1, &client, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    }
    SelectObject(dc, previousPen);
    DeleteObject(pen);
    SelectObject(dc, previousFont);
    EndPaint(window, &paint);
}

void SetCheck(HWND window, ButtonState& state, UINT check) {
    if (state.check != check) {
        state.check = check;
        InvalidateRect(window, nullptr, TRUE);
    }
}

// A click: automatic buttons change state (a radio button clears its automatic siblings), then
// the parent hears BN_CLICKED.
void Click(HWND window, ButtonState& state) {
    DWORD kind = Kind(window);
    if (kind == BS_AUTOCHECKBOX) {
        SetCheck(window, state, state.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
    } else if (kind == BS_AUTORADIOBUTTON) {
        HWND parent = GetParent(window);
        for (HWND sibling = GetWindow(parent, GW_CHILD); sibling != nullptr;
             sibling = GetWindow(sibling, GW_HWNDNEXT)) {
            if (sibling != window && Kind(sibling) == BS_AUTORADIOBUTTON) {
                SendMessageW(sibling, BM_SETCHECK, BST_UNCHECKED, 0);
            }
        }
        SetCheck(window, state, BST_CHECKED);
    }
    NotifyParent(window, BN_CLICKED);
}

}  // namespace

LRESULT ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ButtonState& state = states.Of(window);
    LRESULT handled = 0;
    if (HandleFontAndText(window, state.font, message, wParam, lParam, &handled)) {
        return handled;
    }
    switch (message) {
        case WM_PAINT:
            Paint(window, state);
            return 0;
        case WM_LBUTTONDOWN:
            SetFocus(window);
            SetCapture(window);
            state.pressed = true;
            InvalidateRect(window, nullptr, TRUE);
            return 0;
        case WM_MOUSEMOVE:
            if (GetCapture() == window) {
                RECT client;
                GetClientRect(window, &client);
                bool inside = PtInRect(&client, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) != 0;
                if (inside != state.pressed) {
                    state.pressed = inside;
                    InvalidateRect(window, nullptr, TRUE);
                }
            }
            return 0;
        case WM_LBUTTONUP:
            if (GetCapture() == window) {
                ReleaseCapture();
                bool clicked = state.pressed;
                state.pressed = false;
                InvalidateRect(window, nullptr, TRUE);
                if (clicked) {
                    Click(window, state);
                }
            }
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_SPACE) {
                Click(window, state);
            } else {
                ForwardDialogKey(window, wParam);
            }
            return 0;
        case BM_CLICK:
            Click(window, state);
            return 0;
        case BM_GETCHECK:
            return state.check;
        case BM_SETCHECK:
            SetCheck(window, state, static_cast<UINT>(wParam));
            return 0;
        case WM_NCDESTROY:
            states.Forget(window);
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
