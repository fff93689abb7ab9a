// The sdl host's cost per frame: the device screen (the task bar and an empty desktop, booted by
// the test harness) converted and drawn into the desktop window, every frame a full one, at
// scale 1, 2 and 3, on the window's own pixels (the default) and with --gpu (SDL's accelerated
// renderer). Run on a display (bench/sdl_window.sh starts Xvfb and runs this too).
//   sdl_present [--frames N]
#include "host_backends.h"

#include <platform_internal/screen_buffer.h>
#include <platform_testing/device_harness.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    int frames = 200;
    if (argc == 3 && std::string(argv[1]) == "--frames") {
        frames = std::max(1, std::atoi(argv[2]));
    }
    DeviceHarness device;
    device.PumpUntilIdle();
    std::printf("| scale | window surface, ms | --gpu renderer, ms | renderer / surface |\n");
    std::printf("|---|---:|---:|---:|\n");
    for (int scale : {1, 2, 3}) {
        double median[2] = {0, 0};
        for (bool gpu : {false, true}) {
            std::unique_ptr<HostBackend> host = MakeSdlHost(HostOptions{scale, gpu});
            if (!host) {
                return 1;
            }
            std::vector<double> times;
            for (int i = 0; i < frames + 10; ++i) {
                ScreenBuffer::Instance().MarkDirty();
                auto start = std::chrono::steady_clock::now();
                host->ShowScreen();
                std::chrono::duration<double, std::milli> took =
                    std::chrono::steady_clock::now() - start;
                host->PumpEvents();
                if (i >= 10) {  // the first frames open the window
                    times.push_back(took.count());
                }
            }
            std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
            median[gpu] = times[times.size() / 2];
        }
        std::printf("| %d | %.3f | %.3f | %.2f |\n", scale, median[0], median[1],
                    median[1] / median[0]);
    }
    return 0;
}
