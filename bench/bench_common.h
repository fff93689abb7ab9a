// Shared set-up of the display benchmarks: an emulated screen and a 1024 x 768 framebuffer.
#pragma once

#include <display/display.h>
#include <display/frame_buffer_store.h>

#include <platform/device_screen.h>

#include <memory>
#include <string>
#include <vector>

struct ServerFormat {
    const char* name;
    int bpp, red, green, blue;
};

inline const std::vector<ServerFormat>& ServerFormats() {
    static const std::vector<ServerFormat> formats{{"332", 8, 3, 3, 2},
                                                   {"222", 8, 2, 2, 2},
                                                   {"565", 16, 5, 6, 5},
                                                   {"24", 24, 8, 8, 8},
                                                   {"32", 32, 8, 8, 8}};
    return formats;
}

// Starts the display on a width x height screen in format; the store and the display info
// stay alive until the next call.
class BenchDisplay {
  public:
    BenchDisplay(DevicePixelFormat format, int width, int height) {
        ConfigureDeviceScreen(DeviceScreenConfig{width, height, 96, format});
        InitDisplay();
        info_ = CreateDisplayInfo(nullptr);
        store_ = info_->CreateFrameBuffer();
        store_->SetSize(1024, 768);
    }
    ~BenchDisplay() {
        store_.reset();
        info_.reset();
        ShutdownDisplay();
    }
    FrameBufferStore& Store() { return *store_; }

  private:
    std::unique_ptr<DisplayInfo> info_;
    std::unique_ptr<FrameBufferStore> store_;
};

// Reproducible noise.
inline std::vector<unsigned char> NoiseBytes(std::size_t size) {
    std::vector<unsigned char> bytes(size);
    std::uint32_t state = 12345;
    for (auto& b : bytes) {
        state = state * 1103515245u + 12345u;
        b = static_cast<unsigned char>(state >> 16);
    }
    return bytes;
}
