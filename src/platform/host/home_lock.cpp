#include <platform_internal/home_lock.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

long ReadOwner(int fd) {
    char text[32] = {};
    ssize_t got = ::pread(fd, text, sizeof text - 1, 0);
    return got > 0 ? std::strtol(text, nullptr, 10) : 0;
}

void WriteOwner(int fd) {
    std::string text = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd, 0) == 0) {
        // Only a hint for the message a second process prints; the lock itself is what counts.
        [[maybe_unused]] ssize_t written = ::pwrite(fd, text.data(), text.size(), 0);
    }
}

void WarnUnguarded(const std::string& path, const char* what) {
    std::fprintf(stderr,
                 "tavrel: cannot %s %s (%s); nothing keeps a second tavrel from using the same "
                 "home folder\n",
                 what, path.c_str(), std::strerror(errno));
}

}  // namespace

HomeLock::HomeLock(const std::string& home) {
    std::error_code ignored;
    std::filesystem::create_directories(home, ignored);
    std::string path = home + "/instance.lock";
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    bool writable = fd_ >= 0;
    if (fd_ < 0 && errno != ENOENT) {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);  // flock needs no write
    }
    if (fd_ < 0) {
        WarnUnguarded(path, "open");
        return;
    }
    int result;
    do {
        result = ::flock(fd_, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0 && errno != EWOULDBLOCK) {
        WarnUnguarded(path, "lock");
        return;
    }
    if (result != 0) {
        owned_ = false;
        ownerProcess_ = ReadOwner(fd_);
        ::close(fd_);
        fd_ = -1;
        return;
    }
    if (writable) {
        WriteOwner(fd_);
    }
}

HomeLock::~HomeLock() {
    if (fd_ >= 0) {
        ::close(fd_);  // releases the lock
    }
}
