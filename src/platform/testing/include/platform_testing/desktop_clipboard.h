// Stands in for the desktop's clipboard and bridges it to the device clipboard as the sdl host
// does: device text goes out as UTF-8, desktop text comes in, neither comes back as a change.
#pragma once

#include <memory>
#include <string>
#include <vector>

class FakeDesktopClipboard {
  public:
    FakeDesktopClipboard();
    ~FakeDesktopClipboard();
    FakeDesktopClipboard(const FakeDesktopClipboard&) = delete;
    FakeDesktopClipboard& operator=(const FakeDesktopClipboard&) = delete;

    // Someone copies text on the desktop, and the host hears of it.
    void Copy(const std::string& utf8);
    // The desktop reports a change without new text (as it does after the host's own copy).
    void AnnounceChange();
    // The host's regular look: device changes go out, desktop text that was put off comes in.
    void Poll();
    // Every text the device put on the desktop, oldest first.
    const std::vector<std::string>& Published() const;

  private:
    class Desktop;
    std::unique_ptr<Desktop> desktop_;
};
