// The pattern server's message log: one line for every message a client sends, written and
// flushed at once, so that a test can follow what the server received while it runs.
//
//   connect / disconnect                       a client's connection is accepted / has gone
//   version 003.003                            ProtocolVersion (the text between "RFB " and "\n")
//   security N                                 the security type chosen (3.7 and later)
//   auth                                       the 16-byte password response
//   init shared|exclusive                      ClientInit
//   format BPP DEPTH BIGENDIAN TRUECOLOUR RMAX GMAX BMAX RSHIFT GSHIFT BSHIFT
//   encodings N1 N2 ...                        SetEncodings, in the client's order ("encodings"
//                                              alone for an empty list)
//   update incremental|full X Y W H            FramebufferUpdateRequest, as sent (not clipped)
//   key down|up 0xKEYSYM                       KeyEvent, the keysym in lower-case hex
//   pointer MASK X Y                           PointerEvent
//   cut TEXT                                   ClientCutText, escaped by EscapeText
//   message TYPE                               a message type the log cannot measure; nothing
//                                              after it from that client is logged but key,
//                                              pointer and cut-text events
//
// Key, pointer and cut-text lines come from libvncserver's event hooks, which see those messages
// whole; the handshake, SetPixelFormat, SetEncodings and update requests are read from the bytes
// libvncserver reads from the client's socket, since no hook sees them as they arrived. All
// values are decimal unless said otherwise.
#pragma once

#include <rfb/rfb.h>

#include <cstddef>
#include <string>

// Opens (truncates) the log file; without it nothing is logged.
bool OpenMessageLog(const char* path);
void LogLine(const std::string& line);

// Sets the screen's hooks: connect / disconnect, key, pointer, cut text. keyAction is called
// after a key event has been logged (the server's own behaviour on keys).
void InstallMessageLog(rfbScreenInfoPtr screen,
                       void (*keyAction)(rfbBool, rfbKeySym, rfbClientPtr));

// Backslash, control characters and bytes from 0x7F up become \\, \n, \r, \t or \xHH, so that any
// text fits on one line of plain ASCII. UnescapeText reverses it (an unknown escape is kept as
// it stands).
std::string EscapeText(const char* text, std::size_t length);
std::string UnescapeText(const std::string& text);
