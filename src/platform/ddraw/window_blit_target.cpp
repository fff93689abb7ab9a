#include <platform_internal/window_blit_target.h>

#include <mutex>

namespace {

std::mutex hookMutex;
WindowBlitHook& Hook() {
    static WindowBlitHook hook;
    return hook;
}

}  // namespace

void SetWindowBlitHook(WindowBlitHook hook) {
    std::lock_guard lock(hookMutex);
    Hook() = std::move(hook);
}

bool RouteWindowBlit(HWND window, const WindowBlitDraw& draw, bool* handled) {
    WindowBlitHook hook;
    {
        std::lock_guard lock(hookMutex);
        hook = Hook();
    }
    if (!hook) {
        return false;
    }
    *handled = hook(window, draw);
    return true;
}
