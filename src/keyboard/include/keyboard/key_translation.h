// A device key message (a hardware key or a character typed on the input panel) as a keysym.
#pragma once

#include <keyboard/key_char_cache.h>
#include <keyboard/named_keys.h>

#include <platform/window.h>

// The keysym of one WM_KEYDOWN (down) or WM_KEYUP message of window, whose wParam and lParam are
// virtualKey and keyData; 0 when the key has none. Backspace, Tab, Return, Shift, Control and the
// four arrows have fixed keysyms. Any other key-down is translated into the character the key
// produces in the current keyboard state (a WM_CHAR that is posted to window and taken off its
// queue again at once), which is remembered in cache; any other key-up gives back what its
// key-down produced. A key-down without a character writes "Failed to translate character" to
// the debug output and leaves 0 in the cache. Call on window's thread.
Keysym TranslateKeyMessage(HWND window, KeyCharCache& cache, bool down, WPARAM virtualKey,
                           LPARAM keyData);
