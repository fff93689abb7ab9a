// The process-wide list of decoders, kept in the order they are advertised: highest priority
// first, equal priorities in the order they were registered. Filled at start-up before any session
// runs and emptied at exit.
#pragma once

#include <rfb/rect_decoder.h>

#include <vector>

// Takes ownership.
void RegisterDecoder(RectDecoder* decoder);
RectDecoder* FindDecoder(int encoding);
// The encoding numbers in advertised order.
std::vector<int> RegisteredEncodings();
// Deletes the decoders, last first.
void ClearDecoders();
