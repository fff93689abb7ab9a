#include <keyboard/key_translation.h>

#include <platform/core.h>

namespace {

struct FixedKey {
    UINT virtualKey;
    Keysym keysym;
};

// Keys whose keysym does not depend on the keyboard state, for key-down and key-up alike.
constexpr FixedKey kFixedKeys[] = {
    {VK_BACK, 0xFF08},  {VK_TAB, 0xFF09},     {VK_RETURN, 0xFF0D},
    {VK_SHIFT, 0xFFE1}, {VK_CONTROL, 0xFFE3}, {VK_LEFT, 0xFF51},
    {VK_UP, 0xFF52},    {VK_RIGHT, 0xFF53},   {VK_DOWN, 0xFF54},
};

// The character of a key-down in the current keyboard state, or 0.
Keysym CharacterOfKeyDown(HWND window, WPARAM virtualKey, LPARAM keyData) {
    MSG key{window, WM_KEYDOWN, virtualKey, keyData, 0, {0, 0}};
    TranslateMessage(&key);
    // Taken off the queue so that the window procedure does not see the character again.
    MSG character;
    if (!PeekMessageW(&character, window, WM_CHAR, WM_CHAR, PM_REMOVE)) {
        OutputDebugStringW(u"Failed to translate character\r\n");
        return 0;
    }
    return LOWORD(character.wParam);
}

}  // namespace

Keysym TranslateKeyMessage(HWND window, KeyCharCache& cache, bool down, WPARAM virtualKey,
                           LPARAM keyData) {
    UINT code = LOWORD(virtualKey);
    for (const FixedKey& key : kFixedKeys) {
        if (key.virtualKey == code) {
            return key.keysym;
        }
    }
    UINT slot = static_cast<UINT>(virtualKey & 0xFF);
    if (!down) {
        return cache.Get(slot);
    }
    Keysym character = CharacterOfKeyDown(window, virtualKey, keyData);
    cache.Set(slot, character);
    return character;
}
