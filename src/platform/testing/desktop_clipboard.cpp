#include <platform_testing/desktop_clipboard.h>

#include <platform_internal/clipboard_bridge.h>

class FakeDesktopClipboard::Desktop : public DesktopClipboard {
  public:
    void SetText(const std::string& utf8) override { published.push_back(text = utf8); }
    bool GetText(std::string* utf8) override {
        *utf8 = text;
        return true;
    }

    std::vector<std::string> published;
    std::string text;
    ClipboardBridge bridge{*this};
};

FakeDesktopClipboard::FakeDesktopClipboard() : desktop_(std::make_unique<Desktop>()) {}

FakeDesktopClipboard::~FakeDesktopClipboard() = default;

void FakeDesktopClipboard::Copy(const std::string& utf8) {
    desktop_->text = utf8;
    desktop_->bridge.TakeDesktopText();
}

void FakeDesktopClipboard::AnnounceChange() {
    desktop_->bridge.TakeDesktopText();
}

void FakeDesktopClipboard::Poll() {
    desktop_->bridge.PublishDeviceChanges();
}

const std::vector<std::string>& FakeDesktopClipboard::Published() const {
    return desktop_->published;
}
