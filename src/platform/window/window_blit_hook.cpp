// DirectDraw's way into the window system: a blit onto the screen through a clipper bound to a
// window lands in that window's backing surface, clipped to its client area (and to its
// ancestors), and the screen is composed again.
#include <platform_internal/message_queue.h>
#include <platform_internal/window_blit_target.h>
#include <platform_internal/window_manager.h>

#include <mutex>

namespace {

bool BlitIntoWindow(HWND handle, const WindowBlitDraw& draw) {
    std::shared_ptr<WindowSurface> surface;
    WindowBlitTarget target;
    {
        WindowManager& manager = WindowManager::Instance();
        std::lock_guard lock(manager.mutex);
        WindowObject* window = manager.Find(handle);
        WindowObject* top = manager.TopLevelOf(window);
        if (window == nullptr || top == nullptr || !top->surface) {
            return false;
        }
        surface = top->surface;
        target.originX = top->rect.left;
        target.originY = top->rect.top;
        target.clip = manager.VisibleOnSurface(window);
        OffsetRect(&target.clip, top->rect.left, top->rect.top);
    }
    {
        std::lock_guard pixels(SurfaceMutex());
        target.plane = PixelPlane{surface->pixels.data(), surface->pitch, surface->width,
                                  surface->height, BytesPerDevicePixel(surface->format)};
        draw(target);
    }
    MarkWindowSurfacesChanged();
    WakeUiThread();
    return true;
}

}  // namespace

void InstallWindowBlitHook() {
    static std::once_flag once;
    std::call_once(once, [] { SetWindowBlitHook(BlitIntoWindow); });
}
