// A recorded server stream for the race: a 1024 x 768 desktop at 16 bits (5:6:5, big-endian)
// going through text being typed, windows being moved, gradients and a full repaint, encoded the
// way a server would send it in one encoding.
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
};

RecordedSession RecordSession(RaceEncoding encoding);
std::string RaceEncodingName(RaceEncoding encoding);
