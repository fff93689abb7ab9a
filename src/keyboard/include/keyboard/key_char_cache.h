// The character that the last key-down of each virtual key produced, so that the key-up sends
// the same keysym. Keys are told apart by the low 8 bits of their virtual-key code only, so two
// codes that agree there share an entry. Every entry starts at 0 (no character).
#pragma once

#include <keyboard/named_keys.h>

#include <array>

class KeyCharCache {
  public:
    Keysym Get(UINT virtualKey) const { return entries_[virtualKey & 0xFF]; }
    void Set(UINT virtualKey, Keysym character) { entries_[virtualKey & 0xFF] = character; }

  private:
    std::array<Keysym, 256> entries_{};
};
