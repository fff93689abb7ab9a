// The copy of the remote screen: an off-screen surface in the device's pixel format, written by
// the session's decoders (server pixels converted on the way in), presented onto the screen at
// any zoom with one stretching blit, and captured as a small image for thumbnails.
// Every operation but HasSurface runs under the store's one critical section, lock_; any thread.
#pragma once

#include <display/fraction.h>
#include <display/pixel_codec.h>

#include <platform/core.h>
#include <platform/ddraw.h>
#include <sync/critical_section.h>
#include <sync/thread_annotations.h>

#include <atomic>
#include <cstdint>
#include <memory>

class DisplayInfo;

class FrameBufferStore {
  public:
    // A 1 x 1 store whose server pixels are 24-bit until SetPixelFormat.
    explicit FrameBufferStore(DisplayInfo* display);
    virtual ~FrameBufferStore();
    FrameBufferStore(const FrameBufferStore&) = delete;
    FrameBufferStore& operator=(const FrameBufferStore&) = delete;

    // Re-creates the surface; when that fails HasSurface is false and drawing does nothing.
    virtual void SetSize(int width, int height);
    // Keeps the numbers; changes the server codec only for a format SelectSourceCodec knows.
    virtual void SetPixelFormat(int bitsPerPixel, int redBits, int greenBits, int blueBits);
    virtual bool HasSurface() const;
    virtual int GetWidth();
    virtual int GetHeight();
    // Drawing, in framebuffer pixels. A rectangle reaching outside the framebuffer is clipped
    // to it (pixels reads only the part of its w x h block that lands inside); an empty or
    // negative size does nothing. Pixels are in host byte order.
    virtual void PutImage(int x, int y, int w, int h, const BYTE* pixels);
    // PutImage of pixels as the server sent them: bigEndian, two- and four-byte pixels come most
    // significant byte first, and are brought into order in the same pass that converts them.
    virtual void PutImageAsSent(int x, int y, int w, int h, const BYTE* pixels, bool bigEndian);
    // Server pixels of bytesPerPixel painted straight into the framebuffer, where they need no
    // converting but *setBits set in each (the server's format, of that size, is the device's
    // own, in host order; a 32-bit device's unused byte is 0xFF) and the rectangle lies wholly
    // inside: *at is its top-left pixel, *stride the bytes from one row to the next. The store
    // stays locked until EndDirect (Present and every other call wait), so only for painting
    // that waits for nothing. False: nothing is locked; draw with PutImage.
    virtual bool BeginDirect(int x, int y, int w, int h, int bytesPerPixel, BYTE** at, int* stride,
                             std::uint32_t* setBits) TRY_ACQUIRE(true, lock_);
    virtual void EndDirect() RELEASE(lock_);
    virtual void CopyRect(int x, int y, int srcX, int srcY, int w, int h);
    virtual void FillRect(int x, int y, int w, int h, const BYTE* pixel);
    // Stretches the visible part onto the screen: destination in screen coordinates, scroll
    // offsets in zoomed pixels. The orientation is not used.
    virtual void Present(int orientation, int destLeft, int destTop, int destWidth, int destHeight,
                         Fraction zoom, int scrollX, int scrollY);
    // outWidth x outHeight pixels of 3 bytes (blue, green, red), nearest-neighbour scaled
    // from the whole framebuffer; null without a surface or a known device format.
    virtual std::unique_ptr<BYTE[]> CaptureRgb(int outWidth, int outHeight);

    // True: convert one pixel at a time through the codecs' virtual calls (the reference the
    // bulk path is tested and measured against). False (the default): a row at a time.
    void UsePerPixelPath(bool perPixel) { perPixel_.store(perPixel); }

  private:
    void CreateSurface() REQUIRES(lock_);
    bool ServerPixelsMatchCodec() const REQUIRES(lock_);

    std::unique_ptr<PixelCodec> serverCodec_ GUARDED_BY(lock_);
    mutable CriticalSection lock_;
    DisplayInfo* display_;
    int width_ GUARDED_BY(lock_) = 1;
    int height_ GUARDED_BY(lock_) = 1;
    int serverBitsPerPixel_ GUARDED_BY(lock_) = 24;
    std::atomic<IDirectDrawSurface*> surface_{nullptr};
    // The surface locked between BeginDirect and EndDirect.
    IDirectDrawSurface* directSurface_ GUARDED_BY(lock_) = nullptr;
    std::atomic<bool> perPixel_{false};
};
