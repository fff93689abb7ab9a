#include <platform/ddraw.h>
#include <platform/device_screen.h>
#include <platform/gdi.h>
#include <platform_testing/screen_probe.h>
#include <platform_testing/test_switches.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <random>
#include <vector>

namespace {

// ---- the stretching blit against a model of its mapping ----

// Source coordinate of destination offset d: the source pixel holding the destination pixel's
// centre, (d + 0.5) * sourceSize / destSize.
int ModelSource(std::int64_t d, std::int64_t sourceSize, std::int64_t destSize) {
    return static_cast<int>((2 * d + 1) * sourceSize / (2 * destSize));
}

int Between(std::mt19937& random, int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
}

// A surface's bytes row by row, without the padding of its pitch.
std::vector<BYTE> Read(IDirectDrawSurface* surface, int bytes) {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    EXPECT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAITNOTBUSY, nullptr), DD_OK);
    std::vector<BYTE> pixels;
    for (DWORD y = 0; y < desc.dwHeight; ++y) {
        auto* row = static_cast<BYTE*>(desc.lpSurface) + y * desc.lPitch;
        pixels.insert(pixels.end(), row, row + desc.dwWidth * bytes);
    }
    surface->Unlock(nullptr);
    return pixels;
}

void FillRandom(IDirectDrawSurface* surface, std::mt19937& random) {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    ASSERT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAITNOTBUSY, nullptr), DD_OK);
    for (DWORD y = 0; y < desc.dwHeight; ++y) {
        auto* row = static_cast<BYTE*>(desc.lpSurface) + y * desc.lPitch;
        for (LONG i = 0; i < static_cast<LONG>(desc.dwWidth) * desc.lXPitch; ++i) {
            row[i] = static_cast<BYTE>(random());
        }
    }
    surface->Unlock(nullptr);
}

IDirectDrawSurface* MakeSurface(IDirectDraw* dd, int w, int h) {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = w > 0 ? DDSD_WIDTH | DDSD_HEIGHT : DDSD_CAPS;
    desc.ddsCaps.dwCaps = w > 0 ? 0 : DDSCAPS_PRIMARYSURFACE;
    desc.dwWidth = static_cast<DWORD>(w);
    desc.dwHeight = static_cast<DWORD>(h);
    IDirectDrawSurface* surface = nullptr;
    EXPECT_EQ(dd->CreateSurface(&desc, &surface, nullptr), DD_OK);
    return surface;
}

HRESULT Blit(IDirectDrawSurface* to, RECT* toRect, IDirectDrawSurface* from, RECT* fromRect) {
    DDBLTFX fx{};
    fx.dwSize = sizeof(fx);
    fx.dwROP = SRCCOPY;
    return to->Blt(toRect, from, fromRect, DDBLT_ROP | DDBLT_WAITNOTBUSY, &fx);
}

// Random pictures stretched, shrunk and copied onto the screen at random places reaching past
// its edges, in every pixel size, with the wide and the narrow row-copy vectors.
TEST(StretchBlit, EveryScreenPixelComesFromTheSourcePixelUnderItsCentre) {
    std::mt19937 random(1234);
    int widest = SetRowCopyVectorBytes(64);
    const DevicePixelFormat formats[] = {DevicePixelFormat::Rgb332, DevicePixelFormat::Rgb565,
                                         DevicePixelFormat::Rgb888, DevicePixelFormat::Xrgb8888};
    for (int vector : {16, 64}) {
        if (SetRowCopyVectorBytes(vector) != vector) {
            continue;  // the processor has no such vectors
        }
        for (DevicePixelFormat format : formats) {
            int bytes = BytesPerDevicePixel(format);
            for (int round = 0; round < 150; ++round) {
                int screenWidth = Between(random, 1, 90), screenHeight = Between(random, 1, 70);
                ConfigureDeviceScreen(DeviceScreenConfig{screenWidth, screenHeight, 96, format});
                IDirectDraw* dd = nullptr;
                ASSERT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
                int sw = Between(random, 1, 70), sh = Between(random, 1, 50);
                IDirectDrawSurface* source = MakeSurface(dd, sw, sh);
                IDirectDrawSurface* screen = MakeSurface(dd, 0, 0);
                FillRandom(source, random);
                FillRandom(screen, random);
                int sl = Between(random, 0, sw - 1), st = Between(random, 0, sh - 1);
                RECT from{sl, st, Between(random, sl + 1, sw), Between(random, st + 1, sh)};
                int dl = Between(random, -40, screenWidth), dt = Between(random, -40, screenHeight);
                RECT to{dl, dt, dl + Between(random, 1, 200), dt + Between(random, 1, 200)};
                if (round % 5 == 0) {  // equal sizes: rows are copied
                    to.right = to.left + (from.right - from.left);
                    to.bottom = to.top + (from.bottom - from.top);
                }
                std::vector<BYTE> model = Read(screen, bytes);
                std::vector<BYTE> picture = Read(source, bytes);
                for (int y = std::max<LONG>(to.top, 0); y < std::min<LONG>(to.bottom, screenHeight);
                     ++y) {
                    int fy = from.top + ModelSource(y - to.top, from.bottom - from.top,
                                                    to.bottom - to.top);
                    for (int x = std::max<LONG>(to.left, 0);
                         x < std::min<LONG>(to.right, screenWidth); ++x) {
                        int fx = from.left + ModelSource(x - to.left, from.right - from.left,
                                                         to.right - to.left);
                        std::memcpy(&model[(y * screenWidth + x) * bytes],
                                    &picture[(fy * sw + fx) * bytes], bytes);
                    }
                }
                ASSERT_EQ(Blit(screen, &to, source, &from), DD_OK);
                ASSERT_EQ(Read(screen, bytes), model)
                    << "bytes " << bytes << " round " << round << " vectors " << vector;
                screen->Release();
                source->Release();
                dd->Release();
            }
        }
    }
    SetRowCopyVectorBytes(widest);
    ConfigureDeviceScreen(DeviceScreenConfig{});
}

