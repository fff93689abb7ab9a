// Windows of another tavrel process on the same home folder, reached through the host's
// single-instance link: FindWindowW looks there when no window here matches, and
// SetForegroundWindow on a handle found that way asks the other process to bring it forward.
#pragma once

#include <platform/window.h>

#include <functional>
#include <string>

struct RemoteWindowHooks {
    // The other process's id for its window (meaningful only to it), or 0.
    std::function<std::uintptr_t(const std::u16string& className, const std::u16string& title)>
        find;
    std::function<bool(std::uintptr_t id)> bringForward;
};

void SetRemoteWindowHooks(RemoteWindowHooks hooks);
// A local stand-in handle for a remote window (never a live local window), or null.
HWND FindRemoteWindow(LPCWSTR className, LPCWSTR title);
// True when handle (low bit ignored) stands for a remote window; then it was asked to come forward.
bool BringRemoteWindowForward(HWND handle, bool* handled);
