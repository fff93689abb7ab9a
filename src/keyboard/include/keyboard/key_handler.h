// The viewer window's handling of device key messages: each one becomes a key event, wrapped in
// a press and a release of Alt (Left) when the message carries the Alt bit.
#pragma once

#include <keyboard/key_char_cache.h>
#include <keyboard/key_event_sink.h>

#include <platform/window.h>

class KeyHandler {
  public:
    // WM_KEYDOWN and WM_KEYUP of window (other messages: false, nothing done): Alt (Left) down if
    // the message carries KF_ALTDOWN_LPARAM, the key's keysym (TranslateKeyMessage) unless it is
    // 0, then Alt (Left) up. Call on window's thread.
    bool HandleKeyMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                          KeyEventSink& session);

  private:
    KeyCharCache cache_;
    BYTE altSent_ = 0;
};
