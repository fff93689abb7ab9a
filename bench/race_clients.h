// The two clients of the race, each reading one replayed session to its end.
#pragma once

#include "recorded_session.h"

#include <cstddef>

// Our session: socket transport, handshake, message thread, decoders, framebuffer store on a
// 16-bit device screen.
bool RunTavrelClient(int port, int updates);
// libvncclient with the same pixel format (16 bits 5:6:5, big-endian) and encoding.
bool RunLibvncClient(int port, int updates, RaceEncoding encoding);
// The floor: a client that reads the bytes to the end and does nothing with them.
bool RunDrainClient(int port, std::size_t bytes);
