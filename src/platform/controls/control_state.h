// Per-window state of a control class, kept by the control's procedure on the UI thread and
// dropped at WM_NCDESTROY; the font every control takes from WM_SETFONT.
#pragma once

#include <platform/dialog.h>

#include <map>
#include <memory>
#include <string>

template <class State>
class ControlStates {
  public:
    State& Of(HWND window) {
        std::unique_ptr<State>& state = states_[window];
        if (state == nullptr) {
            state = std::make_unique<State>();
        }
        return *state;
    }
    // The state, or null when the window has none (any more).
    State* Find(HWND window) {
        auto found = states_.find(window);
        return found == states_.end() ? nullptr : found->second.get();
    }
    void Forget(HWND window) { states_.erase(window); }

  private:
    std::map<HWND, std::unique_ptr<State>> states_;
};

// Selects the control's font (or the system font) into dc; returns the previous font.
inline HGDIOBJ SelectControlFont(HDC dc, HFONT font) {
    return SelectObject(dc,
                        font != nullptr ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT));
}

// WM_SETFONT, WM_GETFONT and WM_SETTEXT (stored, then redrawn) for controls that draw their text;
// true when message was one of them.
inline bool HandleFontAndText(HWND window, HFONT& font, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT* result) {
    switch (message) {
        case WM_SETFONT:
            font = reinterpret_cast<HFONT>(wParam);
            InvalidateRect(window, nullptr, TRUE);
            *result = 0;
            return true;
        case WM_GETFONT:
            *result = reinterpret_cast<LRESULT>(font);
            return true;
        case WM_SETTEXT:
            *result = DefWindowProcW(window, message, wParam, lParam);
            InvalidateRect(window, nullptr, TRUE);
            return true;
        default:
            return false;
    }
}

// Sends WM_COMMAND with the control's id and a notification code to its parent.
inline void NotifyParent(HWND control, WORD code) {
    HWND parent = GetParent(control);
    if (parent != nullptr) {
        SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
                     reinterpret_cast<LPARAM>(control));
    }
}

// Return and Escape in a control of a dialog are the dialog's OK and cancel; true when forwarded.
inline bool ForwardDialogKey(HWND control, WPARAM key) {
    if (key != VK_RETURN && key != VK_ESCAPE) {
        return false;
    }
    // The nearest dialog among the ancestors (an edit inside a combo box belongs to its dialog).
    for (HWND parent = GetParent(control); parent != nullptr; parent = GetParent(parent)) {
        WCHAR parentClass[16];
        if (GetClassNameW(parent, parentClass, 16) != 0 &&
            std::u16string(parentClass) == u"Dialog") {
            PostMessageW(parent, WM_COMMAND, MAKEWPARAM(key == VK_RETURN ? 1 : 2, 0), 0);
            return true;
        }
    }
    return false;
}

LRESULT StaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT ComboBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT ListViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT TrackbarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
