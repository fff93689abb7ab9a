// RunDeviceProgram: the host options, booting the device and running the program.
#include "host_backends.h"

#include <platform_internal/device_shell.h>
#include <platform_internal/home_lock.h>
#include <platform_internal/instance_link.h>
#include <platform_internal/registry_writes.h>
#include <platform_internal/screen_png.h>

#include <platform/boot.h>
#include <platform/device_screen.h>
#include <platform/host.h>
#include <platform/resources.h>
#include <platform/window.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Options {
    DeviceScreenConfig screen;
    HostOptions host;
    bool headless = false;
    std::string screenshot;
};

int Usage(FILE* out, int code) {
    std::fprintf(
        out,
        "usage: tavrel [options]\n"
        "  --screen WxH     device screen in pixels (default 240x320)\n"
        "  --dpi N          screen resolution (default 96)\n"
        "  --bpp N          pixel format: 8 (3:3:2), 15 (5:5:5), 16 (5:6:5, default), 24 or 32\n"
        "  --scale N        desktop pixels per device pixel in the window (default 2)\n"
        "  --headless       no window: the screen stays in memory\n"
        "  --screenshot F   headless: write the screen as PNG to F when the program ends\n"
        "  --home DIR       keep the device's settings and files in DIR\n"
        "                   (default: $TAVREL_HOME, else $XDG_CONFIG_HOME/tavrel)\n"
        "Keys in the window: typing is the input panel, F9 rotates the screen.\n");
    return code;
}

bool Number(const char* text, int low, int high, int* out) {
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (end == text || *end != 0 || value < low || value > high) {
        return false;
    }
    *out = static_cast<int>(value);
    return true;
}

// 0: parsed; otherwise the exit code.
int Parse(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        bool ok = true;
        if (option == "--help") {
            Usage(stdout, 0);
            return -1;
        } else if (option == "--headless") {
            options->headless = true;
            continue;
        } else if (value == nullptr) {
            ok = false;
        } else if (option == "--screen") {
            const char* x = std::strchr(value, 'x');
            ok = x != nullptr &&
                 Number(std::string(value, x).c_str(), 64, 4096, &options->screen.width) &&
                 Number(x + 1, 64, 4096, &options->screen.height);
        } else if (option == "--dpi") {
            ok = Number(value, 48, 600, &options->screen.dpi);
        } else if (option == "--bpp") {
            int bpp = 0;
            ok = Number(value, 8, 32, &bpp);
            switch (bpp) {
                case 8:
                    options->screen.format = DevicePixelFormat::Rgb332;
                    break;
                case 15:
                    options->screen.format = DevicePixelFormat::Rgb555;
                    break;
                case 16:
                    options->screen.format = DevicePixelFormat::Rgb565;
                    break;
                case 24:
                    options->screen.format = DevicePixelFormat::Rgb888;
                    break;
                case 32:
                    options->screen.format = DevicePixelFormat::Xrgb8888;
                    break;
                default:
                    ok = false;
            }
        } else if (option == "--scale") {
            ok = Number(value, 1, 8, &options->host.scale);
        } else if (option == "--home") {
            SetPlatformHome(value);
        } else if (option == "--screenshot") {
            options->screenshot = value;
        } else {
            std::fprintf(stderr, "tavrel: unknown option %s\n", option.c_str());
            return Usage(stderr, 2);
        }
        if (!ok) {
            std::fprintf(stderr, "tavrel: bad or missing value for %s\n", option.c_str());
            return Usage(stderr, 2);
        }
        ++i;
    }
    return 0;
}

bool DisplayAvailable() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 != nullptr && *x11 != 0) || (wayland != nullptr && *wayland != 0);
}

// Another process owns the home and does not answer on the link: say so where the user looks.
// The desktop's message box does not wrap, hence the short lines.
void ReportHomeInUse(const std::string& home, long owner, bool headless) {
    std::string text = "Tavrel is already running on the home folder " + home;
    if (owner > 0) {
        text += " (process " + std::to_string(owner) + ")";
    }
    text +=
        ",\nbut it does not answer. This start ends without changing anything there.\n"
        "Close the running Tavrel first, or start this one with another folder (--home DIR).";
    std::fprintf(stderr, "tavrel: %s\n", text.c_str());
    if (!headless) {
        ShowDesktopMessage("Tavrel", text);
    }
}

}  // namespace

int RunDeviceProgram(int argc, char** argv, WinMainFunction winMain) {
    Options options;
    if (int code = Parse(argc, argv, &options); code != 0) {
        return code < 0 ? 0 : code;
    }
    if (!options.headless && !DisplayAvailable()) {
        std::fprintf(
            stderr,
            "tavrel: no display to open a window on (DISPLAY is not set).\n"
            "  Run it on a desktop, under a virtual one (xvfb-run tavrel), or without a window:\n"
            "  tavrel --headless\n");
        return 1;
    }
    // The process that takes the home's lock owns the home and serves its link. Any other is a
    // second start: it runs only to find the owner's window over the link and bring it forward,
    // and it never writes the home's registry; without an answer on the link it stops here.
    std::string home = PlatformHome();
    HomeLock homeLock(home);
    if (!homeLock.Owned()) {
        if (!JoinInstanceLink(home)) {
            ReportHomeInUse(home, homeLock.OwnerProcess(), options.headless);
            return 1;
        }
        RefuseRegistryWrites();
    }
    ConfigureDeviceScreen(options.screen);
    std::unique_ptr<HostBackend> host =
        options.headless ? MakeHeadlessHost() : MakeSdlHost(options.host);
    if (!host) {
        return 1;
    }
    InstallTerminationHandlers();
    if (homeLock.Owned()) {
        ServeInstanceLink(home);
    }
    SetHostBackend(host.get());
    StartDeviceShell();
    int code = winMain(GetModuleHandleW(nullptr), nullptr, const_cast<LPWSTR>(u""), SW_SHOW);
    if (!options.screenshot.empty() && !WriteScreenPng(options.screenshot)) {
        std::fprintf(stderr, "tavrel: cannot write %s\n", options.screenshot.c_str());
    }
    StopInstanceLink();
    SetHostBackend(nullptr);
    return code;
}
