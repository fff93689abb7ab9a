#include <platform/boot.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>

namespace {

std::mutex homeMutex;
std::string& ChosenHome() {
    static auto* home = new std::string;
    return *home;
}

std::string DefaultHome() {
    if (const char* home = std::getenv("TAVREL_HOME"); home != nullptr && *home != 0) {
        return home;
    }
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config != 0) {
        return std::string(config) + "/tavrel";
    }
    const char* user = std::getenv("HOME");
    return std::string(user != nullptr && *user != 0 ? user : ".") + "/.config/tavrel";
}

}  // namespace

void SetPlatformHome(const std::string& folder) {
    std::lock_guard lock(homeMutex);
    ChosenHome() = folder;
}

std::string PlatformHome() {
    std::lock_guard lock(homeMutex);
    if (ChosenHome().empty()) {
        ChosenHome() = DefaultHome();
    }
    return ChosenHome();
}

std::string DeviceRoot() {
    return PlatformHome() + "/device";
}
