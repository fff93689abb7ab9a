// PutImage of a 1024 x 768 image for each server format into a 16- and a 32-bit device:
// the bulk path against the per-pixel codec path and against memcpy of the same bytes.
#include "bench_common.h"

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

enum class Path { Bulk, PerPixel, Memcpy };

void PutImage(benchmark::State& state, DevicePixelFormat device, ServerFormat server, Path path) {
    BenchDisplay display(device, 240, 320);
    FrameBufferStore& store = display.Store();
    store.SetPixelFormat(server.bpp, server.red, server.green, server.blue);
    store.UsePerPixelPath(path == Path::PerPixel);
    std::vector<unsigned char> image = NoiseBytes(1024 * 768 * server.bpp / 8);
    std::vector<unsigned char> copy(image.size());
    for (auto _ : state) {
        if (path == Path::Memcpy) {
            std::memcpy(copy.data(), image.data(), image.size());
            benchmark::DoNotOptimize(copy.data());
        } else {
            store.PutImage(0, 0, 1024, 768, image.data());
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * image.size());
}

const bool registered = [] {
    struct Device {
        const char* name;
        DevicePixelFormat format;
    };
    for (Device device :
         {Device{"565", DevicePixelFormat::Rgb565}, Device{"32", DevicePixelFormat::Xrgb8888}}) {
        for (const ServerFormat& server : ServerFormats()) {
            for (auto [label, path] :
                 {std::pair{"bulk", Path::Bulk}, std::pair{"perpixel", Path::PerPixel},
                  std::pair{"memcpy", Path::Memcpy}}) {
                std::string name =
                    std::string("PutImage/dev") + device.name + "/src" + server.name + "/" + label;
                benchmark::RegisterBenchmark(name.c_str(), PutImage, device.format, server, path)
                    ->Unit(benchmark::kMicrosecond);
            }
        }
    }
    return true;
}();

}  // namespace
