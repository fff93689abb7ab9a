#include <keyboard/key_handler.h>

#include <keyboard/key_translation.h>

namespace {

constexpr Keysym kAltLeft = 0xFFE9;

}  // namespace

bool KeyHandler::HandleKeyMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                  KeyEventSink& session) {
    if (message != WM_KEYDOWN && message != WM_KEYUP) {
        return false;
    }
    bool down = message == WM_KEYDOWN;
    bool alt = (lParam & KF_ALTDOWN_LPARAM) != 0;
    if (altSent_ == 0 && alt) {
        session.SendKeyEvent(true, kAltLeft);
        altSent_ = 1;
    }
    Keysym keysym = TranslateKeyMessage(window, cache_, down, wParam, lParam);
    if (keysym != 0) {
        session.SendKeyEvent(down, keysym);
    }
    if (altSent_ == 1 && alt) {
        altSent_ = 0;
        session.SendKeyEvent(false, kAltLeft);
    }
    return true;
}
