// Where the keyboard's key events go: the session's KeyEvent message. The viewer provides one
// (SessionKeyEventSink over its RfbSession); tests record them.
#pragma once

#include <keyboard/named_keys.h>

class KeyEventSink {
  public:
    virtual ~KeyEventSink() = default;
    // A press (down) or a release of keysym; false when it could not be sent.
    virtual bool SendKeyEvent(bool down, Keysym keysym) = 0;
};
