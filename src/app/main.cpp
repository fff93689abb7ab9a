// tavrel: boots the device platform and runs the program. Until the window system is built, it
// shows the saved servers of the device's settings store on standard output.
#include <platform/boot.h>
#include <platform/resources.h>
#include <platform/text.h>
#include <resources/resources.h>
#include <settings/server_list.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

int Usage(FILE* out, int code) {
    std::fprintf(out,
                 "usage: tavrel [--home DIR]\n"
                 "  --home DIR   keep the device's settings and files in DIR\n"
                 "               (default: $TAVREL_HOME, else $XDG_CONFIG_HOME/tavrel)\n");
    return code;
}

int ShowSavedServers() {
    WCHAR product[kTextCapacity];
    LoadStringW(GetModuleHandleW(nullptr), IDS_PRODUCT_NAME, product, kTextCapacity);
    ServerList servers;
    servers.LoadAll();
    std::printf("%s: %zu saved server%s (settings in %s)\n", Utf16ToUtf8(product).c_str(),
                servers.Count(), servers.Count() == 1 ? "" : "s", PlatformHome().c_str());
    for (std::size_t i = 0; i < servers.Count(); ++i) {
        const ServerRecord* record = servers.At(i);
        std::printf("  %s  %s port %u\n", Utf16ToUtf8(record->Title).c_str(),
                    Utf16ToUtf8(record->settings.Hostname).c_str(),
                    static_cast<unsigned>(ServerTcpPort(record->settings)));
    }
    std::printf("The viewer's window system is not built yet; nothing else runs today.\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--home") == 0 && i + 1 < argc) {
            SetPlatformHome(argv[++i]);
        } else if (std::strcmp(argv[i], "--help") == 0) {
            return Usage(stdout, 0);
        } else {
            std::fprintf(stderr, "tavrel: unknown option %s\n", argv[i]);
            return Usage(stderr, 2);
        }
    }
    InstallResources(GetModuleHandleW(nullptr));
    return ShowSavedServers();
}
