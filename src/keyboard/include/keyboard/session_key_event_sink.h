// Key events sent as RFB KeyEvent messages of a session, the keysym zero-extended to 32 bits.
#pragma once

#include <keyboard/key_event_sink.h>

class RfbSession;

class SessionKeyEventSink : public KeyEventSink {
  public:
    // Not owned; null sends nothing (and reports failure).
    explicit SessionKeyEventSink(RfbSession* session) : session_(session) {}
    bool SendKeyEvent(bool down, Keysym keysym) override;

  private:
    RfbSession* session_;
};
