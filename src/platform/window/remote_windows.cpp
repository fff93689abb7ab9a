#include <platform_internal/remote_windows.h>

#include <mutex>
#include <vector>

namespace {

struct RemoteState {
    std::mutex mutex;
    RemoteWindowHooks hooks;
    std::vector<std::uintptr_t> handles;  // index + 1, doubled, is the stand-in handle
};

RemoteState& State() {
    static auto* state = new RemoteState;
    return *state;
}

// Stand-ins are small even numbers: no window object lives at such an address.
HWND StandIn(std::size_t index) {
    return reinterpret_cast<HWND>((index + 1) * 16);
}

}  // namespace

void SetRemoteWindowHooks(RemoteWindowHooks hooks) {
    std::lock_guard lock(State().mutex);
    State().hooks = std::move(hooks);
}

HWND FindRemoteWindow(LPCWSTR className, LPCWSTR title) {
    RemoteWindowHooks hooks;
    {
        std::lock_guard lock(State().mutex);
        hooks = State().hooks;
    }
    if (!hooks.find) {
        return nullptr;
    }
    std::uintptr_t remote = hooks.find(className ? className : u"", title ? title : u"");
    if (remote == 0) {
        return nullptr;
    }
    std::lock_guard lock(State().mutex);
    State().handles.push_back(remote);
    return StandIn(State().handles.size() - 1);
}

bool BringRemoteWindowForward(HWND handle, bool* handled) {
    auto value = reinterpret_cast<std::uintptr_t>(handle) & ~std::uintptr_t{1};
    RemoteWindowHooks hooks;
    std::uintptr_t remote = 0;
    {
        std::lock_guard lock(State().mutex);
        if (value == 0 || value % 16 != 0 || value / 16 > State().handles.size()) {
            *handled = false;
            return false;
        }
        remote = State().handles[value / 16 - 1];
        hooks = State().hooks;
    }
    *handled = true;
    return hooks.bringForward && hooks.bringForward(remote);
}
