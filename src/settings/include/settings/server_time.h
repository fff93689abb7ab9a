// Seconds since 1970 from the device clock, and the random identifiers of saved items.
#pragma once

#include <platform/types.h>

// UTC seconds since 1970-01-01, low 32 bits; 0 when the clock cannot be converted.
DWORD CurrentTimeSeconds();

// length characters from "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ", drawn with rand(), then a
// terminator: out holds length + 1 units.
void MakeRandomId(WCHAR* out, int length);
// A server id: 8 characters and the terminator.
void MakeServerId(WCHAR* out);
