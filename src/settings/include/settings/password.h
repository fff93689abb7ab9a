// Saved passwords are scrambled with a per-installation key ("Hash"): a keyed XOR, not a cipher.
#pragma once

#include <platform/types.h>

// The store keeps at most this many bytes of a scrambled password: 130 UTF-16 characters.
constexpr DWORD kMaxScrambledPassword = 260;
constexpr int kMaxSavedPasswordLength = kMaxScrambledPassword / 2;

// Writes 2 x length bytes (UTF-16LE XOR the key) to out and returns that count; out must hold
// them (the caller checks the length against kMaxSavedPasswordLength).
DWORD ScramblePassword(LPCWSTR password, BYTE* out);
// Reverses it: count bytes into text, terminated at unit count / 2 (text holds count / 2 + 1).
void UnscramblePassword(const BYTE* in, DWORD count, WCHAR* text);
