// The DES block cipher (published tables, encryption direction, ECB) and the VNC authentication
// response built on it.
#pragma once

#include <platform/types.h>

class Des {
  public:
    // Standard DES key schedule from an 8-byte key (the parity bits are ignored).
    explicit Des(const BYTE key[8]);
    // Encrypts one 8-byte block.
    void EncryptBlock(const BYTE in[8], BYTE out[8]) const;

  private:
    unsigned long long subkeys_[16];
};

// VNC authentication: the key is the password's first eight characters (low 8 bits each, zero
// padded) with the bits of every byte reversed; the 16-byte challenge is encrypted as two blocks.
void VncEncryptChallenge(const WCHAR* password, const BYTE challenge[16], BYTE response[16]);