TEST(StretchBlit, SamplesTheSourcePixelUnderEachDestinationCentre) {
    // One row 0..3 enlarged to 10: centres (d + 0.5) * 4 / 10 = 0.2, 0.6, 1.0 ... 3.8.
    ConfigureDeviceScreen(DeviceScreenConfig{10, 1, 96, DevicePixelFormat::Rgb332});
    IDirectDraw* dd = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
    IDirectDrawSurface* source = MakeSurface(dd, 4, 1);
    IDirectDrawSurface* screen = MakeSurface(dd, 0, 0);
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    ASSERT_EQ(source->Lock(nullptr, &desc, DDLOCK_WAITNOTBUSY, nullptr), DD_OK);
    for (BYTE i = 0; i < 4; ++i) {
        static_cast<BYTE*>(desc.lpSurface)[i] = i;
    }
    source->Unlock(nullptr);
    ASSERT_EQ(Blit(screen, nullptr, source, nullptr), DD_OK);
    EXPECT_EQ(Read(screen, 1), (std::vector<BYTE>{0, 0, 1, 1, 1, 2, 2, 3, 3, 3}));
    // Shrunk to 2: centres 1 and 3.
    RECT two{0, 0, 2, 1};
    ASSERT_EQ(Blit(screen, &two, source, nullptr), DD_OK);
    EXPECT_EQ(ScreenPixelValue(0, 0), 1u);
    EXPECT_EQ(ScreenPixelValue(1, 0), 3u);
    screen->Release();
    source->Release();
    dd->Release();
    ConfigureDeviceScreen(DeviceScreenConfig{});
}

// ---- DirectDraw objects ----

class DirectDrawTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ConfigureDeviceScreen(DeviceScreenConfig{8, 6, 96, DevicePixelFormat::Rgb565});
        ASSERT_EQ(DirectDrawCreate(nullptr, &dd_, nullptr), DD_OK);
    }
    void TearDown() override {
        dd_->Release();
        EXPECT_EQ(VideoMemoryInUse(), 0u);
        SetVideoMemoryBudget(std::size_t{64} << 20);
        ConfigureDeviceScreen(DeviceScreenConfig{});
    }

    IDirectDrawSurface* Offscreen(int w, int h, HRESULT* result = nullptr) {
        DDSURFACEDESC desc{};
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DDSD_WIDTH | DDSD_HEIGHT;
        desc.dwWidth = static_cast<DWORD>(w);
        desc.dwHeight = static_cast<DWORD>(h);
        IDirectDrawSurface* surface = nullptr;
        HRESULT r = dd_->CreateSurface(&desc, &surface, nullptr);
        if (result != nullptr) {
            *result = r;
        }
        return surface;
    }
    IDirectDrawSurface* Primary() {
        DDSURFACEDESC desc{};
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DDSD_CAPS;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
        IDirectDrawSurface* surface = nullptr;
        EXPECT_EQ(dd_->CreateSurface(&desc, &surface, nullptr), DD_OK);
        return surface;
    }
    // 16-bit pixel values x + 16 * y written into a surface.
    static void Number(IDirectDrawSurface* surface) {
        DDSURFACEDESC desc{};
        desc.dwSize = sizeof(desc);
        ASSERT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAITNOTBUSY, nullptr), DD_OK);
        for (DWORD y = 0; y < desc.dwHeight; ++y) {
            for (DWORD x = 0; x < desc.dwWidth; ++x) {
                auto v = static_cast<std::uint16_t>(x + 16 * y);
                std::memcpy(static_cast<BYTE*>(desc.lpSurface) + y * desc.lPitch + x * desc.lXPitch,
                            &v, 2);
            }
        }
        surface->Unlock(nullptr);
    }
    static std::uint16_t At(IDirectDrawSurface* surface, int x, int y) {
        DDSURFACEDESC desc{};
        desc.dwSize = sizeof(desc);
        EXPECT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAITNOTBUSY, nullptr), DD_OK);
        std::uint16_t v;
        std::memcpy(&v, static_cast<BYTE*>(desc.lpSurface) + y * desc.lPitch + x * desc.lXPitch, 2);
        surface->Unlock(nullptr);
        return v;
    }
    static std::uint32_t ScreenAt(int x, int y) { return ScreenPixelValue(x, y); }
    static HRESULT Copy(IDirectDrawSurface* to, RECT* toRect, IDirectDrawSurface* from,
                        RECT* fromRect) {
        DDBLTFX fx{};
        fx.dwSize = sizeof(fx);
        fx.dwROP = SRCCOPY;
        return to->Blt(toRect, from, fromRect, DDBLT_ROP | DDBLT_WAITNOTBUSY, &fx);
    }

    IDirectDraw* dd_ = nullptr;
};

