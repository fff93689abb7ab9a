// Building server byte streams for the session tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

inline Bytes& Put(Bytes& b, std::initializer_list<int> values) {
    for (int v : values) {
        b.push_back(static_cast<std::uint8_t>(v));
    }
    return b;
}
inline Bytes& Put16(Bytes& b, unsigned v) {
    return Put(b, {int(v >> 8), int(v & 0xFF)});
}
inline Bytes& Put32(Bytes& b, std::uint32_t v) {
    return Put(b, {int(v >> 24), int((v >> 16) & 0xFF), int((v >> 8) & 0xFF), int(v & 0xFF)});
}
inline Bytes& PutText(Bytes& b, const std::string& s) {
    b.insert(b.end(), s.begin(), s.end());
    return b;
}
// A rectangle header.
inline Bytes& PutRect(Bytes& b, int x, int y, int w, int h, int encoding) {
    Put16(b, x);
    Put16(b, y);
    Put16(b, w);
    Put16(b, h);
    return Put32(b, static_cast<std::uint32_t>(encoding));
}
// FramebufferUpdate header with count rectangles.
inline Bytes& PutUpdate(Bytes& b, int count) {
    Put(b, {0, 0});
    return Put16(b, count);
}
