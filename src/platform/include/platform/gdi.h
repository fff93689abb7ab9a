// GDI objects. So far: device-independent bitmaps and their handles.
#pragma once

#include <platform/types.h>

using HGDIOBJ = struct GdiObject*;
using HBITMAP = HGDIOBJ;

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
};

// A bitmap resource of the module (a DIB: information header, palette, rows).
HBITMAP LoadBitmapW(HINSTANCE module, LPCWSTR name);
int GetObjectW(HGDIOBJ object, int size, LPVOID out);
BOOL DeleteObject(HGDIOBJ object);
