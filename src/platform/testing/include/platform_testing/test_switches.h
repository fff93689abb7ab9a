// Switches that only tests turn: a device without network, a copy of the debug output, and the
// width of the vectors that copy rows of pixels.
#pragma once

#include <functional>
#include <string>

// While on, the three Connection Manager calls fail (as when the device has no network).
void SetConnectionManagerFailure(bool fail);
// Every string the program writes with OutputDebugStringW is passed to the sink as well
// (nullptr: none).
void SetDebugOutputSink(std::function<void(const std::u16string&)> sink);
// Unscaled blits copy rows with vectors of this many bytes: 64 where the processor has them,
// else 16; a width the processor lacks is ignored. Returns the width now in use.
int SetRowCopyVectorBytes(int bytes);
