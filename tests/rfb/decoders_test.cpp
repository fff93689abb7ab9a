// The rectangle decoders through the message loop: the pixels that land, and the calls where the
// protocol fixes them. Whether a decoder hands on a batch of tiles or subrectangles as one image
// or as fills is its own affair, so long as the pixels are those of the plain way (see
// painted_decoding_test.cpp).
#include "memory_transport.h"
#include "recording_listener.h"
#include "rfb_test_bytes.h"

#include <rfb/rfb_session.h>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using Strings = std::vector<std::string>;

// Notes the session's size when it announces a new one.
class ResizeWatcher : public RecordingListener {
  public:
    void OnDesktopResize(int width, int height) override {
        sessionSizeWhenTold =
            std::to_string(session->Width()) + "x" + std::to_string(session->Height());
        RecordingListener::OnDesktopResize(width, height);
    }
    RfbSession* session = nullptr;
    std::string sessionSizeWhenTold;
};

// One update holding one rectangle, decoded by a session at bitsPerPixel (big-endian pixels).
class Decoders : public ::testing::Test {
  protected:
    Strings Decode(const Bytes& rect, int bitsPerPixel = 16, int width = 40, int height = 40) {
        Bytes server;
        PutUpdate(server, 1);
        server.insert(server.end(), rect.begin(), rect.end());
        session_.reset();
        transport_ = std::make_unique<MemoryTransport>(server);
        listener_ = std::make_unique<ResizeWatcher>();
        session_ = std::make_unique<RfbSession>(listener_.get(), transport_.get());
        listener_->session = session_.get();
        if (bitsPerPixel == 8) {
            session_->SetPixelFormatFromBits(8, 3, 3, 2);
        } else if (bitsPerPixel == 16) {
            session_->SetPixelFormatFromBits(16, 5, 6, 5);
        } else {
            session_->SetPixelFormatFromBits(32, 8, 8, 8);
        }
        listener_->framebuffer.Resize(width, height);
        listener_->framebuffer.SetBytesPerPixel(bitsPerPixel / 8);
        session_->ReadServerMessage();
        return listener_->Calls();
    }
    std::size_t Remaining() const { return transport_->Remaining(); }
    std::uint32_t Pixel(int x, int y) const { return listener_->framebuffer.At(x, y); }

    std::unique_ptr<MemoryTransport> transport_;
    std::unique_ptr<ResizeWatcher> listener_;
    std::unique_ptr<RfbSession> session_;
};

TEST_F(Decoders, RawSwapsEveryPixelOfAnOddCount) {
    Bytes rect;
    PutRect(rect, 2, 3, 3, 1, 0);
    Put(rect, {0x12, 0x34, 0xAB, 0xCD, 0xF8, 0x01});
    EXPECT_EQ(Decode(rect), (Strings{"Image 2,3 3x1", "UpdateComplete"}));
    EXPECT_EQ(Pixel(2, 3), 0x1234u);
    EXPECT_EQ(Pixel(3, 3), 0xABCDu);
    EXPECT_EQ(Pixel(4, 3), 0xF801u);

    Bytes wide;
    PutRect(wide, 0, 0, 1, 1, 0);
    Put(wide, {0x11, 0x22, 0x33, 0x44});
    Decode(wide, 32);
    EXPECT_EQ(Pixel(0, 0), 0x11223344u);
}

TEST_F(Decoders, RawOfZeroWidthReadsNothingAndStillDraws) {
    Bytes rect;
    PutRect(rect, 5, 5, 0, 7, 0);
    PutUpdate(rect, 0);
    EXPECT_EQ(Decode(rect), (Strings{"Image 5,5 0x7", "UpdateComplete"}));
    EXPECT_EQ(Remaining(), 4u);
}

TEST_F(Decoders, LargeRawLandsWithEveryPixelInPlace) {
    const int w = 600, h = 300;  // 360000 bytes at 16 bits
    Bytes rect;
    PutRect(rect, 0, 0, w, h, 0);
    for (int i = 0; i < w * h; ++i) {
        Put16(rect, static_cast<unsigned>(i * 7));
    }
    Strings calls = Decode(rect, 16, w, h);
    EXPECT_EQ(calls.back(), "UpdateComplete");
    EXPECT_EQ(Remaining(), 0u);
    for (int i : {0, w - 1, w * 218 + 5, w * h - 1}) {
        EXPECT_EQ(Pixel(i % w, i / w), static_cast<std::uint32_t>(i * 7) & 0xFFFF) << i;
    }
}

