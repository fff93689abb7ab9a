// What the session reports to the viewer: the opening, protocol errors, server messages and the
// drawing of every rectangle. Pixels are in the session's pixel format, in host byte order.
#pragma once

#include <platform/types.h>
#include <rfb/pixel_format.h>

#include <cstdint>

// Protocol error codes; the text shown for a code is string 5000 + code.
enum ProtocolError : int {
    kProtocolConnectionFailed = 0,
    kProtocolAuthenticationFailed = 1,
    kProtocolTooManyAttempts = 2,
};

class SessionListener {
  public:
    virtual ~SessionListener() = default;
    // Connect thread, at the end of a good handshake. The name is terminated.
    virtual void OnServerInit(const WCHAR* name, int width, int height,
                              const PixelFormat& format) = 0;
    // Message thread.
    virtual void OnBell() = 0;
    // Message thread; text is terminated and length characters long.
    virtual void OnServerCutText(const WCHAR* text, int length) = 0;
    // Connect thread for handshake failures; message thread when the server breaks a bound.
    virtual void OnProtocolError(int code) = 0;
    // Message thread; the session's width and height are already the new ones.
    virtual void OnDesktopResize(int width, int height) = 0;
    // Message thread; pixels as sent (no byte-order fix-up), mask one bit a pixel, rows padded to
    // whole bytes.
    virtual void OnCursorShape(int x, int y, int width, int height, const BYTE* pixels,
                               const BYTE* mask) = 0;
    // Message thread; width x height pixels, rows of width pixels.
    virtual void OnImageRect(int x, int y, int width, int height, const BYTE* pixels) = 0;
    // Message thread; as OnImageRect, with the pixels as the server sent them in format (for a
    // big-endian format the bytes of each pixel still reversed). By default they are brought into
    // host order in a copy and drawn with OnImageRect; a listener that converts pixels anyway
    // does both in one pass.
    virtual void OnImageRectAsSent(int x, int y, int width, int height, const BYTE* pixels,
                                   const PixelFormat& format);
    // Message thread: a place to paint pixels of the session's format (bytesPerPixel each), in
    // host order with *setBits set in every one (a 32-bit framebuffer's unused byte), straight
    // into the listener's framebuffer for the rectangle (wholly inside it): *at its top-left
    // pixel, *stride the bytes from one row to the next. True: the decoder paints there until
    // EndDirectPaint, which it calls before any other call on the listener and before it waits
    // for bytes from the network (the framebuffer stays locked meanwhile). False (the default,
    // and where the pixels need converting): the decoder hands on images with OnImageRect.
    virtual bool BeginDirectPaint(int /*x*/, int /*y*/, int /*width*/, int /*height*/,
                                  int /*bytesPerPixel*/, BYTE** /*at*/, int* /*stride*/,
                                  std::uint32_t* /*setBits*/) {
        return false;
    }
    // Message thread: painting ends; the rectangle x, y, width x height, within the one begun,
    // holds new pixels (an empty one: nothing was painted).
    virtual void EndDirectPaint(int /*x*/, int /*y*/, int /*width*/, int /*height*/) {}
    virtual void OnCopyRect(int x, int y, int srcX, int srcY, int width, int height) = 0;
    virtual void OnFillRect(int x, int y, int width, int height, const BYTE* pixel) = 0;
    // Message thread, once after the last rectangle of every complete update.
    virtual void OnUpdateComplete() = 0;
    // Message thread, before the first rectangle in a pixel format asked for while the session
    // ran (ChangePixelFormat): from here on pixels arrive in format.
    virtual void OnPixelFormatChanged(const PixelFormat& /*format*/) {}
};
