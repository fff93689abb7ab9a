#include "display_fixture.h"

#include <random>

namespace {

struct ServerFormat {
    int bpp, r, g, b;
};

// Every server format x every device format: a store converting a row at a time and one going
// pixel by pixel through the codecs' virtual calls receive the same random images and fills
// at random places (partly outside too) and must hold the same bits.
TEST_F(DisplayFixture, BulkConversionEqualsThePerPixelPathForEveryFormatPair) {
    for (DevicePixelFormat device : {DevicePixelFormat::Rgb332, DevicePixelFormat::Rgb565,
                                     DevicePixelFormat::Rgb888, DevicePixelFormat::Xrgb8888}) {
        StartDisplay(device);
        for (ServerFormat server :
             {ServerFormat{8, 3, 3, 2}, ServerFormat{8, 2, 2, 2}, ServerFormat{16, 5, 6, 5},
              ServerFormat{24, 8, 8, 8}, ServerFormat{32, 8, 8, 8}}) {
            const int W = 61, H = 37;
            auto bulk = NewStore(W, H);
            auto reference = NewStore(W, H);
            reference->UsePerPixelPath(true);
            for (auto* store : {bulk.get(), reference.get()}) {
                store->SetPixelFormat(server.bpp, server.r, server.g, server.b);
            }
            std::mt19937 random(static_cast<unsigned>(server.bpp * 10 + server.r) +
                                static_cast<unsigned>(device) * 1000);
            int bytes = server.bpp / 8;
            for (int round = 0; round < 60; ++round) {
                int x = static_cast<int>(random() % (W + 20)) - 10;
                int y = static_cast<int>(random() % (H + 20)) - 10;
                int w = static_cast<int>(random() % W) + 1;
                int h = static_cast<int>(random() % H) + 1;
                std::vector<BYTE> pixels(static_cast<std::size_t>(w) * h * bytes);
                for (BYTE& v : pixels) {
                    v = static_cast<BYTE>(random());
                }
                if (round % 4 == 3) {
                    bulk->FillRect(x, y, w, h, pixels.data());
                    reference->FillRect(x, y, w, h, pixels.data());
                } else {
                    bulk->PutImage(x, y, w, h, pixels.data());
                    reference->PutImage(x, y, w, h, pixels.data());
                }
            }
            std::vector<BYTE> expected = Pixels(*reference);
            ASSERT_FALSE(expected.empty());
            ASSERT_EQ(Pixels(*bulk), expected)
                << "server " << server.bpp << " bits " << server.r << server.g << server.b
                << ", device format " << static_cast<int>(device);
        }
        ShutdownDisplay();
    }
}

}  // namespace
