// The device screen's pixels, shared by DirectDraw's primary surface, the window system's
// compositor and the hosts. Guarded by its own mutex; never held while application code runs.
#pragma once

#include <platform/device_screen.h>

#include <cstdint>
#include <mutex>
#include <vector>

class ScreenBuffer {
  public:
    static ScreenBuffer& Instance();

    // Re-sizes to the configuration (also used when the screen rotates: width and height swap).
    void Configure(const DeviceScreenConfig& config);

    // Everything below must be called with the lock held (use Lock()).
    std::unique_lock<std::mutex> Lock() { return std::unique_lock<std::mutex>(mutex_); }
    const DeviceScreenConfig& Config() const { return config_; }
    int Pitch() const { return pitch_; }
    std::uint8_t* Pixels() { return pixels_.data(); }
    // Set by whoever changed the pixels; hosts clear it when they have shown them.
    void MarkDirty() { dirty_ = true; }
    bool TakeDirty() {
        bool was = dirty_;
        dirty_ = false;
        return was;
    }

  private:
    std::mutex mutex_;
    DeviceScreenConfig config_;
    int pitch_ = 0;
    std::vector<std::uint8_t> pixels_;
    bool dirty_ = true;
};
