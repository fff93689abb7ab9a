// The process-wide display: DirectDraw, the primary surface (the screen), its clipper, the
// screen's layout and the device codec in which every framebuffer pixel is kept.
#pragma once

#include <platform/types.h>

#include <memory>

class FrameBufferStore;

// Called on the user-interface thread: once at start-up, before any window exists.
void InitDisplay();
// Releases the clipper, the primary surface and DirectDraw, in that order.
void ShutdownDisplay();
// After a change of screen orientation or resolution.
void RestoreSurfaces();

// What a viewer window knows of the display; its framebuffer presents into that window.
class DisplayInfo {
  public:
    virtual ~DisplayInfo() = default;
    // A new 1 x 1 store bound to this object.
    virtual std::unique_ptr<FrameBufferStore> CreateFrameBuffer() = 0;
    virtual void GetPixelFormat(int* bitsPerPixel, int* redBits, int* greenBits, int* blueBits) = 0;
    virtual int GetWidth() = 0;
    virtual int GetHeight() = 0;
    // The window that the store's presents are clipped to.
    virtual HWND GetWindow() const = 0;
};

std::unique_ptr<DisplayInfo> CreateDisplayInfo(HWND window);
