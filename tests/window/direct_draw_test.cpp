// A DirectDraw blit onto the screen through a clipper bound to a window lands in the window's
// backing surface, clipped to its client area, and shows once the screen is composed.
#include <platform/ddraw.h>
#include <platform_testing/device_harness.h>
#include <platform_testing/screen_probe.h>
#include <platform_testing/shown_screen_watch.h>
#include "process_threads.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

namespace {

// DirectDraw's screen, an 8 x 8 red picture and a clipper bound to nothing yet.
struct RedPicture {
    RedPicture() {
        DirectDrawCreate(nullptr, &directDraw, nullptr);
        DDSURFACEDESC description{};
        description.dwSize = sizeof description;
        description.dwFlags = DDSD_CAPS;
        description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
        directDraw->CreateSurface(&description, &primary, nullptr);
        description.dwFlags = DDSD_WIDTH | DDSD_HEIGHT;
        description.dwWidth = 8;
        description.dwHeight = 8;
        directDraw->CreateSurface(&description, &picture, nullptr);
        DDSURFACEDESC locked{};
        locked.dwSize = sizeof locked;
        picture->Lock(nullptr, &locked, DDLOCK_WAITNOTBUSY, nullptr);
        int bytes = BytesPerDevicePixel(CurrentDeviceScreen().format);
        std::uint32_t red = DevicePixelValue(RGB(255, 0, 0));
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                // Device pixels are stored little-endian, as this machine stores integers.
                std::memcpy(
                    static_cast<std::uint8_t*>(locked.lpSurface) + y * locked.lPitch + x * bytes,
                    &red, bytes);
            }
        }
        picture->Unlock(nullptr);
        directDraw->CreateClipper(0, &clipper, nullptr);
        primary->SetClipper(clipper);
    }
    ~RedPicture() {
        clipper->Release();
        picture->Release();
        primary->Release();
        directDraw->Release();
    }
    // The whole screen asked for, as the session's threads present.
    HRESULT BlitEverywhere() {
        DDBLTFX effects{};
        effects.dwSize = sizeof effects;
        effects.dwROP = SRCCOPY;
        RECT everywhere{0, 0, 240, 320};
        return primary->Blt(&everywhere, picture, nullptr, DDBLT_ROP | DDBLT_WAITNOTBUSY, &effects);
    }

    LPDIRECTDRAW directDraw = nullptr;
    LPDIRECTDRAWSURFACE primary = nullptr;
    LPDIRECTDRAWSURFACE picture = nullptr;
    LPDIRECTDRAWCLIPPER clipper = nullptr;
};

HWND MakeTarget(int x, int y, int width, int height, HWND parent) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.lpszClassName = u"Target";
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, u"Target", u"", (parent ? WS_CHILD : 0) | WS_VISIBLE, x, y, width,
                           height, parent, nullptr, nullptr, nullptr);
}

TEST(DirectDrawInWindows, ABlitThroughAWindowsClipperStaysInsideItsClientArea) {
    DeviceHarness device;
    HWND top = MakeTarget(0, 26, 240, 200, nullptr);
    HWND child = MakeTarget(20, 20, 100, 50, top);
    device.PumpUntilIdle();
    RedPicture red;
    ASSERT_NE(red.clipper, nullptr);
    ASSERT_EQ(red.clipper->SetHWnd(0, child), DD_OK);

    // From another thread, as the session's threads present.
    HRESULT result = DDERR_GENERIC;
    std::thread([&] { result = red.BlitEverywhere(); }).join();
    EXPECT_EQ(result, DD_OK);
    device.PumpUntilIdle();
    // The child's client area is screen (20, 46)-(120, 96).
    EXPECT_EQ(device.ScreenPixel(20, 46), ShownColour(RGB(255, 0, 0)));
    EXPECT_EQ(device.ScreenPixel(119, 95), ShownColour(RGB(255, 0, 0)));
    EXPECT_EQ(device.ScreenPixel(19, 46), ShownColour(RGB(255, 255, 255)));
    EXPECT_EQ(device.ScreenPixel(120, 95), ShownColour(RGB(255, 255, 255)));
    EXPECT_EQ(device.ScreenPixel(60, 100), ShownColour(RGB(255, 255, 255)));
    EXPECT_NE(device.ScreenPixel(5, 5), ShownColour(RGB(255, 0, 0)));  // the task bar is untouched

    // Once the window is gone the blit goes nowhere near where it was.
    DestroyWindow(child);
    device.PumpUntilIdle();
    red.BlitEverywhere();
    device.PumpUntilIdle();
    EXPECT_EQ(device.ScreenPixel(60, 70), ShownColour(RGB(255, 255, 255)));
}

// The user-interface thread waits in GetMessageW with nothing to do; a blit from another thread
// is composed onto the screen at once, not when the wait would have ended by itself.
TEST(DirectDrawInWindows, ABlitFromAnotherThreadReachesTheScreenWhileTheLoopWaits) {
    DeviceHarness device;
    HWND top = MakeTarget(0, 26, 240, 200, nullptr);
    device.PumpUntilIdle();
    RedPicture red;
    ASSERT_NE(red.clipper, nullptr);
    ASSERT_EQ(red.clipper->SetHWnd(0, top), DD_OK);
    ShownScreenWatch watch({60, 100}, ShownColour(RGB(255, 0, 0)));
    using Clock = std::chrono::steady_clock;
    Clock::time_point blitted;
    bool shown = false;
    pid_t loopThread = CurrentThreadId();
    std::thread presenter([&] {
        EXPECT_TRUE(WaitUntilSleeping(loopThread));  // the loop is waiting
        blitted = Clock::now();
        red.BlitEverywhere();
        shown = watch.WaitShown(3000);
        PostMessageW(top, WM_NULL, 0, 0);  // lets the loop go
    });
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) && message.message != WM_NULL) {
        DispatchMessageW(&message);
    }
    presenter.join();
    ASSERT_TRUE(shown);
    // Left to itself the wait would end after a second.
    EXPECT_LT(watch.ShownAt() - blitted, std::chrono::milliseconds(500));
}

}  // namespace
