// Server streams for the race: a recorded 1024 x 768 desktop at 16 bits (5:6:5, big-endian)
// going through text being typed, windows being moved, gradients and a full repaint, encoded the
// way a server would send it in one encoding; and a synthetic test picture.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class RaceEncoding { Raw, Rre, CoRre, Hextile, CopyRectRaw };

struct RecordedSession {
    std::vector<std::uint8_t> stream;  // server messages after ServerInit
    int updates = 0;
    int width = 1024;
    int height = 768;
    int bitsPerPixel = 16;  // 5:6:5, or 32: 8:8:8 (red in bits 16-23); big-endian
};

RecordedSession RecordSession(RaceEncoding encoding);
// A synthetic 1024 x 768 test picture (colour bars, checkerboard, gradient, flat colour, noise)
// at 16 or 32 bits, encoded whole, in one update that holds its rectangles passes times over.
RecordedSession PatternSession(RaceEncoding encoding, int bitsPerPixel, int passes);
std::string RaceEncodingName(RaceEncoding encoding);
