// Assembles the device screen from the backing surfaces of the top-level windows in z-order.
#include <platform_internal/screen_buffer.h>
#include <platform_internal/window_manager.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr COLORREF kDesktopColour = RGB(0x1F, 0x3F, 0x6F);

struct Layer {
    RECT rect;
    std::shared_ptr<WindowSurface> surface;
};

void CopyLayer(ScreenBuffer& screen, const Layer& layer) {
    const DeviceScreenConfig& config = screen.Config();
    const WindowSurface& surface = *layer.surface;
    int bytes = BytesPerDevicePixel(config.format);
    int left = std::max<int>(layer.rect.left, 0), top = std::max<int>(layer.rect.top, 0);
    int right = std::min<int>(
        {layer.rect.right, config.width, static_cast<int>(layer.rect.left) + surface.width});
    int bottom = std::min<int>(
        {layer.rect.bottom, config.height, static_cast<int>(layer.rect.top) + surface.height});
    for (int y = top; y < bottom; ++y) {
        std::uint8_t* target =
            screen.Pixels() + static_cast<std::size_t>(y) * screen.Pitch() + left * bytes;
        const std::uint8_t* source = surface.pixels.data() +
                                     static_cast<std::size_t>(y - layer.rect.top) * surface.pitch +
                                     (left - layer.rect.left) * BytesPerDevicePixel(surface.format);
        if (surface.format == config.format) {
            std::memcpy(target, source, static_cast<std::size_t>(right - left) * bytes);
            continue;
        }
        for (int x = left; x < right; ++x) {
            COLORREF colour = surface.Get(x - layer.rect.left, y - layer.rect.top);
            StoreDevicePixel(target + (x - left) * bytes, bytes,
                             EncodeDevicePixel(config.format, colour));
        }
    }
}

}  // namespace

bool ComposeScreen(bool force) {
    std::vector<Layer> layers;
    std::vector<HWND> repaint;
    {
        WindowManager& manager = WindowManager::Instance();
        std::lock_guard lock(manager.mutex);
        bool changed = TakeWindowSurfacesChanged() || manager.layoutChanged;
        if (!changed && !force) {
            return false;
        }
        manager.layoutChanged = false;
        DevicePixelFormat format = CurrentDeviceScreen().format;
        for (WindowObject* window : manager.zOrder) {
            if (window->surface && window->surface->format != format) {
                // The screen changed its pixel format: the window paints again in the new one.
                std::lock_guard pixels(SurfaceMutex());
                window->surface->Resize(window->surface->width, window->surface->height, format);
                repaint.push_back(window->handle);
            }
            if (manager.Displayed(window) && window->surface) {
                layers.push_back({window->rect, window->surface});
            }
        }
    }
    for (HWND window : repaint) {
        InvalidateAll(window);
    }
    std::lock_guard pixels(SurfaceMutex());
    ScreenBuffer& screen = ScreenBuffer::Instance();
    auto lock = screen.Lock();
    const DeviceScreenConfig& config = screen.Config();
    int bytes = BytesPerDevicePixel(config.format);
    std::uint32_t desktop = EncodeDevicePixel(config.format, kDesktopColour);
    for (int y = 0; y < config.height; ++y) {
        std::uint8_t* row = screen.Pixels() + static_cast<std::size_t>(y) * screen.Pitch();
        for (int x = 0; x < config.width; ++x) {
            StoreDevicePixel(row + x * bytes, bytes, desktop);
        }
    }
    for (const Layer& layer : layers) {
        CopyLayer(screen, layer);
    }
    screen.MarkDirty();
    return true;
}
