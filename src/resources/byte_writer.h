// Little-endian words for the resource builders.
#pragma once

#include <platform/types.h>

#include <vector>

inline void Put16(std::vector<BYTE>& out, std::uint16_t v) {
    out.push_back(static_cast<BYTE>(v));
    out.push_back(static_cast<BYTE>(v >> 8));
}
inline void Put32(std::vector<BYTE>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<BYTE>(v >> (8 * i)));
}
