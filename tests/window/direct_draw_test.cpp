// A DirectDraw blit onto the screen through a clipper bound to a window lands in the window's
// backing surface, clipped to its client area, and shows once the screen is composed.
#include <platform/ddraw.h>
#include <platform_internal/window_surface.h>
#include <platform_testing/device_harness.h>

#include <gtest/gtest.h>

#include <thread>

namespace {

COLORREF OnScreen(COLORREF colour) {
    auto format = CurrentDeviceScreen().format;
    return DecodeDevicePixel(format, EncodeDevicePixel(format, colour));
}

TEST(DirectDrawInWindows, ABlitThroughAWindowsClipperStaysInsideItsClientArea) {
    DeviceHarness device;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.lpszClassName = u"Target";
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    RegisterClassW(&windowClass);
    HWND top = CreateWindowExW(0, u"Target", u"", WS_VISIBLE, 0, 26, 240, 200, nullptr, nullptr,
                               nullptr, nullptr);
    HWND child = CreateWindowExW(0, u"Target", u"", WS_CHILD | WS_VISIBLE, 20, 20, 100, 50, top,
                                 nullptr, nullptr, nullptr);
    device.PumpUntilIdle();

    LPDIRECTDRAW directDraw = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &directDraw, nullptr), DD_OK);
    DDSURFACEDESC description{};
    description.dwSize = sizeof description;
    description.dwFlags = DDSD_CAPS;
    description.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    LPDIRECTDRAWSURFACE primary = nullptr;
    ASSERT_EQ(directDraw->CreateSurface(&description, &primary, nullptr), DD_OK);
    description.dwFlags = DDSD_WIDTH | DDSD_HEIGHT;
    description.dwWidth = 8;
    description.dwHeight = 8;
    LPDIRECTDRAWSURFACE picture = nullptr;
    ASSERT_EQ(directDraw->CreateSurface(&description, &picture, nullptr), DD_OK);
    DDSURFACEDESC locked{};
    locked.dwSize = sizeof locked;
    ASSERT_EQ(picture->Lock(nullptr, &locked, DDLOCK_WAITNOTBUSY, nullptr), DD_OK);
    int bytes = BytesPerDevicePixel(CurrentDeviceScreen().format);
    std::uint32_t red = EncodeDevicePixel(CurrentDeviceScreen().format, RGB(255, 0, 0));
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            StoreDevicePixel(
                static_cast<std::uint8_t*>(locked.lpSurface) + y * locked.lPitch + x * bytes, bytes,
                red);
        }
    }
    picture->Unlock(nullptr);
    LPDIRECTDRAWCLIPPER clipper = nullptr;
    ASSERT_EQ(directDraw->CreateClipper(0, &clipper, nullptr), DD_OK);
    ASSERT_EQ(clipper->SetHWnd(0, child), DD_OK);
    ASSERT_EQ(primary->SetClipper(clipper), DD_OK);

    // The whole screen asked for, from another thread (as the session's threads present).
    DDBLTFX effects{};
    effects.dwSize = sizeof effects;
    effects.dwROP = SRCCOPY;
    HRESULT result = DDERR_GENERIC;
    std::thread([&] {
        RECT everywhere{0, 0, 240, 320};
        result =
            primary->Blt(&everywhere, picture, nullptr, DDBLT_ROP | DDBLT_WAITNOTBUSY, &effects);
    }).join();
    EXPECT_EQ(result, DD_OK);
    device.PumpUntilIdle();
    // The child's client area is screen (20, 46)-(120, 96).
    EXPECT_EQ(device.ScreenPixel(20, 46), OnScreen(RGB(255, 0, 0)));
    EXPECT_EQ(device.ScreenPixel(119, 95), OnScreen(RGB(255, 0, 0)));
    EXPECT_EQ(device.ScreenPixel(19, 46), OnScreen(RGB(255, 255, 255)));
    EXPECT_EQ(device.ScreenPixel(120, 95), OnScreen(RGB(255, 255, 255)));
    EXPECT_EQ(device.ScreenPixel(60, 100), OnScreen(RGB(255, 255, 255)));
    EXPECT_NE(device.ScreenPixel(5, 5), OnScreen(RGB(255, 0, 0)));  // the task bar is untouched

    // Once the window is gone the blit goes nowhere near where it was.
    DestroyWindow(child);
    device.PumpUntilIdle();
    RECT everywhere{0, 0, 240, 320};
    primary->Blt(&everywhere, picture, nullptr, DDBLT_ROP | DDBLT_WAITNOTBUSY, &effects);
    device.PumpUntilIdle();
    EXPECT_EQ(device.ScreenPixel(60, 70), OnScreen(RGB(255, 255, 255)));
    clipper->Release();
    picture->Release();
    primary->Release();
    directDraw->Release();
}

}  // namespace
