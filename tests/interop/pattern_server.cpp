// A small VNC server on libvncserver for the tests: serves the known pattern on 127.0.0.1,
// optionally with a password, optionally forcing one encoding.
//   pattern_server PORT [--password P] [--encoding N] [--size WxH] [--log FILE] [--control FIFO]
// Once it listens it writes "listening on 127.0.0.1:PORT" on its standard output; it exits with 1
// when it cannot listen.
//
// Key presses from a client drive it: 'c' moves an area onto itself (a CopyRect that overlaps its
// source), 'r' resizes the desktop to 320 x 200 with the pattern's second variant.
//
// --log FILE: every client message, one line each (see pattern_server_log.h).
// --control FIFO: commands, one a line, read from a named pipe (made when missing):
//   bell                 a Bell to every client
//   cut TEXT             ServerCutText to every client; TEXT takes the log's escapes (\n, \xHH)
//   resize W H           a new W x H desktop (1 to 4096 each) showing the variant of the
//                        pattern that is not shown now (so 1 after the start, 0 after 'r');
//                        clients that asked for the desktop-size pseudo-encoding are told
//   paint X Y W H RRGGBB fills the rectangle (clipped to the desktop) and marks it modified
//   bad-message          a server message of the unknown type 0xEE to every client
//   close                closes every client's connection
//   quit                 closes every connection and exits with 0
// bell, cut and bad-message go to the clients whose handshake is over (those that logged their
// "init" line): bytes in the middle of a handshake would only garble it. A command that cannot be
// understood is reported on standard error and changes nothing.
#include "pattern.h"
#include "pattern_server_log.h"

#include <rfb/rfb.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