TEST_F(DirectDrawTest, SurfacesDescribeTheScreenFormatAndCountAgainstTheBudget) {
    IDirectDrawSurface* primary = Primary();
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    ASSERT_EQ(primary->GetSurfaceDesc(&desc), DD_OK);
    EXPECT_EQ(desc.dwWidth, 8u);
    EXPECT_EQ(desc.dwHeight, 6u);
    EXPECT_EQ(desc.lPitch, 16);
    EXPECT_EQ(desc.lXPitch, 2);
    EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 16u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwRBitMask, 0xF800u);
    EXPECT_EQ(desc.ddsCaps.dwCaps, DDSCAPS_PRIMARYSURFACE);

    SetVideoMemoryBudget(1000);
    IDirectDrawSurface* small = Offscreen(10, 10);  // 200 bytes
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(VideoMemoryInUse(), 200u);
    HRESULT result;
    EXPECT_EQ(Offscreen(30, 30, &result), nullptr);
    EXPECT_EQ(result, DDERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(Offscreen(0, 10, &result), nullptr);
    EXPECT_EQ(result, DDERR_INVALIDPARAMS);
    small->Release();
    EXPECT_EQ(VideoMemoryInUse(), 0u);
    EXPECT_NE(small = Offscreen(20, 20), nullptr);  // 800 bytes fit once the first is gone
    small->Release();
    primary->Release();
}

TEST_F(DirectDrawTest, LockIsExclusiveAndRefusesToDeadlockItsOwnThread) {
    IDirectDrawSurface* surface = Offscreen(4, 4);
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof(desc);
    EXPECT_EQ(surface->Unlock(nullptr), DDERR_NOTLOCKED);
    ASSERT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAITNOTBUSY, nullptr), DD_OK);
    EXPECT_EQ(desc.lPitch, 8);
    EXPECT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAITNOTBUSY, nullptr), DDERR_SURFACEBUSY);
    EXPECT_EQ(Copy(surface, nullptr, surface, nullptr), DDERR_SURFACEBUSY);
    EXPECT_EQ(surface->Unlock(nullptr), DD_OK);
    RECT part{0, 0, 2, 2};
    EXPECT_EQ(surface->Lock(&part, &desc, 0, nullptr), DDERR_INVALIDPARAMS);
    surface->Release();
}

TEST_F(DirectDrawTest, OverlappingCopiesOnOneSurfaceActAsAMove) {
    IDirectDrawSurface* surface = Offscreen(8, 8);
    struct Case {
        RECT to;
        RECT from;
    };
    for (Case c : {Case{{1, 1, 7, 7}, {0, 0, 6, 6}}, Case{{0, 0, 6, 6}, {2, 1, 8, 7}},
                   Case{{0, 2, 8, 8}, {0, 0, 8, 6}}, Case{{0, 0, 8, 3}, {0, 2, 8, 5}}}) {
        Number(surface);
        ASSERT_EQ(Copy(surface, &c.to, surface, &c.from), DD_OK);
        for (int y = c.to.top; y < c.to.bottom; ++y) {
            for (int x = c.to.left; x < c.to.right; ++x) {
                int sx = x - c.to.left + c.from.left, sy = y - c.to.top + c.from.top;
                ASSERT_EQ(At(surface, x, y), sx + 16 * sy) << x << "," << y;
            }
        }
    }
    // A stretched overlapping copy reads the source as it was before the copy.
    Number(surface);
    RECT to{0, 0, 8, 8};
    RECT from{2, 2, 6, 6};
    ASSERT_EQ(Copy(surface, &to, surface, &from), DD_OK);
    EXPECT_EQ(At(surface, 7, 7), 5 + 16 * 5);
    EXPECT_EQ(At(surface, 0, 0), 2 + 16 * 2);
    surface->Release();
}

