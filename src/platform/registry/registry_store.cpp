#include "registry_store.h"

#include <platform_internal/registry_writes.h>

#include <platform/boot.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::string RegistryPath() {
    return PlatformHome() + "/registry.reg";
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

void SyncFolder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Moves a damaged file aside, keeping it for the user, and says so on stderr.
void SetAside(const std::string& path, const std::string& reason) {
    char stamp[32];
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    std::string aside = path + ".damaged-" + stamp;
    for (int i = 1; std::filesystem::exists(aside); ++i) {
        aside = path + ".damaged-" + stamp + "-" + std::to_string(i);
    }
    if (std::rename(path.c_str(), aside.c_str()) == 0) {
        std::fprintf(stderr,
                     "tavrel: the settings file %s is damaged (%s); it was moved to %s and the "
                     "program starts with empty settings\n",
                     path.c_str(), reason.c_str(), aside.c_str());
    } else {
        std::fprintf(stderr,
                     "tavrel: the settings file %s is damaged (%s) and could not be moved aside "
                     "(%s); the program starts with empty settings\n",
                     path.c_str(), reason.c_str(), std::strerror(errno));
    }
}

}  // namespace

RegistryStore& RegistryStore::Instance() {
    static auto* store = new RegistryStore;  // used until exit, by any thread
    return *store;
}

std::unique_lock<std::mutex> RegistryStore::Acquire() {
    std::unique_lock lock(mutex_);
    if (loadedPath_ != RegistryPath()) {
        LoadLocked();
    }
    return lock;
}

void RegistryStore::Reload() {
    std::lock_guard lock(mutex_);
    loadedPath_.clear();
}

void RegistryStore::LoadLocked() {
    loadedPath_ = RegistryPath();
    roots_ = RegistryRoots();
    std::ifstream file(loadedPath_, std::ios::binary);
    if (!file) {
        if (errno != ENOENT) {
            std::fprintf(stderr, "tavrel: cannot read the settings file %s (%s)\n",
                         loadedPath_.c_str(), std::strerror(errno));
        }
        return;
    }
    std::stringstream content;
    content << file.rdbuf();
    std::string error;
    if (!ParseRegistry(content.str(), roots_, error)) {
        roots_ = RegistryRoots();
        if (refuseWrites_) {
            std::fprintf(stderr,
                         "tavrel: the settings file %s is damaged (%s); it is left as it is for "
                         "the tavrel that owns the home folder\n",
                         loadedPath_.c_str(), error.c_str());
        } else {
            SetAside(loadedPath_, error);
        }
    }
}

void RegistryStore::RefuseWrites() {
    std::lock_guard lock(mutex_);
    refuseWrites_ = true;
}

bool RegistryStore::Persist() {
    if (refuseWrites_) {
        if (!refusalReported_) {
            refusalReported_ = true;
            std::fprintf(stderr,
                         "tavrel: another tavrel owns the home folder %s; this one does not save "
                         "settings there\n",
                         PlatformHome().c_str());
        }
        return false;
    }
    std::string folder = PlatformHome();
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    std::string temporary = loadedPath_ + ".tmp";
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    ::fchmod(fd, 0600);
    bool written = WriteAll(fd, SerializeRegistry(roots_)) && ::fsync(fd) == 0;
    written = (::close(fd) == 0) && written;
    if (!written || std::rename(temporary.c_str(), loadedPath_.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    SyncFolder(folder);
    return true;
}

void RefuseRegistryWrites() {
    RegistryStore::Instance().RefuseWrites();
}
