#include <platform_internal/device_input.h>
#include <platform_internal/keyboard_state.h>
#include <platform_internal/scroll_bars.h>
#include <platform_internal/window_manager.h>

namespace {

bool stylusDown = false;

// The window that receives the stylus, and the point in its client coordinates.
HWND StylusTarget(POINT screen, POINT* client, HWND* activate) {
    WindowManager& manager = WindowManager::Instance();
    std::lock_guard lock(manager.mutex);
    WindowObject* window = manager.capture != nullptr ? manager.capture : manager.WindowAt(screen);
    if (window == nullptr) {
        return nullptr;
    }
    POINT origin = manager.ClientOrigin(window);
    *client = {screen.x - origin.x, screen.y - origin.y};
    WindowObject* top = manager.TopLevelOf(window);
    if (activate != nullptr && top != manager.foreground &&
        (top->exStyle & WS_EX_NOACTIVATE) == 0) {
        *activate = top->handle;
    }
    return window->handle;
}

}  // namespace

bool StylusIsDown() {
    return stylusDown;
}

void DeliverStylus(StylusAction action, POINT screen) {
    POINT client{};
    HWND activate = nullptr;
    HWND target = StylusTarget(screen, &client, action == StylusAction::Down ? &activate : nullptr);
    if (action == StylusAction::Down) {
        stylusDown = true;
    } else if (action == StylusAction::Up) {
        stylusDown = false;
    }
    if (activate != nullptr) {
        ActivateWindow(activate, false);
    }
    if (ScrollBarStylus(action, screen) || target == nullptr) {
        return;
    }
    UINT message = action == StylusAction::Down ? WM_LBUTTONDOWN
                   : action == StylusAction::Up ? WM_LBUTTONUP
                                                : WM_MOUSEMOVE;
    WPARAM buttons = action == StylusAction::Up ? 0 : MK_LBUTTON;
    PostMessageW(target, message, buttons, MAKELPARAM(client.x, client.y));
}

void DeliverStylusHold(POINT screen) {
    if (ScrollBarHasStylus()) {
        return;  // holding a scroll bar's arrow or thumb is no request for a context menu
    }
    POINT client{};
    HWND target = StylusTarget(screen, &client, nullptr);
    if (target != nullptr) {
        PostMessageW(target, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(target),
                     MAKELPARAM(screen.x, screen.y));
    }
}

void DeliverHelpRequest() {
    HWND foreground = GetForegroundWindow();
    HWND target = GetFocus();
    {
        WindowManager& manager = WindowManager::Instance();
        std::lock_guard lock(manager.mutex);
        WindowObject* focus = manager.Find(target);
        if (focus == nullptr || manager.TopLevelOf(focus) != manager.Find(foreground)) {
            target = foreground;
        }
    }
    if (target == nullptr) {
        return;
    }
    HELPINFO info{};
    info.cbSize = sizeof(HELPINFO);
    info.iContextType = HELPINFO_WINDOW;
    info.iCtrlId = GetDlgCtrlID(target);
    info.hItemHandle = target;
    SendMessageW(target, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
}

namespace {

// A key-down of the input panel carries its character in the high word of lParam, so that a
// key read later translates to the character typed with it, however many keys are waiting.
void PostKey(UINT vk, bool down, bool alt, WCHAR character = 0) {
    if (vk == VK_SHIFT) {
        SetShiftDown(down);
    }
    HWND target = GetFocus();
    if (target == nullptr) {
        target = GetForegroundWindow();
    }
    if (target == nullptr) {
        return;
    }
    LPARAM data = 1 | (alt ? KF_ALTDOWN_LPARAM : 0) |
                  (down ? static_cast<LPARAM>(static_cast<DWORD>(character) << 16)
                        : static_cast<LPARAM>(0xC0000000u));
    PostMessageW(target, down ? WM_KEYDOWN : WM_KEYUP, vk, data);
}

}  // namespace

void DeliverKey(UINT vk, bool down, bool alt) {
    if (down) {
        SetInputPanelCharacter(vk, 0);  // a hardware key produces its own character
    }
    PostKey(vk, down, alt);
}

void DeliverCharacter(WCHAR character, bool alt) {
    UINT vk = kInputPanelKey;
    if (character >= 'a' && character <= 'z') {
        vk = character - 'a' + 'A';
    } else if ((character >= 'A' && character <= 'Z') || (character >= '0' && character <= '9') ||
               character == ' ') {
        vk = character;
    }
    SetInputPanelCharacter(vk, character);
    PostKey(vk, true, alt, character);
    PostKey(vk, false, alt);
}
