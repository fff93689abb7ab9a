// Present of a 1024 x 768 framebuffer onto a 240 x 320 and a 480 x 640 screen at each zoom:
// our Present, our stretching blit alone, and pixman's nearest-neighbour scaling between the
// same surfaces' memory (the one pixman touches is locked once for its address).
#include "bench_common.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <platform/ddraw.h>

#include <cstring>

namespace {

struct Screen {
    int width, height;
};

struct Device {
    const char* name;
    DevicePixelFormat format;
    pixman_format_code_t pixman;
    int bytes;
};

// Source and destination rectangles as Present computes them for a full-screen viewer.
void PresentMapping(Screen screen, int percent, RECT* dest, RECT* source) {
    Fraction zoom = Fraction::Make(percent, 100);
    int srcW = ToInt(Divide(Fraction::FromInt(screen.width), zoom));
    int srcH = ToInt(Divide(Fraction::FromInt(screen.height), zoom));
    int dstW = screen.width, dstH = screen.height;
    if (srcW > 1024) {
        srcW = 1024;
        dstW = ToInt(Multiply(Fraction::FromInt(1024), zoom));
    }
    if (srcH > 768) {
        srcH = 768;
        dstH = ToInt(Multiply(Fraction::FromInt(768), zoom));
    }
    *dest = RECT{0, 0, dstW, dstH};
    *source = RECT{0, 0, srcW, srcH};
}

// The framebuffer's surface and the screen, both locked once to learn their addresses.
struct Surfaces {
    BenchDisplay display;
    IDirectDrawSurface* framebuffer = nullptr;
    IDirectDrawSurface* screen = nullptr;
    DDSURFACEDESC framebufferDesc{};
    DDSURFACEDESC screenDesc{};

    Surfaces(Device device, Screen size) : display(device.format, size.width, size.height) {
        IDirectDraw* dd = nullptr;
        DirectDrawCreate(nullptr, &dd, nullptr);
        DDSURFACEDESC desc{};
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DDSD_CAPS;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
        dd->CreateSurface(&desc, &screen, nullptr);
        desc.dwFlags = DDSD_WIDTH | DDSD_HEIGHT;
        desc.dwWidth = 1024;
        desc.dwHeight = 768;
        dd->CreateSurface(&desc, &framebuffer, nullptr);
        dd->Release();
        for (auto [surface, out] :
             {std::pair{framebuffer, &framebufferDesc}, std::pair{screen, &screenDesc}}) {
            out->dwSize = sizeof(*out);
            surface->Lock(nullptr, out, DDLOCK_WAITNOTBUSY, nullptr);
            surface->Unlock(nullptr);
        }
        std::vector<unsigned char> noise = NoiseBytes(framebufferDesc.lPitch * 768);
        std::memcpy(framebufferDesc.lpSurface, noise.data(), noise.size());
    }
    ~Surfaces() {
        framebuffer->Release();
        screen->Release();
    }
};

// Our side: the whole Present of a store, whose surface is the same kind of 1024 x 768
// off-screen surface.
void Ours(benchmark::State& state, Device device, Screen screen, int percent) {
    BenchDisplay display(device.format, screen.width, screen.height);
    FrameBufferStore& store = display.Store();
    store.SetPixelFormat(32, 8, 8, 8);
    std::vector<unsigned char> image = NoiseBytes(1024 * 768 * 4);
    store.PutImage(0, 0, 1024, 768, image.data());
    for (auto _ : state) {
        store.Present(0, 0, 0, screen.width, screen.height, Fraction::Make(percent, 100), 0, 0);
    }
}

// DirectDraw's stretching blit alone, with the rectangles Present gives.
void Blit(benchmark::State& state, Device device, Screen screen, int percent) {
    Surfaces surfaces(device, screen);
    RECT dest, source;
    PresentMapping(screen, percent, &dest, &source);
    DDBLTFX fx{};
    fx.dwSize = sizeof(fx);
    fx.dwROP = SRCCOPY;
    for (auto _ : state) {
        surfaces.screen->Blt(&dest, surfaces.framebuffer, &source, DDBLT_ROP, &fx);
    }
}

// pixman's nearest-neighbour scaling between the same two surfaces' memory.
void Pixman(benchmark::State& state, Device device, Screen screen, int percent) {
    Surfaces surfaces(device, screen);
    RECT dest, source;
    PresentMapping(screen, percent, &dest, &source);
    pixman_image_t* from = pixman_image_create_bits(
        device.pixman, 1024, 768, static_cast<uint32_t*>(surfaces.framebufferDesc.lpSurface),
        surfaces.framebufferDesc.lPitch);
    pixman_image_t* to = pixman_image_create_bits(
        device.pixman, screen.width, screen.height,
        static_cast<uint32_t*>(surfaces.screenDesc.lpSurface), surfaces.screenDesc.lPitch);
    pixman_transform_t transform;
    pixman_transform_init_scale(&transform, pixman_double_to_fixed(100.0 / percent),
                                pixman_double_to_fixed(100.0 / percent));
    pixman_image_set_transform(from, &transform);
    pixman_image_set_filter(from, PIXMAN_FILTER_NEAREST, nullptr, 0);
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_SRC, from, nullptr, to, 0, 0, 0, 0, 0, 0, dest.right,
                                 dest.bottom);
        benchmark::ClobberMemory();
    }
    pixman_image_unref(from);
    pixman_image_unref(to);
}

const bool registered = [] {
    for (Device device : {Device{"565", DevicePixelFormat::Rgb565, PIXMAN_r5g6b5, 2},
                          Device{"32", DevicePixelFormat::Xrgb8888, PIXMAN_x8r8g8b8, 4}}) {
        for (Screen screen : {Screen{240, 320}, Screen{480, 640}}) {
            for (int percent : {25, 37, 50, 100, 200, 300, 600}) {
                std::string base =
                    std::string("Present/dev") + device.name + "/" + std::to_string(screen.width) +
                    "x" + std::to_string(screen.height) + "/" + std::to_string(percent) + "%/";
                benchmark::RegisterBenchmark((base + "ours").c_str(), Ours, device, screen, percent)
                    ->Unit(benchmark::kMicrosecond);
                benchmark::RegisterBenchmark((base + "blit").c_str(), Blit, device, screen, percent)
                    ->Unit(benchmark::kMicrosecond);
                benchmark::RegisterBenchmark((base + "pixman").c_str(), Pixman, device, screen,
                                             percent)
                    ->Unit(benchmark::kMicrosecond);
            }
        }
    }
    return true;
}();

}  // namespace
