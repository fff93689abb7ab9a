// CreateProcessW: the help viewer. Every start is recorded; under a host that can show the
// desktop's browser, the help file (copied next to the program on first use) opens there.
#include <platform_internal/host_backend.h>
#include <platform_internal/started_processes.h>

#include <platform/boot.h>
#include <platform/process.h>
#include <platform/text.h>

#include <spawn.h>
#include <sys/wait.h>
#include <filesystem>
#include <mutex>
#include <thread>

extern char** environ;

namespace {

std::mutex startedMutex;
std::vector<std::u16string> started;

// file:NAME#Topic -> the host file next to the program, and the anchor.
bool HelpTarget(const std::u16string& commandLine, std::string& url) {
    const std::u16string prefix = u"file:";
    if (commandLine.rfind(prefix, 0) != 0) {
        return false;
    }
    std::u16string rest = commandLine.substr(prefix.size());
    std::size_t hash = rest.find(u'#');
    std::string name = Utf16ToUtf8(rest.substr(0, hash));
    std::string anchor = hash == std::u16string::npos ? "" : Utf16ToUtf8(rest.substr(hash + 1));
    if (name.empty() || name.find('/') != std::string::npos ||
        name.find('\\') != std::string::npos || name.find("..") != std::string::npos) {
        return false;
    }
    std::filesystem::path folder = std::filesystem::path(DeviceRoot()) / "Program Files" / "Tavrel";
    std::filesystem::path file = folder / name;
    std::error_code error;
#ifdef TAVREL_HELP_SOURCE
    if (!std::filesystem::exists(file, error) && name == "Tavrel.htm") {
        std::filesystem::create_directories(folder, error);
        std::filesystem::copy_file(TAVREL_HELP_SOURCE, file, error);
    }
#endif
    url = "file://" + file.string() + (anchor.empty() ? "" : "#" + anchor);
    return std::filesystem::exists(file, error);
}

void OpenInBrowser(const std::string& url) {
    std::thread([url] {
        const char* arguments[] = {"xdg-open", url.c_str(), nullptr};
        pid_t child = 0;
        if (posix_spawnp(&child, "xdg-open", nullptr, nullptr, const_cast<char**>(arguments),
                         environ) == 0) {
            int status = 0;
            waitpid(child, &status, 0);
        }
    }).detach();
}

}  // namespace

BOOL CreateProcessW(LPCWSTR application, LPWSTR commandLine, LPSECURITY_ATTRIBUTES,
                    LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID, LPCWSTR, STARTUPINFOW*,
                    PROCESS_INFORMATION* information) {
    if (information != nullptr) {
        *information = PROCESS_INFORMATION{};
    }
    if (application == nullptr || lstrcmpiW(application, u"peghelp.exe") != 0) {
        return FALSE;
    }
    std::u16string line = commandLine != nullptr ? commandLine : u"";
    {
        std::lock_guard lock(startedMutex);
        started.push_back(std::u16string(application) + u"|" + line);
    }
    std::string url;
    HostBackend* host = CurrentHostBackend();
    if (host != nullptr && host->ShowsDesktopViewers() && HelpTarget(line, url)) {
        OpenInBrowser(url);
    }
    return TRUE;
}

std::vector<std::u16string> StartedProcesses() {
    std::lock_guard lock(startedMutex);
    return started;
}

void ClearStartedProcesses() {
    std::lock_guard lock(startedMutex);
    started.clear();
}
