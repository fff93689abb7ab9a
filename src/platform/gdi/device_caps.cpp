#include <platform/device_screen.h>
#include <platform/gdi.h>

int GetDeviceCaps(HDC, int index) {
    DeviceScreenConfig screen = CurrentDeviceScreen();
    switch (index) {
        case HORZRES:
            return screen.width;
        case VERTRES:
            return screen.height;
        case BITSPIXEL:
            return BytesPerDevicePixel(screen.format) * 8;
        case LOGPIXELSX:
        case LOGPIXELSY:
            return screen.dpi;
        default:
            return 0;
    }
}
