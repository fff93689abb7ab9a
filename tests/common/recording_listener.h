// A SessionListener for tests: writes every call as one line of text and draws into a
// TestFrameBuffer sized by ServerInit and DesktopSize.
#pragma once

#include "test_framebuffer.h"

#include <platform/text.h>
#include <rfb/session_listener.h>
#include <rfb/transport_listener.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

class RecordingListener : public SessionListener, public TransportListener {
  public:
    void OnServerInit(const WCHAR* name, int width, int height,
                      const PixelFormat& format) override {
        Record("ServerInit " + Utf16ToUtf8(name) + " " + std::to_string(width) + "x" +
               std::to_string(height) + " bpp " + std::to_string(format.bitsPerPixel));
        name_ = name;
        framebuffer.Resize(width, height);
    }
    void OnBell() override { Record("Bell"); }
    void OnServerCutText(const WCHAR* text, int length) override {
        cutText_.assign(text, text + length);
        Record("CutText " + std::to_string(length));
    }
    void OnProtocolError(int code) override { Record("ProtocolError " + std::to_string(code)); }
    void OnDesktopResize(int width, int height) override {
        Record("DesktopResize " + std::to_string(width) + "x" + std::to_string(height));
        framebuffer.Resize(width, height);
    }
    void OnCursorShape(int x, int y, int width, int height, const BYTE* pixels,
                       const BYTE* mask) override {
        Record("Cursor " + Rect(x, y, width, height));
        int bytes = (width + 7) / 8 * height;
        cursorMask.assign(mask, mask + bytes);
        cursorPixels.assign(pixels, mask);
    }
    void OnImageRect(int x, int y, int width, int height, const BYTE* pixels) override {
        Record("Image " + Rect(x, y, width, height));
        framebuffer.PutImage(x, y, width, height, pixels);
    }
    void OnCopyRect(int x, int y, int srcX, int srcY, int width, int height) override {
        Record("Copy " + Rect(x, y, width, height) + " from " + std::to_string(srcX) + "," +
               std::to_string(srcY));
        framebuffer.Copy(x, y, srcX, srcY, width, height);
    }
    void OnFillRect(int x, int y, int width, int height, const BYTE* pixel) override {
        Record("Fill " + Rect(x, y, width, height) + " " + std::to_string(framebuffer.Read(pixel)));
        framebuffer.Fill(x, y, width, height, pixel);
    }
    void OnUpdateComplete() override {
        Record("UpdateComplete");
        ++updates;
    }
    void OnPixelFormatChanged(const PixelFormat& format) override {
        Record("PixelFormat " + std::to_string(format.bitsPerPixel));
        framebuffer.SetBytesPerPixel(format.BytesPerPixel());
    }
    void OnConnectResult(int status) override { Record("ConnectResult " + std::to_string(status)); }
    void OnConnectionLost(int status) override {
        Record("ConnectionLost " + std::to_string(status));
    }

    std::vector<std::string> Calls() {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    const std::u16string& Name() const { return name_; }
    const std::u16string& CutText() const { return cutText_; }

    TestFrameBuffer framebuffer;
    std::vector<BYTE> cursorPixels;
    std::vector<BYTE> cursorMask;
    std::atomic<int> updates{0};

  private:
    static std::string Rect(int x, int y, int w, int h) {
        return std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(w) + "x" +
               std::to_string(h);
    }
    void Record(std::string call) {
        std::lock_guard lock(mutex_);
        calls_.push_back(std::move(call));
    }

    std::mutex mutex_;
    std::vector<std::string> calls_;
    std::u16string name_;
    std::u16string cutText_;
};
