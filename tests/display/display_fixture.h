// A fresh emulated screen and display state for a test; everything is put back afterwards.
#pragma once

#include <display/display.h>
#include <display/frame_buffer_store.h>

#include <platform/ddraw.h>
#include <platform/device_screen.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

class DisplayFixture : public ::testing::Test {
  protected:
    void StartDisplay(DevicePixelFormat format, int width = 240, int height = 320) {
        ConfigureDeviceScreen(DeviceScreenConfig{width, height, 96, format});
        InitDisplay();
        info_ = CreateDisplayInfo(nullptr);
    }
    void TearDown() override {
        info_.reset();
        ShutdownDisplay();
        SetVideoMemoryBudget(std::size_t{64} << 20);
        ConfigureDeviceScreen(DeviceScreenConfig{});
    }
    std::unique_ptr<FrameBufferStore> NewStore(int width, int height) {
        auto store = info_->CreateFrameBuffer();
        store->SetSize(width, height);
        return store;
    }
    // The framebuffer's pixels as blue, green, red triples, read back at full size.
    static std::vector<BYTE> Pixels(FrameBufferStore& store) {
        int w = store.GetWidth(), h = store.GetHeight();
        std::unique_ptr<BYTE[]> image = store.CaptureRgb(w, h);
        if (image == nullptr) {
            return {};
        }
        return std::vector<BYTE>(image.get(), image.get() + static_cast<std::size_t>(w) * h * 3);
    }

    std::unique_ptr<DisplayInfo> info_;
};