// Raw read where the transport holds the bytes (blocks ending anywhere: inside a pixel's unit,
// inside a row, across rectangles) must draw exactly what the banded reads draw, in every server
// pixel format and byte order, and leave the stream at the same place.
TEST(RawInPlace, DrawsWhatBandsDrawInEveryFormatWhereverBlocksEnd) {
    const int W = 300, H = 160;
    struct Format {
        int bpp, red, green, blue;
        bool bigEndian;
    };
    for (Format f :
         {Format{8, 3, 3, 2, false}, Format{16, 5, 6, 5, true}, Format{16, 5, 6, 5, false},
          Format{24, 8, 8, 8, false}, Format{32, 8, 8, 8, true}, Format{32, 8, 8, 8, false}}) {
        PixelFormat format = PixelFormat::FromBits(f.bpp, f.red, f.green, f.blue);
        format.bigEndian = f.bigEndian ? 1 : 0;
        int bytes = f.bpp / 8;
        Bytes server;
        PutUpdate(server, 4);
        std::uint32_t noise = 1;
        auto putPixels = [&](int count) {
            for (int i = 0; i < count * bytes; ++i) {
                noise = noise * 1103515245u + 12345u;
                server.push_back(static_cast<std::uint8_t>(noise >> 16));
            }
        };
        PutRect(server, 0, 0, W, H - 10, 0);  // many blocks of 32 KiB
        putPixels(W * (H - 10));
        PutRect(server, 5, 150, 7, 3, 0);
        putPixels(21);
        PutRect(server, 290, 155, 20, 9, 0);  // partly outside the framebuffer
        putPixels(180);
        PutRect(server, 3, 3, 0, 4, 0);
        PutUpdate(server, 0);  // what follows the update stays unread

        auto decode = [&](int blockBytes, TestFrameBuffer* framebuffer) {
            MemoryTransport transport(server);
            transport.ReceiveInPlaceInBlocksOf(blockBytes);
            RecordingListener listener;
            listener.framebuffer.Resize(W, H);
            listener.framebuffer.SetBytesPerPixel(bytes);
            RfbSession session(&listener, &transport);
            session.SendSetPixelFormat(format);
            EXPECT_TRUE(session.ReadServerMessage());
            EXPECT_EQ(listener.Calls().back(), "UpdateComplete");
            EXPECT_EQ(transport.Remaining(), 4u);
            *framebuffer = listener.framebuffer;
        };
        TestFrameBuffer banded, inPlace;
        decode(0, &banded);
        for (int blockBytes : {1, 5, 4093, 32 * 1024}) {
            decode(blockBytes, &inPlace);
            ASSERT_TRUE(inPlace.Pixels() == banded.Pixels())
                << f.bpp << " bits, big-endian " << f.bigEndian << ", blocks of " << blockBytes;
        }
    }
}

// A stream that ends inside a Raw rectangle read in place: what arrived is drawn, the update is
// abandoned.
TEST(RawInPlace, StreamCutShortDrawsWhatArrivedAndFails) {
    Bytes server;
    PutUpdate(server, 1);
    PutRect(server, 0, 0, 4, 2, 0);
    Put(server, {0x12, 0x34, 0x56, 0x78, 0x9A});  // two pixels and half of a third
    MemoryTransport transport(server);
    transport.ReceiveInPlaceInBlocksOf(64);
    RecordingListener listener;
    listener.framebuffer.Resize(4, 2);
    listener.framebuffer.SetBytesPerPixel(2);
    RfbSession session(&listener, &transport);
    session.SetPixelFormatFromBits(16, 5, 6, 5);
    EXPECT_FALSE(session.ReadServerMessage());
    EXPECT_EQ(listener.Calls(), (Strings{"Image 0,0 2x1"}));
    EXPECT_EQ(listener.framebuffer.At(1, 0), 0x5678u);
    EXPECT_EQ(listener.framebuffer.At(2, 0), 0u);
}

