#include <keyboard/held_keys.h>

#include <algorithm>

bool HeldKeys::SendKeyEvent(bool down, Keysym keysym) {
    bool sent = next_.SendKeyEvent(down, keysym);
    auto found = std::find(held_.begin(), held_.end(), keysym);
    if (!down && found != held_.end()) {
        held_.erase(found);
    } else if (down && sent && found == held_.end()) {
        held_.push_back(keysym);
    }
    return sent;
}

bool HeldKeys::ReleaseAll() {
    bool allSent = true;
    while (!held_.empty()) {
        Keysym keysym = held_.back();
        held_.pop_back();
        allSent = next_.SendKeyEvent(false, keysym) && allSent;
    }
    return allSent;
}
