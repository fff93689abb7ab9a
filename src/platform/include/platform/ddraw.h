// DirectDraw: the device screen as a primary surface, off-screen surfaces in the screen's pixel
// format, a clipper bound to a window, and blits (copies and nearest-neighbour stretches).
// Surfaces may be used from any thread; each has its own lock.
#pragma once

#include <platform/types.h>

#include <cstddef>

using HRESULT = LONG;

constexpr HRESULT DD_OK = 0;
constexpr HRESULT DDERR_GENERIC = static_cast<HRESULT>(0x80004005);
constexpr HRESULT DDERR_INVALIDPARAMS = static_cast<HRESULT>(0x80070057);
constexpr HRESULT DDERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);
constexpr HRESULT DDERR_INVALIDOBJECT = static_cast<HRESULT>(0x88760082);
constexpr HRESULT DDERR_INVALIDPIXELFORMAT = static_cast<HRESULT>(0x88760091);
constexpr HRESULT DDERR_INVALIDRECT = static_cast<HRESULT>(0x88760096);
constexpr HRESULT DDERR_NOROPHW = static_cast<HRESULT>(0x88760118);
constexpr HRESULT DDERR_OUTOFVIDEOMEMORY = static_cast<HRESULT>(0x8876017C);
constexpr HRESULT DDERR_SURFACEBUSY = static_cast<HRESULT>(0x887601AE);
constexpr HRESULT DDERR_NOTLOCKED = static_cast<HRESULT>(0x887601CC);

inline bool FAILED(HRESULT result) {
    return result < 0;
}
inline bool SUCCEEDED(HRESULT result) {
    return result >= 0;
}

// DDSURFACEDESC::dwFlags: which fields are valid.
constexpr DWORD DDSD_CAPS = 0x00000001;
constexpr DWORD DDSD_HEIGHT = 0x00000002;
constexpr DWORD DDSD_WIDTH = 0x00000004;
constexpr DWORD DDSD_PITCH = 0x00000008;
constexpr DWORD DDSD_XPITCH = 0x00000080;
constexpr DWORD DDSD_PIXELFORMAT = 0x00001000;
constexpr DWORD DDSD_LPSURFACE = 0x00000800;

constexpr DWORD DDSCAPS_PRIMARYSURFACE = 0x00000040;
constexpr DWORD DDSCAPS_OFFSCREENPLAIN = 0x00000010;

constexpr DWORD DDPF_RGB = 0x00000040;

constexpr DWORD DDLOCK_READONLY = 0x00000001;
constexpr DWORD DDLOCK_WRITEONLY = 0x00000002;
constexpr DWORD DDLOCK_WAITNOTBUSY = 0x00000008;

constexpr DWORD DDBLT_ROP = 0x00020000;
constexpr DWORD DDBLT_WAITNOTBUSY = 0x01000000;

constexpr DWORD SRCCOPY = 0x00CC0020;

struct DDPIXELFORMAT {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwFourCC;
    DWORD dwRGBBitCount;
    DWORD dwRBitMask;
    DWORD dwGBitMask;
    DWORD dwBBitMask;
    DWORD dwRGBAlphaBitMask;
};

struct DDSCAPS {
    DWORD dwCaps;
};

struct DDSURFACEDESC {
    DWORD dwSize;  // sizeof(DDSURFACEDESC)
    DWORD dwFlags;
    DWORD dwHeight;
    DWORD dwWidth;
    LONG lPitch;   // bytes from one row to the next
    LONG lXPitch;  // bytes from one pixel to the next in a row
    DWORD dwBackBufferCount;
    DWORD dwRefreshRate;
    LPVOID lpSurface;  // pixel (0, 0) while locked
    DDPIXELFORMAT ddpfPixelFormat;
    DDSCAPS ddsCaps;
    DWORD dwSurfaceSize;
};

struct DDBLTFX {
    DWORD dwSize;  // 28
    DWORD dwDDFX;
    DWORD dwROP;
    DWORD dwAlphaDestConst;
    DWORD dwAlphaSrcConst;
    DWORD dwFillColor;
    DWORD dwReserved;
};
static_assert(sizeof(DDBLTFX) == 28);

struct IUnknown {
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

  protected:
    ~IUnknown() = default;
};

struct IDirectDrawClipper : IUnknown {
    // Binds the clipper to a window (null: the whole screen). Flags must be 0.
    virtual HRESULT SetHWnd(DWORD flags, HWND window) = 0;
    virtual HRESULT GetHWnd(HWND* window) = 0;

  protected:
    ~IDirectDrawClipper() = default;
};

struct IDirectDrawSurface : IUnknown {
    // Locks the whole surface (rect must be null) and gives its address, pitches and format.
    // Without DDLOCK_WAITNOTBUSY a surface locked by another thread gives DDERR_SURFACEBUSY; a
    // surface locked by the calling thread always does.
    virtual HRESULT Lock(RECT* rect, DDSURFACEDESC* desc, DWORD flags, HANDLE event) = 0;
    virtual HRESULT Unlock(RECT* rect) = 0;
    // SRCCOPY from source (may be this surface; overlapping copies act as a move) to this
    // surface, stretching with nearest-neighbour sampling when the sizes differ. Null rects mean
    // whole surfaces. The source rectangle must lie inside the source, and on an off-screen
    // surface the destination inside it (else DDERR_INVALIDRECT). On the primary surface the
    // destination is in screen coordinates and clipped to the screen, or through a clipper
    // bound to a window, to that window's client area.
    virtual HRESULT Blt(RECT* destRect, IDirectDrawSurface* source, RECT* sourceRect, DWORD flags,
                        DDBLTFX* fx) = 0;
    virtual HRESULT GetSurfaceDesc(DDSURFACEDESC* desc) = 0;
    virtual HRESULT SetClipper(IDirectDrawClipper* clipper) = 0;
    virtual HRESULT Restore() = 0;

  protected:
    ~IDirectDrawSurface() = default;
};

struct IDirectDraw : IUnknown {
    virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
    // DDSCAPS_PRIMARYSURFACE with DDSD_CAPS: the screen. DDSD_WIDTH | DDSD_HEIGHT: an off-screen
    // surface in the screen's current pixel format, or DDERR_OUTOFVIDEOMEMORY past the budget.
    virtual HRESULT CreateSurface(DDSURFACEDESC* desc, IDirectDrawSurface** surface,
                                  IUnknown* outer) = 0;
    virtual HRESULT CreateClipper(DWORD flags, IDirectDrawClipper** clipper, IUnknown* outer) = 0;
    // Restores surfaces after a change of screen mode; the emulated memory is never lost.
    virtual HRESULT RestoreAllSurfaces() = 0;

  protected:
    ~IDirectDraw() = default;
};

using LPDIRECTDRAW = IDirectDraw*;
using LPDIRECTDRAWSURFACE = IDirectDrawSurface*;
using LPDIRECTDRAWCLIPPER = IDirectDrawClipper*;
struct GUID;

// The default device only (guid null).
HRESULT DirectDrawCreate(GUID* guid, LPDIRECTDRAW* directDraw, IUnknown* outer);

// Host side: bytes that off-screen surfaces may take together (tests lower it to force
// DDERR_OUTOFVIDEOMEMORY). Default 64 MiB.
void SetVideoMemoryBudget(std::size_t bytes);
std::size_t VideoMemoryInUse();
