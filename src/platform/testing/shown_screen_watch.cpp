#include <platform_testing/shown_screen_watch.h>

#include <platform_internal/host_backend.h>
#include <platform_internal/screen_buffer.h>
#include <platform_internal/window_surface.h>

#include <condition_variable>
#include <mutex>

class ShownScreenWatch::Host : public HostBackend {
  public:
    Host(POINT at, COLORREF colour) : at_(at), colour_(colour) {}

    void PumpEvents() override {}
    void ShowScreen() override {
        COLORREF shown;
        {
            ScreenBuffer& screen = ScreenBuffer::Instance();
            auto lock = screen.Lock();
            screen.TakeDirty();
            const DeviceScreenConfig& config = screen.Config();
            if (at_.x < 0 || at_.y < 0 || at_.x >= config.width || at_.y >= config.height) {
                return;
            }
            int bytes = BytesPerDevicePixel(config.format);
            shown = DecodeDevicePixel(
                config.format,
                LoadDevicePixel(screen.Pixels() + static_cast<std::size_t>(at_.y) * screen.Pitch() +
                                    static_cast<std::size_t>(at_.x) * bytes,
                                bytes));
        }
        std::lock_guard lock(mutex_);
        if (shown == colour_ && !seen_) {
            seen_ = true;
            shownAt_ = std::chrono::steady_clock::now();
            changed_.notify_all();
        }
    }
    int PollMilliseconds() const override { return 0; }  // waits as long as the loop likes

    bool Wait(int timeoutMilliseconds) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMilliseconds),
                                 [&] { return seen_; });
    }
    std::chrono::steady_clock::time_point At() {
        std::lock_guard lock(mutex_);
        return shownAt_;
    }

  private:
    POINT at_;
    COLORREF colour_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool seen_ = false;
    std::chrono::steady_clock::time_point shownAt_;
};

ShownScreenWatch::ShownScreenWatch(POINT at, COLORREF colour)
    : host_(std::make_unique<Host>(at, colour)) {
    SetHostBackend(host_.get());
}

ShownScreenWatch::~ShownScreenWatch() {
    SetHostBackend(nullptr);
}

bool ShownScreenWatch::WaitShown(int timeoutMilliseconds) {
    return host_->Wait(timeoutMilliseconds);
}

std::chrono::steady_clock::time_point ShownScreenWatch::ShownAt() const {
    return host_->At();
}
