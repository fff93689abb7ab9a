// A small VNC server on libvncserver for the interop tests: serves the known pattern on
// 127.0.0.1, optionally with a password, optionally forcing one encoding. Key presses from the
// client drive it: 'c' moves an area onto itself (a CopyRect that overlaps its source), 'r'
// resizes the desktop to 320 x 200 with the pattern's second variant.
//   pattern_server PORT [--password P] [--encoding N] [--size WxH]
#include "pattern.h"

#include <rfb/rfb.h>

#include <arpa/inet.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int forcedEncoding = -1000;
char* password[2] = {nullptr, nullptr};

char* MakeFramebuffer(int width, int height, int variant) {
    auto* buffer = static_cast<char*>(std::malloc(static_cast<std::size_t>(width) * height * 4));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t rgb[3];
            PatternColour(x, y, variant, rgb);
            char* p = buffer + (static_cast<std::size_t>(y) * width + x) * 4;
            p[0] = static_cast<char>(rgb[0]);
            p[1] = static_cast<char>(rgb[1]);
            p[2] = static_cast<char>(rgb[2]);
            p[3] = 0;
        }
    }
    return buffer;
}

void Display(rfbClientPtr client) {
    if (forcedEncoding != -1000) {
        client->preferredEncoding = forcedEncoding;
    }
}

void Key(rfbBool down, rfbKeySym key, rfbClientPtr client) {
    if (!down) {
        return;
    }
    rfbScreenInfoPtr screen = client->screen;
    if (key == 'c') {
        // Destination (10, 10)-(210, 110) from 5 left and 7 up of it.
        rfbDoCopyRect(screen, 10, 10, 210, 110, 5, 7);
    } else if (key == 'r') {
        char* old = screen->frameBuffer;
        rfbNewFramebuffer(screen, MakeFramebuffer(320, 200, 1), 320, 200, 8, 3, 4);
        std::free(old);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: pattern_server PORT [--password P] [--encoding N] [--size WxH]\n");
        return 2;
    }
    int port = std::atoi(argv[1]);
    int width = 640, height = 480;
    for (int i = 2; i + 1 < argc; i += 2) {
        std::string option = argv[i];
        if (option == "--password") {
            password[0] = argv[i + 1];
        } else if (option == "--encoding") {
            forcedEncoding = std::atoi(argv[i + 1]);
        } else if (option == "--size") {
            std::sscanf(argv[i + 1], "%dx%d", &width, &height);
        }
    }
    int noArguments = 1;
    rfbScreenInfoPtr screen = rfbGetScreen(&noArguments, argv, width, height, 8, 3, 4);
    screen->frameBuffer = MakeFramebuffer(width, height, 0);
    screen->port = port;
    screen->ipv6port = 0;
    screen->listenInterface = htonl(INADDR_LOOPBACK);
    screen->alwaysShared = TRUE;
    screen->cursor = nullptr;
    screen->displayHook = Display;
    screen->kbdAddEvent = Key;
    screen->desktopName = "pattern";
    if (password[0] != nullptr) {
        screen->authPasswdData = password;
        screen->passwordCheck = rfbCheckPasswordByList;
    }
    rfbLogEnable(0);
    rfbInitServer(screen);
    rfbRunEventLoop(screen, 20000, FALSE);
    return 0;
}