TEST_F(Decoders, CopyRectReadsFourBytes) {
    Bytes rect;
    PutRect(rect, 10, 0, 4, 4, 1);
    Put(rect, {0, 8, 0, 1});
    EXPECT_EQ(Decode(rect), (Strings{"Copy 10,0 4x4 from 8,1", "UpdateComplete"}));
    EXPECT_EQ(Remaining(), 0u);
}

TEST_F(Decoders, RreFillsBackgroundThenSubrectangles) {
    Bytes none;
    PutRect(none, 1, 1, 5, 5, 2);
    Put32(none, 0);
    Put(none, {0x00, 0x1F});
    EXPECT_EQ(Decode(none), (Strings{"Fill 1,1 5x5 31", "UpdateComplete"}));

    Bytes two;
    PutRect(two, 10, 20, 8, 8, 2);
    Put32(two, 2);
    Put(two, {0x00, 0x01});
    Put(two, {0xF8, 0x00, 0, 1, 0, 2, 0, 3, 0, 4});
    Put(two, {0x07, 0xE0, 0, 0, 0, 0, 0, 1, 0, 1});
    EXPECT_EQ(Decode(two).back(), "UpdateComplete");
    EXPECT_EQ(Remaining(), 0u);
    EXPECT_EQ(Pixel(10, 20), 2016u);
    EXPECT_EQ(Pixel(11, 20), 1u);
    EXPECT_EQ(Pixel(11, 22), 63488u);
    EXPECT_EQ(Pixel(13, 25), 63488u);
    EXPECT_EQ(Pixel(14, 25), 1u);
    EXPECT_EQ(Pixel(17, 27), 1u);

    Bytes large;
    PutRect(large, 0, 0, 40, 40, 2);
    Put32(large, 1);
    Put(large, {0x00, 0x01});
    Put(large, {0xF8, 0x00, 0, 1, 0, 2, 0, 3, 0, 4});
    EXPECT_EQ(Decode(large).back(), "UpdateComplete");
    EXPECT_EQ(Pixel(1, 2), 63488u);
    EXPECT_EQ(Pixel(3, 5), 63488u);
    for (auto [x, y] : {std::pair{0, 0}, {4, 2}, {1, 6}, {0, 3}, {39, 39}}) {
        EXPECT_EQ(Pixel(x, y), 1u) << x << "," << y;
    }

    Bytes negative;  // a count below 1 means no subrectangles
    PutRect(negative, 0, 0, 2, 2, 2);
    Put32(negative, 0x80000000);
    Put(negative, {0, 9});
    EXPECT_EQ(Decode(negative), (Strings{"Fill 0,0 2x2 9", "UpdateComplete"}));
}

TEST_F(Decoders, CoRreUsesByteGeometry) {
    Bytes rect;
    PutRect(rect, 100, 200, 255, 255, 4);
    Put32(rect, 1);
    Put(rect, {0x12});
    Put(rect, {0x34, 250, 1, 5, 254});
    EXPECT_EQ(Decode(rect, 8, 400, 460).back(), "UpdateComplete");
    EXPECT_EQ(Remaining(), 0u);
    // The subrectangle: x 350 to 354, y 201 to 454; the background around it.
    EXPECT_EQ(Pixel(350, 201), 52u);
    EXPECT_EQ(Pixel(354, 454), 52u);
    EXPECT_EQ(Pixel(349, 201), 18u);
    EXPECT_EQ(Pixel(350, 200), 18u);
    EXPECT_EQ(Pixel(100, 454), 18u);
    EXPECT_EQ(Pixel(355, 300), 0u);  // beyond the rectangle
}

