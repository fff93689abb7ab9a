#include "display_fixture.h"

#include <display/screen_metrics.h>

#include <platform/gdi.h>
#include <platform_testing/screen_probe.h>

#include <array>
#include <atomic>
#include <chrono>
#include <climits>
#include <cstring>
#include <thread>
#include <random>

namespace {

using Store = FrameBufferStore;

// ---- the display state ----

TEST_F(DisplayFixture, InitDisplayReadsTheScreenLayoutForEveryDeviceFormat) {
    struct Case {
        DevicePixelFormat format;
        int bpp, r, g, b;
        bool drawable;  // a device codec exists
    };
    for (Case c : {Case{DevicePixelFormat::Rgb332, 8, 3, 3, 2, true},
                   Case{DevicePixelFormat::Rgb555, 16, 5, 5, 5, false},
                   Case{DevicePixelFormat::Rgb565, 16, 5, 6, 5, true},
                   Case{DevicePixelFormat::Rgb888, 24, 8, 8, 8, true},
                   Case{DevicePixelFormat::Xrgb8888, 32, 8, 8, 8, true}}) {
        StartDisplay(c.format, 200, 100);
        int bpp, r, g, b;
        info_->GetPixelFormat(&bpp, &r, &g, &b);
        EXPECT_EQ(std::vector<int>({bpp, r, g, b}), std::vector<int>({c.bpp, c.r, c.g, c.b}));
        EXPECT_EQ(info_->GetWidth(), 200);
        EXPECT_EQ(info_->GetHeight(), 100);
        auto store = NewStore(4, 2);
        EXPECT_TRUE(store->HasSurface());
        BYTE red[3] = {0, 0, 255};
        store->FillRect(0, 0, 4, 2, red);
        // Without a device codec nothing is written and nothing can be captured.
        EXPECT_EQ(store->CaptureRgb(2, 1) != nullptr, c.drawable);
        store.reset();
        ShutdownDisplay();
    }
}

TEST_F(DisplayFixture, CaptureRgbScalesEachDeviceFormatToBlueGreenRed) {
    struct Case {
        DevicePixelFormat format;
        BYTE red;  // the red component after the trip through the device format
    };
    for (Case c : {Case{DevicePixelFormat::Rgb332, 224}, Case{DevicePixelFormat::Rgb565, 248},
                   Case{DevicePixelFormat::Rgb888, 255}, Case{DevicePixelFormat::Xrgb8888, 255}}) {
        StartDisplay(c.format);
        auto store = NewStore(4, 2);
        BYTE red[3] = {0, 0, 255};
        BYTE black[3] = {0, 0, 0};
        store->FillRect(0, 0, 4, 2, black);
        store->FillRect(0, 0, 1, 1, red);
        store->FillRect(3, 0, 1, 1, red);
        // 2 x 1 out of 4 x 2: columns 0 and 2 of row 0.
        std::unique_ptr<BYTE[]> image = store->CaptureRgb(2, 1);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(std::vector<BYTE>(image.get(), image.get() + 6),
                  (std::vector<BYTE>{0, 0, c.red, 0, 0, 0}));
        EXPECT_EQ(store->CaptureRgb(0, 5), nullptr);
        EXPECT_EQ(store->CaptureRgb(-1, -1), nullptr);
        EXPECT_EQ(store->CaptureRgb(INT_MAX, INT_MAX), nullptr);
        store.reset();
        ShutdownDisplay();
    }
}

TEST_F(DisplayFixture, ScreenDeviceCapsGiveTheConfiguredDpiAndSize) {
    ConfigureDeviceScreen(DeviceScreenConfig{480, 640, 192, DevicePixelFormat::Rgb565});
    EXPECT_EQ(GetScreenDeviceCaps(LOGPIXELSX), 192);
    EXPECT_EQ(GetScreenDeviceCaps(LOGPIXELSY), 192);
    EXPECT_EQ(GetScreenDeviceCaps(HORZRES), 480);
    EXPECT_EQ(MulDivRound(26, GetScreenDeviceCaps(LOGPIXELSY), 96), 52);
}

// ---- the store's life and failure paths ----

TEST_F(DisplayFixture, StartsAs1x1AndSurvivesASurfaceThatCannotBeMade) {
    StartDisplay(DevicePixelFormat::Xrgb8888);
    auto store = info_->CreateFrameBuffer();
    EXPECT_EQ(store->GetWidth(), 1);
    EXPECT_EQ(store->GetHeight(), 1);
    EXPECT_TRUE(store->HasSurface());

    SetVideoMemoryBudget(1000 * 1000);
    store->SetSize(1024, 768);
    EXPECT_FALSE(store->HasSurface());
    EXPECT_EQ(store->GetWidth(), 1024);
    std::vector<BYTE> pixels(1024 * 768 * 3, 0x40);
    store->PutImage(0, 0, 1024, 768, pixels.data());
    store->FillRect(0, 0, 10, 10, pixels.data());
    store->CopyRect(0, 0, 5, 5, 10, 10);
    store->Present(0, 0, 0, 240, 320, Fraction::Make(1, 4), 0, 0);
    EXPECT_EQ(store->CaptureRgb(128, 96), nullptr);

    store->SetSize(100, 100);
    EXPECT_TRUE(store->HasSurface());
    store->SetSize(0, 10);
    EXPECT_FALSE(store->HasSurface());
    store->SetSize(-5, -5);
    EXPECT_FALSE(store->HasSurface());
    store.reset();
    EXPECT_EQ(VideoMemoryInUse(), 0u);
}

TEST_F(DisplayFixture, WithoutADisplayTheStoreHasNoSurfaceAndDrawsNothing) {
    ShutdownDisplay();  // as after a failed start-up: no DirectDraw, no screen, no codec
    info_ = CreateDisplayInfo(nullptr);
    auto store = NewStore(8, 8);
    EXPECT_FALSE(store->HasSurface());
    BYTE pixel[3] = {1, 2, 3};
    store->PutImage(0, 0, 1, 1, pixel);
    store->FillRect(0, 0, 8, 8, pixel);
    store->CopyRect(1, 1, 0, 0, 4, 4);
    store->Present(0, 0, 0, 240, 320, Fraction::Make(1, 1), 0, 0);
    EXPECT_EQ(store->CaptureRgb(4, 4), nullptr);
    int bpp, r, g, b;
    info_->GetPixelFormat(&bpp, &r, &g, &b);
    EXPECT_EQ(bpp, 0);
}

TEST_F(DisplayFixture, AnUnknownServerFormatKeepsTheCodecButNeverOverreadsThePixels) {
    StartDisplay(DevicePixelFormat::Xrgb8888);
    auto store = NewStore(2, 1);
    BYTE one = 0xFF;
    // The 24-bit codec from construction would read 3 bytes per 1-byte pixel: nothing drawn.
    store->SetPixelFormat(8, 4, 2, 2);
    store->PutImage(0, 0, 1, 1, &one);
    EXPECT_EQ(Pixels(*store), (std::vector<BYTE>(6, 0)));
    // With 3:3:2 chosen first, the 4:2:2 numbers keep that 1-byte codec, which still draws.
    store->SetPixelFormat(8, 3, 3, 2);
    store->SetPixelFormat(8, 4, 2, 2);
    store->PutImage(1, 0, 1, 1, &one);
    EXPECT_EQ(Pixels(*store), (std::vector<BYTE>{0, 0, 0, 255, 255, 255}));
}

// ---- clipping: random rectangles against a model of the framebuffer ----

TEST_F(DisplayFixture, DrawingIsClippedToTheFramebufferWhateverTheRectangle) {
    StartDisplay(DevicePixelFormat::Xrgb8888);
    const int W = 13, H = 9;
    auto store = NewStore(W, H);
    std::vector<BYTE> model(W * H * 3, 0);  // blue, green, red as CaptureRgb gives them
    BYTE zero[3] = {0, 0, 0};
    store->FillRect(0, 0, W, H, zero);
    std::mt19937 random(7);
    auto coordinate = [&](int range) {
        switch (random() % 8) {
            case 0:
                return INT_MIN + static_cast<int>(random() % 4);
            case 1:
                return INT_MAX - static_cast<int>(random() % 4);
            default:
                return static_cast<int>(random() % (3 * range)) - range;
        }
    };
    for (int round = 0; round < 3000; ++round) {
        int op = static_cast<int>(random() % 3);
        int x = coordinate(W), y = coordinate(H);
        // Sizes stay small enough to build an image of them.
        int w = static_cast<int>(random() % (2 * W)) - 2,
            h = static_cast<int>(random() % (2 * H)) - 2;
        if (op == 0) {
            std::vector<BYTE> image(static_cast<std::size_t>(std::max(w, 0)) * std::max(h, 0) * 3);
            for (BYTE& v : image) {
                v = static_cast<BYTE>(random());
            }
            store->PutImage(x, y, w, h, image.data());
            for (int r = 0; r < h; ++r) {
                for (int c = 0; c < w; ++c) {
                    std::int64_t px = std::int64_t{x} + c, py = std::int64_t{y} + r;
                    if (px >= 0 && px < W && py >= 0 && py < H) {
                        std::memcpy(&model[(py * W + px) * 3], &image[(r * w + c) * 3], 3);
                    }
                }
            }
        } else if (op == 1) {
            BYTE pixel[3] = {static_cast<BYTE>(random()), static_cast<BYTE>(random()),
                             static_cast<BYTE>(random())};
            store->FillRect(x, y, w, h, pixel);
            for (std::int64_t py = std::max(y, 0);
                 py < std::min<std::int64_t>(std::int64_t{y} + h, H); ++py) {
                for (std::int64_t px = std::max(x, 0);
                     px < std::min<std::int64_t>(std::int64_t{x} + w, W); ++px) {
                    std::memcpy(&model[(py * W + px) * 3], pixel, 3);
                }
            }
        } else {
            int sx = coordinate(W), sy = coordinate(H);
            store->CopyRect(x, y, sx, sy, w, h);
            std::vector<BYTE> before = model;
            auto inside = [](std::int64_t v, int limit) { return v >= 0 && v < limit; };
            for (int r = 0; r < h; ++r) {
                for (int c = 0; c < w; ++c) {
                    std::int64_t dx = std::int64_t{x} + c, dy = std::int64_t{y} + r;
                    std::int64_t fx = std::int64_t{sx} + c, fy = std::int64_t{sy} + r;
                    if (inside(dx, W) && inside(dy, H) && inside(fx, W) && inside(fy, H)) {
                        std::memcpy(&model[(dy * W + dx) * 3], &before[(fy * W + fx) * 3], 3);
                    }
                }
            }
        }
        ASSERT_EQ(Pixels(*store), model) << "round " << round << " op " << op << " at " << x << ","
                                         << y << " size " << w << "x" << h;
    }
}

// Painting straight into the framebuffer: offered where the server's pixels are the device's own
// and the rectangle lies inside; what is painted there is what PutImage would have drawn; other
// threads wait until it ends, and a refusal leaves nothing locked.
TEST_F(DisplayFixture, DirectPaintingIsOfferedWherePixelsNeedNoConverting) {
    StartDisplay(DevicePixelFormat::Rgb565);
    auto store = NewStore(20, 10);
    auto reference = NewStore(20, 10);
    store->SetPixelFormat(16, 5, 6, 5);
    reference->SetPixelFormat(16, 5, 6, 5);
    std::vector<std::uint16_t> image(5 * 4);
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint16_t>(0x1234 * (i + 1));
    }
    reference->PutImage(2, 3, 5, 4, reinterpret_cast<const BYTE*>(image.data()));
    BYTE* at = nullptr;
    int stride = 0;
    std::uint32_t setBits = 1;
    ASSERT_TRUE(store->BeginDirect(2, 3, 5, 4, 2, &at, &stride, &setBits));
    EXPECT_GE(stride, 20 * 2);
    EXPECT_EQ(setBits, 0u);
    std::atomic<bool> drawn{false};
    std::thread other([&] {
        BYTE black[2] = {0, 0};
        store->FillRect(0, 0, 1, 1, black);
        drawn = true;
    });
    for (int r = 0; r < 4; ++r) {
        std::memcpy(at + r * stride, &image[r * 5], 5 * 2);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_FALSE(drawn) << "another thread drew while the framebuffer was painted";
    store->EndDirect();
    other.join();
    EXPECT_EQ(Pixels(*store), Pixels(*reference));

    // Refused: partly outside, empty, converted pixels, the reference path.
    for (auto [x, y, w, h] : {std::array{16, 0, 5, 1}, std::array{-1, 0, 2, 2},
                              std::array{0, 8, 1, 3}, std::array{0, 0, 0, 4}}) {
        EXPECT_FALSE(store->BeginDirect(x, y, w, h, 2, &at, &stride, &setBits)) << x << "," << y;
    }
    EXPECT_FALSE(store->BeginDirect(0, 0, 1, 1, 4, &at, &stride, &setBits));  // not its size
    store->SetPixelFormat(32, 8, 8, 8);
    EXPECT_FALSE(store->BeginDirect(0, 0, 1, 1, 4, &at, &stride, &setBits));  // converted
    store->SetPixelFormat(16, 5, 6, 5);
    store->UsePerPixelPath(true);
    EXPECT_FALSE(store->BeginDirect(0, 0, 1, 1, 2, &at, &stride, &setBits));
    store->UsePerPixelPath(false);
    // Nothing stayed locked: another thread gets through at once.
    std::thread after([&] { EXPECT_EQ(store->GetWidth(), 20); });
    after.join();

    // A 32-bit device keeps its unused byte at 0xFF, which the server's pixels do not carry: the
    // painter is told to set it.
    store.reset();
    reference.reset();
    info_.reset();
    ShutdownDisplay();
    StartDisplay(DevicePixelFormat::Xrgb8888);
    auto wide = NewStore(4, 4);
    auto wideReference = NewStore(4, 4);
    wide->SetPixelFormat(32, 8, 8, 8);
    wideReference->SetPixelFormat(32, 8, 8, 8);
    std::uint32_t pixels[2] = {0x123456, 0xABCDEF};
    wideReference->PutImage(1, 2, 2, 1, reinterpret_cast<const BYTE*>(pixels));
    ASSERT_TRUE(wide->BeginDirect(1, 2, 2, 1, 4, &at, &stride, &setBits));
    EXPECT_EQ(setBits, 0xFF000000u);
    for (std::uint32_t& pixel : pixels) {
        pixel |= setBits;
    }
    std::memcpy(at, pixels, sizeof pixels);
    wide->EndDirect();
    EXPECT_EQ(Pixels(*wide), Pixels(*wideReference));
}

// ---- presenting ----

std::uint32_t ScreenPixel(int x, int y) {
    return ScreenPixelValue(x, y);
}

TEST_F(DisplayFixture, PresentNarrowsTheDestinationToTheWholeFramebufferWhenZoomedOut) {
    StartDisplay(DevicePixelFormat::Rgb565);
    auto store = NewStore(400, 300);
    BYTE white[3] = {255, 255, 255};
    store->FillRect(0, 0, 400, 300, white);
    TakeScreenChanged();
    // 240 x 320 at one half asks for 480 x 640 source pixels: the whole 400 x 300 is used
    // and the destination shrinks to 200 x 150.
    store->Present(0, 0, 0, 240, 320, Fraction::Make(1, 2), 0, 0);
    EXPECT_TRUE(TakeScreenChanged());
    EXPECT_EQ(ScreenPixel(0, 0), 0xFFFF);
    EXPECT_EQ(ScreenPixel(199, 149), 0xFFFF);
    EXPECT_EQ(ScreenPixel(200, 0), 0);
    EXPECT_EQ(ScreenPixel(0, 150), 0);
}

TEST_F(DisplayFixture, PresentAtTwiceTheSizeShowsHalfAsManySourceColumns) {
    StartDisplay(DevicePixelFormat::Rgb565);
    auto store = NewStore(200, 4);
    std::vector<BYTE> columns(200 * 4 * 3);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 200; ++x) {
            columns[(y * 200 + x) * 3 + 2] = static_cast<BYTE>(x);  // red = column
        }
    }
    store->PutImage(0, 0, 200, 4, columns.data());
    // A 100-pixel-wide destination at zoom 2 shows source columns 0 to 49.
    store->Present(0, 10, 10, 100, 8, Fraction::Make(2, 1), 0, 0);
    for (int k = 0; k < 50; ++k) {
        EXPECT_EQ(ScreenPixel(10 + 2 * k, 10) >> 11, k >> 3);
        EXPECT_EQ(ScreenPixel(11 + 2 * k, 17) >> 11, k >> 3);
    }
    EXPECT_EQ(ScreenPixel(110, 10), 0);
    // Scrolled by 20 zoomed pixels: the first column shown is 10.
    store->Present(0, 10, 10, 100, 8, Fraction::Make(2, 1), 20, 0);
    EXPECT_EQ(ScreenPixel(10, 10) >> 11, 10 >> 3);
    EXPECT_EQ(ScreenPixel(109, 10) >> 11, 59 >> 3);
    // Scrolled past the framebuffer, a zero zoom or extreme rectangles: nothing breaks.
    store->Present(0, 0, 0, 240, 320, Fraction::Make(1, 1), 100000, 100000);
    store->Present(0, 0, 0, 240, 320, Fraction::Make(0, 1), 0, 0);
    store->Present(0, INT_MAX, INT_MAX, INT_MAX, INT_MAX, Fraction::Make(1, 1), 0, 0);
    store->Present(0, INT_MIN, INT_MIN, 10, 10, Fraction::Make(-3, 1), -1, -1);
}

}  // namespace
