// Big-endian integers as RFB puts them on the wire.
#pragma once

#include <platform/types.h>

namespace wire {

inline WORD Read16(const BYTE* p) {
    return static_cast<WORD>((p[0] << 8) | p[1]);
}
inline DWORD Read32(const BYTE* p) {
    return (DWORD{p[0]} << 24) | (DWORD{p[1]} << 16) | (DWORD{p[2]} << 8) | DWORD{p[3]};
}
inline void Write16(BYTE* p, unsigned value) {
    p[0] = static_cast<BYTE>(value >> 8);
    p[1] = static_cast<BYTE>(value);
}
inline void Write32(BYTE* p, DWORD value) {
    p[0] = static_cast<BYTE>(value >> 24);
    p[1] = static_cast<BYTE>(value >> 16);
    p[2] = static_cast<BYTE>(value >> 8);
    p[3] = static_cast<BYTE>(value);
}

}  // namespace wire