TEST_F(Decoders, HextileCutsEdgeTilesInOrder) {
    Bytes rect;
    PutRect(rect, 0, 0, 17, 17, 5);
    Put(rect, {2, 0x00, 0x05});  // background 5
    Put(rect, {0});              // carried background
    Put(rect, {1});              // raw 16 x 1
    for (int i = 0; i < 16; ++i) {
        Put(rect, {0, i});
    }
    Put(rect, {2 | 4 | 8, 0, 1, 0, 2, 1, 0xF0, 0x00});  // 1 x 1 tile, one subrect outside it
    EXPECT_EQ(Decode(rect).back(), "UpdateComplete");
    EXPECT_EQ(Remaining(), 0u);
    // Row by row: 16 x 16 and 1 x 16 (its background carried), then 16 x 1 (raw) and 1 x 1.
    // Taken column by column, the raw pixels would land in the 1 x 16 tile instead.
    EXPECT_EQ(Pixel(0, 0), 5u);
    EXPECT_EQ(Pixel(15, 15), 5u);
    EXPECT_EQ(Pixel(16, 0), 5u);
    EXPECT_EQ(Pixel(16, 15), 5u);
    EXPECT_EQ(Pixel(0, 16), 0u);
    EXPECT_EQ(Pixel(7, 16), 7u);
    EXPECT_EQ(Pixel(15, 16), 15u);
    EXPECT_EQ(Pixel(16, 16), 1u);
    EXPECT_EQ(Pixel(31, 16), 2u);  // the subrectangle at x 15 of the last tile
}

TEST_F(Decoders, HextileSubrectanglesColouredAndForeground) {
    Bytes rect;
    PutRect(rect, 16, 16, 16, 16, 5);
    Put(rect, {2 | 4 | 8, 0, 1, 0, 2, 1, 0x21, 0x12});              // fg 2 at (2,1) 2x3
    Put(rect, {8 | 16, 2, 0, 9, 0xFF, 0xFF, 0, 0xAA, 0xBB, 0x00});  // background carried
    // The second tile is outside 16 wide, so the rectangle is 32 wide.
    rect[5] = 32;
    EXPECT_EQ(Decode(rect, 16, 64, 48).back(), "UpdateComplete");
    EXPECT_EQ(Remaining(), 0u);
    // In the second tile the first subrectangle reaches out of the tile (and the rectangle).
    EXPECT_EQ(Pixel(47, 31), 9u);
    EXPECT_EQ(Pixel(62, 46), 9u);
    EXPECT_EQ(Pixel(43, 27), 170u);
    EXPECT_EQ(Pixel(42, 27), 1u);
    EXPECT_EQ(Pixel(47, 30), 1u);
    EXPECT_EQ(Pixel(32, 16), 1u);
    EXPECT_EQ(Pixel(39, 31), 1u);
    EXPECT_EQ(Pixel(16, 16), 1u);
    EXPECT_EQ(Pixel(17, 17), 1u);
    EXPECT_EQ(Pixel(18, 17), 2u);
    EXPECT_EQ(Pixel(19, 19), 2u);
    EXPECT_EQ(Pixel(20, 19), 1u);
    EXPECT_EQ(Pixel(18, 20), 1u);
}

TEST_F(Decoders, CursorReadsPixelsThenMaskWithoutSwapping) {
    Bytes rect;
    PutRect(rect, 2, 1, 5, 3, -239);
    for (int i = 0; i < 30; ++i) {
        Put(rect, {i});
    }
    Put(rect, {0xF8, 0x70, 0x20});
    EXPECT_EQ(Decode(rect), (Strings{"Cursor 2,1 5x3", "UpdateComplete"}));
    EXPECT_EQ(listener_->cursorPixels[1], 1);
    EXPECT_EQ(listener_->cursorMask, (std::vector<BYTE>{0xF8, 0x70, 0x20}));
    EXPECT_EQ(Remaining(), 0u);
}

TEST_F(Decoders, DesktopSizeChangesTheSessionFirst) {
    Bytes rect;
    PutRect(rect, 0, 0, 800, 600, -223);
    EXPECT_EQ(Decode(rect), (Strings{"DesktopResize 800x600", "UpdateComplete"}));
    EXPECT_EQ(listener_->sessionSizeWhenTold, "800x600") << "the listener asks the session";
    EXPECT_EQ(session_->Width(), 800);
    EXPECT_EQ(session_->Height(), 600);
}

TEST_F(Decoders, ShortPayloadKeepsWhatWasDrawnAndAbandonsTheUpdate) {
    Bytes rect;
    PutRect(rect, 0, 0, 32, 16, 5);
    Put(rect, {2, 0, 3});
    Put(rect, {1, 0});  // raw tile cut short
    Strings calls = Decode(rect);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "UpdateComplete"), 0);
    EXPECT_EQ(Pixel(15, 15), 3u);
    EXPECT_EQ(Pixel(16, 0), 0u);
}

}  // namespace
