// The two clients of the race, each reading one replayed session to its end.
#pragma once

#include "recorded_session.h"

#include <cstddef>

// CPU time the calling thread has used so far, in seconds.
double ThreadCpuSeconds();

// Our session: socket transport, handshake, message thread, decoders, framebuffer store on a
// device screen of deviceBits (16: 5:6:5, 32: 8:8:8), asking for pixels of bitsPerPixel (the
// same), big-endian. cpuSeconds: what its connect and message threads used.
bool RunTavrelClient(int port, int updates, int bitsPerPixel, int deviceBits, double& cpuSeconds);
// Our session's message loop, decoders and framebuffer store alone: the recording is read from
// memory, with no socket and no threads; inPlace: decoders read where the transport holds the
// bytes (as from the socket transport), otherwise with copies.
bool DecodeInMemory(const RecordedSession& recording, int deviceBits, bool inPlace);
// libvncclient with the same pixel format and encoding.
bool RunLibvncClient(int port, int updates, int bitsPerPixel, RaceEncoding encoding);
// The floor: a client that reads the bytes to the end and does nothing with them.
bool RunDrainClient(int port, std::size_t bytes);
