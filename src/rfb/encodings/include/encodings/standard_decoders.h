// The seven decoders of the system, and their registration at start-up.
#pragma once

#include <rfb/rect_decoder.h>

class RawDecoder : public RectDecoder {
  public:
    RawDecoder() : RectDecoder(0, 0) {}
    bool Decode(RfbSession&, SessionListener&, Transport&, int x, int y, int width,
                int height) override;
};

class CopyRectDecoder : public RectDecoder {
  public:
    CopyRectDecoder() : RectDecoder(50, 1) {}
    bool Decode(RfbSession&, SessionListener&, Transport&, int x, int y, int width,
                int height) override;
};

class RreDecoder : public RectDecoder {
  public:
    RreDecoder() : RectDecoder(60, 2) {}
    bool Decode(RfbSession&, SessionListener&, Transport&, int x, int y, int width,
                int height) override;
};

class CoRreDecoder : public RectDecoder {
  public:
    CoRreDecoder() : RectDecoder(60, 4) {}
    bool Decode(RfbSession&, SessionListener&, Transport&, int x, int y, int width,
                int height) override;
};

class HextileDecoder : public RectDecoder {
  public:
    HextileDecoder() : RectDecoder(70, 5) {}
    bool Decode(RfbSession&, SessionListener&, Transport&, int x, int y, int width,
                int height) override;
};

class CursorDecoder : public RectDecoder {
  public:
    CursorDecoder() : RectDecoder(100, -239) {}
    bool Decode(RfbSession&, SessionListener&, Transport&, int x, int y, int width,
                int height) override;
};

class DesktopSizeDecoder : public RectDecoder {
  public:
    DesktopSizeDecoder() : RectDecoder(100, -223) {}
    bool Decode(RfbSession&, SessionListener&, Transport&, int x, int y, int width,
                int height) override;
};

// The encoding numbers of the seven in the system's order of registration: Raw, CopyRect, RRE,
// CoRRE, Hextile, cursor shape, desktop size.
extern const int kStandardEncodings[7];
// A new decoder for one of them; null for any other number.
RectDecoder* CreateStandardDecoder(int encoding);
// Registers the seven in the system's order.
void RegisterStandardDecoders();