namespace {

int forcedEncoding = -1000;
char* password[2] = {nullptr, nullptr};
int shownVariant = 0;
bool quitRequested = false;

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

void Resize(rfbScreenInfoPtr screen, int width, int height, int variant) {
    char* old = screen->frameBuffer;
    rfbNewFramebuffer(screen, MakeFramebuffer(width, height, variant), width, height, 8, 3, 4);
    std::free(old);
    shownVariant = variant;
}

void Display(rfbClientPtr client) {
    if (forcedEncoding != -1000) {
        client->preferredEncoding = forcedEncoding;
    }
}

void KeyAction(rfbBool down, rfbKeySym key, rfbClientPtr client) {
    if (!down) {
        return;
    }
    rfbScreenInfoPtr screen = client->screen;
    if (key == 'c') {
        // Destination (10, 10)-(210, 110) from 5 left and 7 up of it.
        rfbDoCopyRect(screen, 10, 10, 210, 110, 5, 7);
    } else if (key == 'r') {
        Resize(screen, 320, 200, 1);
    }
}

void SendToClients(rfbScreenInfoPtr screen, const std::string& message) {
    rfbClientIteratorPtr clients = rfbGetClientIterator(screen);
    while (rfbClientPtr client = rfbClientIteratorNext(clients)) {
        if (client->state == rfbClientRec::RFB_NORMAL &&
            rfbWriteExact(client, message.data(), static_cast<int>(message.size())) < 0) {
            rfbCloseClient(client);
        }
    }
    rfbReleaseClientIterator(clients);
}

std::string CutTextMessage(const std::string& text) {
    std::string message{rfbServerCutText, 0, 0, 0};
    auto length = static_cast<std::uint32_t>(text.size());
    for (int shift : {24, 16, 8, 0}) {
        message += static_cast<char>(length >> shift);
    }
    return message + text;
}

// Reads the whole of in as numbers and returns true when every one was there and nothing
// followed them.
template <typename... Values>
bool ReadAll(std::istringstream& in, Values&... values) {
    (in >> ... >> values);
    return !in.fail() && (in >> std::ws).eof();
}

bool Paint(rfbScreenInfoPtr screen, std::istringstream& arguments) {
    int x, y, width, height;
    std::string colour;
    if (!ReadAll(arguments, x, y, width, height, colour) || colour.size() != 6 ||
        colour.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos || width < 0 ||
        height < 0) {
        return false;
    }
    unsigned long rgb = std::strtoul(colour.c_str(), nullptr, 16);
    long left = std::max(x, 0), top = std::max(y, 0);
    long right = std::min(static_cast<long>(x) + width, static_cast<long>(screen->width));
    long bottom = std::min(static_cast<long>(y) + height, static_cast<long>(screen->height));
    for (long row = top; row < bottom; ++row) {
        for (long column = left; column < right; ++column) {
            char* p = screen->frameBuffer + (row * screen->width + column) * 4;
            p[0] = static_cast<char>(rgb >> 16);
            p[1] = static_cast<char>(rgb >> 8);
            p[2] = static_cast<char>(rgb);
        }
    }
    if (left < right && top < bottom) {
        rfbMarkRectAsModified(screen, static_cast<int>(left), static_cast<int>(top),
                              static_cast<int>(right), static_cast<int>(bottom));
    }
    return true;
}

bool RunCommand(rfbScreenInfoPtr screen, const std::string& line) {
    std::istringstream arguments(line);
    std::string command;
    arguments >> command;
    if (command == "bell") {
        SendToClients(screen, std::string(1, static_cast<char>(rfbBell)));
    } else if (command == "cut") {
        std::size_t start = line.find("cut") + 3;
        start += start < line.size() && line[start] == ' ';
        SendToClients(screen, CutTextMessage(UnescapeText(line.substr(start))));
    } else if (command == "resize") {
        int width, height;
        if (!ReadAll(arguments, width, height) || width < 1 || height < 1 || width > 4096 ||
            height > 4096) {
            return false;
        }
        Resize(screen, width, height, 1 - shownVariant);
    } else if (command == "paint") {
        return Paint(screen, arguments);
    } else if (command == "bad-message") {
        SendToClients(screen, std::string(1, '\xEE'));
    } else if (command == "close") {
        rfbClientIteratorPtr clients = rfbGetClientIterator(screen);
        while (rfbClientPtr client = rfbClientIteratorNext(clients)) {
            rfbCloseClient(client);
        }
        rfbReleaseClientIterator(clients);
    } else if (command == "quit") {
        quitRequested = true;
    } else {
        return false;
    }
    return true;
}

// Runs the whole lines that have arrived on the control pipe.
void ReadControl(rfbScreenInfoPtr screen, int control, std::string& pending) {
    char buffer[4096];
    ssize_t count;
    while ((count = ::read(control, buffer, sizeof buffer)) > 0) {
        pending.append(buffer, static_cast<std::size_t>(count));
    }
    std::size_t end;
    while (!quitRequested && (end = pending.find('\n')) != std::string::npos) {
        std::string line = pending.substr(0, end);
        pending.erase(0, end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty() && !RunCommand(screen, line)) {
            std::fprintf(stderr, "pattern_server: cannot run \"%s\"\n", line.c_str());
        }
    }
}

int OpenControl(const char* path) {
    if (::mkfifo(path, 0600) != 0 && errno != EEXIST) {
        return -1;
    }
    // Open for writing too, so that the pipe never reads as ended while no one writes to it.
    return ::open(path, O_RDWR | O_NONBLOCK | O_CLOEXEC);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc % 2 != 0) {
        std::fprintf(stderr,
                     "usage: pattern_server PORT [--password P] [--encoding N] [--size WxH] "
                     "[--log FILE] [--control FIFO]\n");
        return 2;
    }
    int port = std::atoi(argv[1]);
    int width = 640, height = 480;
    const char* logPath = nullptr;
    const char* controlPath = nullptr;
    for (int i = 2; i + 1 < argc; i += 2) {
        std::string option = argv[i];
        if (option == "--password") {
            password[0] = argv[i + 1];
        } else if (option == "--encoding") {
            forcedEncoding = std::atoi(argv[i + 1]);
        } else if (option == "--size") {
            std::sscanf(argv[i + 1], "%dx%d", &width, &height);
        } else if (option == "--log") {
            logPath = argv[i + 1];
        } else if (option == "--control") {
            controlPath = argv[i + 1];
        }
    }
    if (logPath != nullptr && !OpenMessageLog(logPath)) {
        std::fprintf(stderr, "pattern_server: cannot write %s\n", logPath);
        return 2;
    }
    int control = controlPath != nullptr ? OpenControl(controlPath) : -1;
    if (controlPath != nullptr && control < 0) {
        std::fprintf(stderr, "pattern_server: cannot open %s: %s\n", controlPath,
                     std::strerror(errno));
        return 2;
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
    screen->desktopName = "pattern";
    InstallMessageLog(screen, KeyAction);
    if (password[0] != nullptr) {
        screen->authPasswdData = password;
        screen->passwordCheck = rfbCheckPasswordByList;
    }
    rfbLogEnable(0);
    rfbInitServer(screen);
    if (screen->listenSock == RFB_INVALID_SOCKET) {
        std::fprintf(stderr, "pattern_server: cannot listen on 127.0.0.1:%d\n", port);
        return 1;
    }
    std::printf("listening on 127.0.0.1:%d\n", port);
    std::fflush(stdout);
    std::string pending;
    while (!quitRequested) {
        rfbProcessEvents(screen, 10000);
        if (control >= 0) {
            ReadControl(screen, control, pending);
        }
    }
    rfbShutdownServer(screen, TRUE);
    char* framebuffer = screen->frameBuffer;
    rfbScreenCleanup(screen);
    std::free(framebuffer);
    return 0;
}