TEST_F(DirectDrawTest, BadRectanglesAreRefusedOffscreenAndClippedOnTheScreen) {
    IDirectDrawSurface* surface = Offscreen(4, 4);
    IDirectDrawSurface* other = Offscreen(4, 4);
    RECT outside{2, 2, 5, 4};
    RECT inverted{3, 0, 1, 2};
    RECT inside{0, 0, 3, 2};
    EXPECT_EQ(Copy(other, &inside, surface, &outside), DDERR_INVALIDRECT);
    EXPECT_EQ(Copy(other, &outside, surface, &inside), DDERR_INVALIDRECT);
    EXPECT_EQ(Copy(other, &inverted, surface, &inside), DDERR_INVALIDRECT);
    EXPECT_EQ(Copy(other, &inside, surface, &inverted), DDERR_INVALIDRECT);
    DDBLTFX fx{};
    fx.dwSize = sizeof(fx);
    fx.dwROP = 0x00EE0086;  // SRCPAINT
    EXPECT_EQ(other->Blt(nullptr, surface, nullptr, DDBLT_ROP, &fx), DDERR_NOROPHW);

    // The screen is 8 x 6; a 4 x 4 stretched to 16 x 12 at (-4, -3) lands clipped.
    IDirectDrawSurface* primary = Primary();
    Number(surface);
    TakeScreenChanged();
    RECT big{-4, -3, 12, 9};
    EXPECT_EQ(Copy(primary, &big, surface, nullptr), DD_OK);
    EXPECT_TRUE(TakeScreenChanged());
    EXPECT_EQ(ScreenAt(0, 0), 1 + 16 * 1);  // (4, 3) of the 16 x 12 destination
    EXPECT_EQ(ScreenAt(7, 5), 2 + 16 * 2);
    RECT far{1000, 1000, 1 << 30, 1 << 30};
    EXPECT_EQ(Copy(primary, &far, surface, nullptr), DD_OK);
    RECT everything{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    EXPECT_EQ(Copy(primary, &everything, surface, nullptr), DD_OK);
    EXPECT_EQ(ScreenAt(7, 5), 2 + 16 * 2);  // the screen lies at the middle of the source
    primary->Release();
    other->Release();
    surface->Release();
}

TEST_F(DirectDrawTest, ABlitThroughAClipperLandsOnTheScreenWhileNoWindowSystemRuns) {
    IDirectDrawSurface* primary = Primary();
    IDirectDrawClipper* clipper = nullptr;
    ASSERT_EQ(dd_->CreateClipper(0, &clipper, nullptr), DD_OK);
    ASSERT_EQ(primary->SetClipper(clipper), DD_OK);
    IDirectDrawSurface* surface = Offscreen(4, 4);
    Number(surface);
    auto* window = reinterpret_cast<HWND>(std::uintptr_t{0x10});
    ASSERT_EQ(clipper->SetHWnd(0, window), DD_OK);

    // No window system yet: the blit lands on the screen.
    RECT to{2, 1, 6, 5};
    ASSERT_EQ(Copy(primary, &to, surface, nullptr), DD_OK);
    EXPECT_EQ(ScreenAt(2, 1), 0);
    EXPECT_EQ(ScreenAt(5, 4), 3 + 16 * 3);

    clipper->Release();  // the primary surface still holds it
    primary->Release();
    surface->Release();
}

TEST(DeviceCaps, TheScreenDeviceContextReportsTheConfiguredScreen) {
    ConfigureDeviceScreen(DeviceScreenConfig{480, 640, 192, DevicePixelFormat::Xrgb8888});
    EXPECT_EQ(GetDeviceCaps(nullptr, LOGPIXELSX), 192);
    EXPECT_EQ(GetDeviceCaps(nullptr, LOGPIXELSY), 192);
    EXPECT_EQ(GetDeviceCaps(nullptr, HORZRES), 480);
    EXPECT_EQ(GetDeviceCaps(nullptr, VERTRES), 640);
    EXPECT_EQ(GetDeviceCaps(nullptr, BITSPIXEL), 32);
    EXPECT_EQ(GetDeviceCaps(nullptr, 12345), 0);
    ConfigureDeviceScreen(DeviceScreenConfig{});
}

}  // namespace
