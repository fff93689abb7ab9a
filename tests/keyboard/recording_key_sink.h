// A key event sink that records what it is given, for comparing with the expected events.
#pragma once

#include <keyboard/key_event_sink.h>

#include <ostream>
#include <utility>
#include <vector>

struct RecordedKeyEvent {
    bool down;
    Keysym keysym;
    bool operator==(const RecordedKeyEvent&) const = default;
};

inline void PrintTo(const RecordedKeyEvent& event, std::ostream* out) {
    *out << (event.down ? "down " : "up ") << std::hex << event.keysym;
}

constexpr RecordedKeyEvent Press(Keysym keysym) {
    return {true, keysym};
}
constexpr RecordedKeyEvent Release(Keysym keysym) {
    return {false, keysym};
}

class RecordingKeySink : public KeyEventSink {
  public:
    bool SendKeyEvent(bool down, Keysym keysym) override {
        events.push_back({down, keysym});
        return failAfter < 0 || static_cast<int>(events.size()) <= failAfter;
    }
    // The events recorded so far, which are forgotten.
    std::vector<RecordedKeyEvent> Take() { return std::exchange(events, {}); }

    std::vector<RecordedKeyEvent> events;
    int failAfter = -1;  // >= 0: events after that many report failure
};
