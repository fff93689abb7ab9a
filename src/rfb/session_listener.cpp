#include <rfb/pixel_order.h>
#include <rfb/session_listener.h>

#include <vector>

void SessionListener::OnImageRectAsSent(int x, int y, int width, int height, const BYTE* pixels,
                                        const PixelFormat& format) {
    std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::vector<BYTE> host(pixels, pixels + count * (format.bitsPerPixel / 8));
    FixPixelOrder(format, host.data(), count);
    OnImageRect(x, y, width, height, host.data());
}
