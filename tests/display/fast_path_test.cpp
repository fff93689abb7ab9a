#include "display_fixture.h"

#include <algorithm>
#include <random>

namespace {

struct ServerFormat {
    int bpp, r, g, b;
};

// Every server format x every device format: a store converting a row at a time, one going
// pixel by pixel through the codecs' virtual calls, and two taking the images as a big-endian
// server sends them (their byte swap fused with the conversion, and pixel by pixel) receive the
// same random images and fills at random places (partly outside too) and must hold the same bits.
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
            auto sent = NewStore(W, H);
            auto sentReference = NewStore(W, H);
            reference->UsePerPixelPath(true);
            sentReference->UsePerPixelPath(true);
            for (auto* store : {bulk.get(), reference.get(), sent.get(), sentReference.get()}) {
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
                    for (auto* store :
                         {bulk.get(), reference.get(), sent.get(), sentReference.get()}) {
                        store->FillRect(x, y, w, h, pixels.data());
                    }
                    continue;
                }
                bulk->PutImage(x, y, w, h, pixels.data());
                reference->PutImage(x, y, w, h, pixels.data());
                // The same pixels most significant byte first (one- and three-byte pixels have
                // no order to reverse).
                std::vector<BYTE> bigEndian = pixels;
                for (std::size_t at = 0; (bytes == 2 || bytes == 4) && at < bigEndian.size();
                     at += static_cast<std::size_t>(bytes)) {
                    std::reverse(bigEndian.begin() + at, bigEndian.begin() + at + bytes);
                }
                sent->PutImageAsSent(x, y, w, h, bigEndian.data(), true);
                sentReference->PutImageAsSent(x, y, w, h, bigEndian.data(), true);
            }
            std::vector<BYTE> expected = Pixels(*reference);
            ASSERT_FALSE(expected.empty());
            for (auto* store : {bulk.get(), sent.get(), sentReference.get()}) {
                ASSERT_EQ(Pixels(*store), expected)
                    << "server " << server.bpp << " bits " << server.r << server.g << server.b
                    << ", device format " << static_cast<int>(device) << ", store "
                    << (store == bulk.get()   ? "bulk"
                        : store == sent.get() ? "as sent"
                                              : "as sent, per pixel");
            }
        }
        ShutdownDisplay();
    }
}

}  // namespace
