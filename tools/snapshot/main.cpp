// tavrel-snapshot: connects to a VNC server, receives one complete screen and writes it as PNG.
#include "device_frame_buffer.h"
#include "snapshot_client.h"
#include "snapshot_options.h"

#include <encodings/standard_decoders.h>
#include <platform/resources.h>
#include <platform/text.h>
#include <platform/winsock.h>
#include <resources/resources.h>
#include <rfb/decoder_registry.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace {

const char kUsage[] =
    "usage: tavrel-snapshot [--password-file FILE] [--encodings LIST] [--bpp 8|16|32]\n"
    "                       [--exclusive] [--timeout SECONDS] SERVER OUT.png\n"
    "  SERVER      host, host:display (port 5900 + display) or host::port\n"
    "  LIST        comma list of raw,copyrect,rre,corre,hextile,cursor,desktopsize (default: all)\n"
    "  --bpp       16 (default) asks for 5:6:5, 32 for 8:8:8, 8 for 3:3:2\n"
    "  --exclusive ask the server not to share the desktop\n"
    "  --timeout   seconds to wait for the whole screen (default 30)\n"
    "exit status: 0 written, 2 bad usage, 3 connection failed, 4 authentication failed, 5 other "
    "failure\n";

// The chosen decoders in the system's order; Raw always, as every RFB client must take it.
void RegisterChosenDecoders(const std::vector<int>& chosen) {
    for (int encoding : kStandardEncodings) {
        if (chosen.empty() || encoding == 0 ||
            std::find(chosen.begin(), chosen.end(), encoding) != chosen.end()) {
            RegisterDecoder(CreateStandardDecoder(encoding));
        }
    }
}

bool ReadPassword(const std::string& path, std::u16string& password) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    std::string line;
    std::getline(file, line);
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    password = Utf8ToUtf16(line);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (std::find(arguments.begin(), arguments.end(), "--help") != arguments.end()) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    SnapshotOptions options;
    std::string error;
    if (!ParseSnapshotOptions(arguments, options, error)) {
        std::fprintf(stderr, "tavrel-snapshot: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    std::u16string password;
    if (!options.passwordFile.empty() && !ReadPassword(options.passwordFile, password)) {
        std::fprintf(stderr, "tavrel-snapshot: cannot read the password file %s\n",
                     options.passwordFile.c_str());
        return 2;
    }
    InstallResources(GetModuleHandleW(nullptr));
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    RegisterChosenDecoders(options.encodings);

    DeviceFrameBuffer screen(options.bitsPerPixel);
    SnapshotResult result;
    {
        SnapshotClient client(screen, password, !options.exclusive, options.bitsPerPixel);
        result = client.Run(options.host, options.port, options.timeoutSeconds);
    }
    if (result.exitCode == 0 && !screen.WritePng(options.output)) {
        result = {5, "Cannot write " + options.output};
    }
    ClearDecoders();
    WSACleanup();
    if (result.exitCode != 0) {
        std::fprintf(stderr, "%s\n", result.error.c_str());
    }
    return result.exitCode;
}
