#include <keyboard/session_key_event_sink.h>

#include <rfb/rfb_session.h>

bool SessionKeyEventSink::SendKeyEvent(bool down, Keysym keysym) {
    return session_ != nullptr && session_->SendKeyEvent(down, static_cast<DWORD>(keysym));
}
