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

// Device contexts. So far only the screen's capabilities: a null DC stands for the screen.
using HDC = struct DeviceContext*;

constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;

// The screen's size in pixels, bits per pixel and dpi; 0 for an index it does not know.
int GetDeviceCaps(HDC dc, int index);
