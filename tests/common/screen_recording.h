// What a server sends in a short RFB 3.3 session, kept for replay by a test server: the opening
// without authentication, ServerInit for a desktop named "pattern", then one update that covers the
// screen with the pattern in a single rectangle. Pixels are 16-bit 5:6:5 big-endian, the format
// that tavrel-snapshot and the viewer ask for by default.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct ScreenRecording {
    std::vector<std::uint8_t> bytes;
    std::size_t openingEnd = 0;    // version, security type, ServerInit and the name end here
    std::size_t payloadStart = 0;  // the rectangle's pixel data, after the update's headers
    int width = 0;
    int height = 0;
};

// encoding 0 (Raw) or 5 (Hextile: tiles of one colour, of one foreground colour, of coloured
// subrectangles and raw tiles all occur in the pattern).
ScreenRecording RecordPatternScreen(int width, int height, int encoding);

// The pattern's pixel at (x, y) in 5:6:5.
std::uint16_t PatternPixel565(int x, int y);
