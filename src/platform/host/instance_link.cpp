#include <platform_internal/instance_link.h>
#include <platform_internal/message_queue.h>
#include <platform_internal/remote_windows.h>
#include <platform_internal/window_manager.h>

#include <platform/core.h>
#include <platform/text.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

namespace {

int listener = -1;
std::thread* server = nullptr;  // never destroyed: exit() must not meet a joinable thread
std::atomic<bool> stopping{false};
std::string linkName;

// An abstract socket name (no file to clean up) derived from the home folder's real path.
sockaddr_un AddressFor(const std::string& home, socklen_t* length) {
    std::error_code error;
    std::string canonical = std::filesystem::weakly_canonical(home, error).string();
    if (error) {
        canonical = home;
    }
    std::string name = "tavrel-" + std::to_string(std::hash<std::string>{}(canonical));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    *length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    return address;
}

// One request and its answer, each a line.
std::string Ask(const std::string& request) {
    socklen_t length;
    sockaddr_un address = AddressFor(linkName, &length);
    int client = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (client < 0) {
        return "";
    }
    timeval timeout{2, 0};
    setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    std::string answer;
    if (connect(client, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
        send(client, (request + "\n").data(), request.size() + 1, MSG_NOSIGNAL) ==
            static_cast<ssize_t>(request.size() + 1)) {
        char buffer[64];
        ssize_t got;
        while (answer.find('\n') == std::string::npos &&
               (got = recv(client, buffer, sizeof buffer, 0)) > 0) {
            answer.append(buffer, static_cast<std::size_t>(got));
        }
    }
    close(client);
    return answer.substr(0, answer.find('\n'));
}

std::string Answer(const std::string& request) {
    if (request.rfind("find ", 0) == 0) {
        std::string rest = request.substr(5);
        std::size_t tab = rest.find('\t');
        if (tab == std::string::npos) {
            return "0";
        }
        std::u16string windowClass = Utf8ToUtf16(rest.substr(0, tab));
        std::u16string title = Utf8ToUtf16(rest.substr(tab + 1));
        HWND found = FindLocalWindow(windowClass.c_str(), title.c_str());
        return std::to_string(reinterpret_cast<std::uintptr_t>(found));
    }
    if (request.rfind("forward ", 0) == 0) {
        std::uintptr_t value = std::strtoull(request.c_str() + 8, nullptr, 10);
        auto* window = reinterpret_cast<HWND>(value & ~std::uintptr_t{1});
        if (!IsWindow(window)) {
            return "no";
        }
        OutputDebugStringW(u"Instance link: another start asked for a window to come forward\r\n");
        RunOnUiThread([window] {
            SetForegroundWindow(
                reinterpret_cast<HWND>(reinterpret_cast<std::uintptr_t>(window) | 1));
        });
        return "ok";
    }
    return "?";
}

void Serve() {
    while (!stopping) {
        int client = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            if (stopping) {
                return;
            }
            continue;
        }
        timeval timeout{2, 0};
        setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        std::string request;
        char buffer[256];
        ssize_t got;
        while (request.size() < 4096 && request.find('\n') == std::string::npos &&
               (got = recv(client, buffer, sizeof buffer, 0)) > 0) {
            request.append(buffer, static_cast<std::size_t>(got));
        }
        std::string answer = Answer(request.substr(0, request.find('\n'))) + "\n";
        send(client, answer.data(), answer.size(), MSG_NOSIGNAL);
        close(client);
    }
}

}  // namespace

bool StartInstanceLink(const std::string& home) {
    linkName = home;
    SetRemoteWindowHooks(RemoteWindowHooks{
        [](const std::u16string& windowClass, const std::u16string& title) -> std::uintptr_t {
            if (listener >= 0) {
                return 0;  // this process serves the link: there is no other
            }
            return std::strtoull(
                Ask("find " + Utf16ToUtf8(windowClass) + "\t" + Utf16ToUtf8(title)).c_str(),
                nullptr, 10);
        },
        [](std::uintptr_t handle) { return Ask("forward " + std::to_string(handle)) == "ok"; }});
    socklen_t length;
    sockaddr_un address = AddressFor(home, &length);
    listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(listener, 4) != 0) {
        if (listener >= 0) {
            close(listener);
        }
        listener = -1;
        return false;  // another process serves this home folder
    }
    stopping = false;
    server = new std::thread(Serve);
    return true;
}

void StopInstanceLink() {
    SetRemoteWindowHooks({});
    if (listener < 0) {
        return;
    }
    stopping = true;
    shutdown(listener, SHUT_RDWR);
    if (server != nullptr) {
        server->join();
        delete server;
        server = nullptr;
    }
    close(listener);
    listener = -1;
}
