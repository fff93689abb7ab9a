// A session listener that draws everything into a FrameBufferStore, as the viewer's message
// thread does, and ignores the rest; the benchmarks' clients add what they count.
#pragma once

#include <display/frame_buffer_store.h>
#include <rfb/session_listener.h>

class StoreListener : public SessionListener {
  public:
    explicit StoreListener(FrameBufferStore& store) : store_(store) {}
    void OnServerInit(const WCHAR*, int, int, const PixelFormat&) override {}
    void OnBell() override {}
    void OnServerCutText(const WCHAR*, int) override {}
    void OnProtocolError(int) override {}
    void OnDesktopResize(int width, int height) override { store_.SetSize(width, height); }
    void OnCursorShape(int, int, int, int, const BYTE*, const BYTE*) override {}
    void OnImageRect(int x, int y, int w, int h, const BYTE* pixels) override {
        store_.PutImage(x, y, w, h, pixels);
    }
    void OnImageRectAsSent(int x, int y, int w, int h, const BYTE* pixels,
                           const PixelFormat& format) override {
        store_.PutImageAsSent(x, y, w, h, pixels, format.bigEndian != 0);
    }
    // The store's lock is held from a successful BeginDirect to EndDirect, across the two calls.
    bool BeginDirectPaint(int x, int y, int w, int h, int bytesPerPixel, BYTE** at, int* stride,
                          std::uint32_t* setBits) override NO_THREAD_SAFETY_ANALYSIS {
        return store_.BeginDirect(x, y, w, h, bytesPerPixel, at, stride, setBits);
    }
    void EndDirectPaint(int, int, int, int) override NO_THREAD_SAFETY_ANALYSIS {
        store_.EndDirect();
    }
    void OnCopyRect(int x, int y, int srcX, int srcY, int w, int h) override {
        store_.CopyRect(x, y, srcX, srcY, w, h);
    }
    void OnFillRect(int x, int y, int w, int h, const BYTE* pixel) override {
        store_.FillRect(x, y, w, h, pixel);
    }
    void OnUpdateComplete() override {}

  protected:
    FrameBufferStore& store_;
};
