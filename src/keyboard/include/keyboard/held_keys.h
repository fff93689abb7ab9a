// A key event sink in front of another that remembers which keysyms it left pressed on the server,
// so that they can all be released: a macro's Down step without an Up, a latched key, a button
// still held when the toolbar reloads or the viewer closes.
#pragma once

#include <keyboard/key_event_sink.h>

#include <vector>

class HeldKeys : public KeyEventSink {
  public:
    // next is not owned and must outlive this object.
    explicit HeldKeys(KeyEventSink& next) : next_(next) {}

    // Forwards the event. A press that was sent is remembered once (pressing a held key again
    // adds nothing); a release forgets the keysym whatever the result.
    bool SendKeyEvent(bool down, Keysym keysym) override;
    // Releases every held keysym, the last pressed first, and forgets them all. Returns whether
    // every release was sent.
    bool ReleaseAll();
    // The held keysyms in the order they were pressed.
    const std::vector<Keysym>& Held() const { return held_; }

  private:
    KeyEventSink& next_;
    std::vector<Keysym> held_;
};
