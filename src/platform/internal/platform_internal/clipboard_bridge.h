// Keeps the device clipboard and the desktop's clipboard in step under the sdl host: text the
// device puts on its clipboard goes to the desktop as UTF-8, text copied on the desktop becomes
// the device clipboard's. Neither side's change comes back to it as a new change.
#pragma once

#include <cstdint>
#include <string>

// The desktop's side: SDL's clipboard under the sdl host, a fake in tests.
class DesktopClipboard {
  public:
    virtual ~DesktopClipboard() = default;
    virtual void SetText(const std::string& utf8) = 0;
    // False when the desktop clipboard holds no text.
    virtual bool GetText(std::string* utf8) = 0;
};

// Call on the UI thread only (SDL's clipboard belongs to the thread that opened the display).
class ClipboardBridge {
  public:
    explicit ClipboardBridge(DesktopClipboard& desktop) : desktop_(desktop) {}
    // Publishes the device's text when it changed since the last look (from any device thread),
    // and retries desktop text that arrived while a program had the clipboard open.
    void PublishDeviceChanges();
    // The desktop's clipboard changed: its text becomes the device clipboard's.
    void TakeDesktopText();

  private:
    DesktopClipboard& desktop_;
    std::uint64_t seenSerial_ = 0;     // the device clipboard's change count last looked at
    bool desktopPending_ = false;      // desktop text waits for the device clipboard to close
    std::uint64_t pendingSerial_ = 0;  // the device's change count when it was put off
};
