#include "display_fixture.h"

#include <platform/core.h>

#include <atomic>
#include <thread>

namespace {

// The session's message thread draws (and once resizes) while the user-interface thread
// presents, captures thumbnails and asks for the size, all on one store.
TEST_F(DisplayFixture, DrawingPresentingAndCapturingFromSeveralThreads) {
    StartDisplay(DevicePixelFormat::Rgb565);
    auto store = NewStore(320, 240);
    store->SetPixelFormat(32, 8, 8, 8);
    std::atomic<bool> drawing{true};
    std::atomic<bool> presenting{false};
    std::thread session([&] {
        while (!presenting) {
            std::this_thread::yield();
        }
        std::vector<BYTE> image(64 * 48 * 4);
        for (int i = 0; i < 400; ++i) {
            for (std::size_t b = 0; b < image.size(); ++b) {
                image[b] = static_cast<BYTE>(i + b);
            }
            store->PutImage(i % 300, i % 200, 64, 48, image.data());
            store->FillRect(i % 50, i % 40, 30, 20, image.data());
            store->CopyRect(0, 0, i % 20, i % 10, 100, 100);
            if (i == 200) {
                store->SetSize(400, 300);
            }
        }
        drawing = false;
    });
    int presents = 0;
    while (drawing || presents < 10) {
        store->Present(0, 0, 26, 240, 268, Fraction::Make(3, 4), presents % 7, presents % 5);
        presenting = true;
        std::unique_ptr<BYTE[]> thumbnail = store->CaptureRgb(128, 96);
        EXPECT_NE(thumbnail, nullptr);
        EXPECT_GE(store->GetWidth(), 320);
        EXPECT_TRUE(store->HasSurface());
        ++presents;
    }
    session.join();
    EXPECT_EQ(store->GetWidth(), 400);
}

}  // namespace
