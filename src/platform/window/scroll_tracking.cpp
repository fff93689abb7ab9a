// The stylus on a window's scroll bar. A press on an arrow sends a line step, on the track a
// page step, repeated while the stylus stays on that part (after 400 ms, then every 100 ms); a
// press on the thumb drags it (SB_THUMBTRACK at each new position, SB_THUMBPOSITION where it is
// let go). Lifting the stylus ends every action with SB_ENDSCROLL.
#include <platform_internal/message_queue.h>
#include <platform_internal/scroll_bars.h>

#include <platform/core.h>

#include <optional>

namespace {

// The press in progress; UI thread only.
struct Track {
    bool active = false;
    HWND window = nullptr;
    int bar = SB_VERT;
    int part = kNoScrollPart;
    int grab = 0;         // where along the thumb the stylus took it
    POINT at{};           // the stylus on the screen
    UINT_PTR repeat = 0;  // the thread timer repeating a line or page step
};

constexpr UINT kFirstRepeatMilliseconds = 400;
constexpr UINT kRepeatMilliseconds = 100;

Track track;

void Post(HWND window, int bar, WORD code, int position = 0) {
    PostMessageW(window, bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, position), 0);
}

WORD CodeOf(int part) {
    switch (part) {
        case kLineUpPart:
            return SB_LINEUP;
        case kLineDownPart:
            return SB_LINEDOWN;
        case kPageUpPart:
            return SB_PAGEUP;
        default:
            return SB_PAGEDOWN;
    }
}

int AlongBar(const ScrollBarLayout& layout, POINT point) {
    return layout.vertical ? point.y - layout.bar.top : point.x - layout.bar.left;
}

// Starts a press if screen lies on a shown scroll bar of the window there; true when it does.
bool Begin(POINT screen) {
    WindowManager& manager = WindowManager::Instance();
    std::lock_guard lock(manager.mutex);
    if (manager.capture != nullptr) {
        return false;
    }
    WindowObject* window = manager.WindowAt(screen);
    if (window == nullptr) {
        return false;
    }
    POINT origin = manager.ClientOrigin(window);
    POINT at{screen.x - origin.x, screen.y - origin.y};
    for (int bar : {SB_VERT, SB_HORZ}) {
        if (!ScrollBarShown(*window, bar)) {
            continue;
        }
        ScrollBarLayout layout = LayoutScrollBar(*window, bar);
        if (!PtInRect(&layout.bar, at)) {
            continue;
        }
        ScrollBarState& state = window->scrollBars[bar];
        int part = state.disabled ? kNoScrollPart : ScrollPartAt(layout, at);
        track = Track{true, window->handle, bar, part, 0};
        if (part == kThumbPart) {
            state.tracking = true;
            state.trackPos = state.pos;
            track.grab = AlongBar(layout, at) - layout.thumbStart;
        }
        state.pressed = part;
        window->frameDirty = true;
        return true;
    }
    return false;
}

// The thumb follows the stylus; the new position when it changed.
std::optional<int> FollowThumb(POINT screen) {
    WindowManager& manager = WindowManager::Instance();
    std::lock_guard lock(manager.mutex);
    WindowObject* window = manager.Find(track.window);
    if (window == nullptr) {
        return std::nullopt;
    }
    ScrollBarState& state = window->scrollBars[track.bar];
    ScrollBarLayout layout = LayoutScrollBar(*window, track.bar);
    POINT origin = manager.ClientOrigin(window);
    POINT at{screen.x - origin.x, screen.y - origin.y};
    int position = ScrollPositionForThumb(state, layout, AlongBar(layout, at) - track.grab);
    if (position == state.trackPos) {
        return std::nullopt;
    }
    state.trackPos = position;
    window->frameDirty = true;
    return position;
}

// The part of the held bar under the stylus now (the thumb may have come under it).
int PartUnderStylus() {
    WindowManager& manager = WindowManager::Instance();
    std::lock_guard lock(manager.mutex);
    WindowObject* window = manager.Find(track.window);
    if (window == nullptr || !ScrollBarShown(*window, track.bar)) {
        return kNoScrollPart;
    }
    POINT origin = manager.ClientOrigin(window);
    return ScrollPartAt(LayoutScrollBar(*window, track.bar),
                        {track.at.x - origin.x, track.at.y - origin.y});
}

void Repeat(HWND, UINT, UINT_PTR id, DWORD) {
    if (!track.active || track.repeat != id) {
        KillTimer(nullptr, id);
        return;
    }
    if (PartUnderStylus() == track.part) {
        Post(track.window, track.bar, CodeOf(track.part));
    }
    SetTimer(nullptr, id, kRepeatMilliseconds, Repeat);
}

// Lets the bar go; the thumb's last position (when it was dragged), else 0.
int Release() {
    WindowManager& manager = WindowManager::Instance();
    std::lock_guard lock(manager.mutex);
    WindowObject* window = manager.Find(track.window);
    if (window == nullptr) {
        return 0;
    }
    ScrollBarState& state = window->scrollBars[track.bar];
    int position = state.trackPos;
    state.tracking = false;
    state.pressed = kNoScrollPart;
    window->frameDirty = true;
    return position;
}

}  // namespace

bool ScrollBarHasStylus() {
    return track.active;
}

bool ScrollBarStylus(StylusAction action, POINT screen) {
    if (!track.active) {
        if (action != StylusAction::Down || !Begin(screen)) {
            return false;
        }
        track.at = screen;
        if (track.part != kNoScrollPart && track.part != kThumbPart) {
            Post(track.window, track.bar, CodeOf(track.part));
            track.repeat = SetTimer(nullptr, 0, kFirstRepeatMilliseconds, Repeat);
        }
        OwnQueue()->Wake();
        return true;
    }
    track.at = screen;
    if (action == StylusAction::Move && track.part == kThumbPart) {
        if (std::optional<int> position = FollowThumb(screen)) {
            Post(track.window, track.bar, SB_THUMBTRACK, *position);
        }
    } else if (action == StylusAction::Up) {
        if (track.repeat != 0) {
            KillTimer(nullptr, track.repeat);
        }
        int position = Release();
        if (track.part == kThumbPart) {
            Post(track.window, track.bar, SB_THUMBPOSITION, position);
        }
        if (track.part != kNoScrollPart) {
            Post(track.window, track.bar, SB_ENDSCROLL);
        }
        track = Track{};
    }
    return true;
}
