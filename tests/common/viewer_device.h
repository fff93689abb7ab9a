// What the viewer's tests share: the test device with the program's resources, display and
// window class, a fresh home folder, and the socket library and decoders for the whole binary.
#pragma once

#include <app/client_window.h>
#include <app/start_up.h>
#include <display/display.h>
#include <platform/commctrl.h>
#include <platform/resources.h>
#include <platform_testing/device_harness.h>
#include <resources/resources.h>

#include <gtest/gtest.h>

#include <cstdint>

#include "temp_home.h"

class ViewerDevice : public ::testing::Test {
  public:
    void SetUp() override {
        InstallResources(GetModuleHandleW(nullptr));
        InitCommonControls();
        CheckSingleInstance(GetModuleHandleW(nullptr));
        InitDisplay();
        ClientWindow::RegisterWindowClass(GetModuleHandleW(nullptr));
    }
    void TearDown() override {
        ShutdownDisplay();
        ClientWindow::UnregisterWindowClass(GetModuleHandleW(nullptr));
    }

    DeviceHarness device;
    TempHome home;
};

// The screen's colour of a 5:6:5 pixel (its components widened by repeating their top bits).
inline COLORREF Expand565(std::uint16_t p) {
    int r = p >> 11, g = (p >> 5) & 63, b = p & 31;
    return RGB((r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2));
}
