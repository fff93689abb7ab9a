// Upper bounds on the lengths a server gives; a larger value fails the handshake or the session.
#pragma once

constexpr unsigned kMaxDesktopNameLength = 4096;     // ServerInit name, bytes
constexpr unsigned kMaxFailureReasonLength = 4096;   // reason after security type 0, bytes
constexpr unsigned kMaxCutTextLength = 1024 * 1024;  // ServerCutText, bytes
