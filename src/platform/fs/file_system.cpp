// The device file system over a host folder: "\A\B" is <home>/device/A/B.
#include <platform/boot.h>
#include <platform/fs.h>
#include <platform/text.h>
#include <platform_internal/handles.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>

namespace {

constexpr char16_t kModulePath[] = u"\\Program Files\\Tavrel\\Tavrel.exe";

// Host path for a device path; none for a path that could leave the root (".." and the like).
std::optional<std::string> HostPath(LPCWSTR devicePath) {
    if (devicePath == nullptr || devicePath[0] == 0) {
        return std::nullopt;
    }
    std::string host = DeviceRoot();
    std::u16string component;
    auto flush = [&]() -> bool {
        if (component.empty()) {
            return true;
        }
        if (component == u"." || component == u"..") {
            return false;
        }
        host += '/';
        host += Utf16ToUtf8(component);
        component.clear();
        return true;
    };
    for (const WCHAR* p = devicePath; *p != 0; ++p) {
        if (*p == u'\\' || *p == u'/') {
            if (!flush()) {
                return std::nullopt;
            }
        } else {
            component += *p;
        }
    }
    if (!flush()) {
        return std::nullopt;
    }
    return host;
}

// Open files by host path, for the share-mode rules.
struct OpenFile {
    DWORD access;
    DWORD share;
};
std::mutex openMutex;
std::multimap<std::string, OpenFile>& OpenFiles() {
    static auto* files = new std::multimap<std::string, OpenFile>;
    return *files;
}

class FileObject : public KernelObject {
  public:
    FileObject(int fd, std::multimap<std::string, OpenFile>::iterator entry)
        : fd_(fd), entry_(entry) {}
    ~FileObject() override {
        ::close(fd_);
        std::lock_guard lock(openMutex);
        OpenFiles().erase(entry_);
    }
    int Fd() const { return fd_; }

  private:
    int fd_;
    std::multimap<std::string, OpenFile>::iterator entry_;
};

bool SharingConflicts(const std::string& path, DWORD access, DWORD share) {
    auto range = OpenFiles().equal_range(path);
    for (auto it = range.first; it != range.second; ++it) {
        const OpenFile& other = it->second;
        if (((access & GENERIC_READ) && !(other.share & FILE_SHARE_READ)) ||
            ((access & GENERIC_WRITE) && !(other.share & FILE_SHARE_WRITE)) ||
            ((other.access & GENERIC_READ) && !(share & FILE_SHARE_READ)) ||
            ((other.access & GENERIC_WRITE) && !(share & FILE_SHARE_WRITE))) {
            return true;
        }
    }
    return false;
}

DWORD ErrorFromErrno(int error) {
    switch (error) {
        case ENOENT:
            return ERROR_FILE_NOT_FOUND;
        case ENOTDIR:
            return ERROR_PATH_NOT_FOUND;
        case EEXIST:
            return ERROR_FILE_EXISTS;
        case EACCES:
        case EPERM:
        case EISDIR:
            return ERROR_ACCESS_DENIED;
        default:
            return ERROR_WRITE_FAULT;
    }
}

// The program's folder exists on the device; made once per home folder, not at every call
// (thumbnail paths ask for the program's path at each paint).
void EnsureProgramFolder() {
    static std::mutex mutex;
    static std::string madeUnder;
    std::string root = DeviceRoot();
    std::lock_guard lock(mutex);
    if (root != madeUnder) {
        std::error_code ignored;
        std::filesystem::create_directories(root + "/Program Files/Tavrel", ignored);
        madeUnder = root;
    }
}

}  // namespace

DWORD GetModuleFileNameW(HMODULE, LPWSTR buffer, DWORD capacity) {
    if (buffer == nullptr || capacity == 0) {
        return 0;
    }
    EnsureProgramFolder();
    lstrcpynW(buffer, kModulePath, static_cast<int>(capacity));
    return static_cast<DWORD>(lstrlenW(buffer));
}

HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES,
                   DWORD disposition, DWORD, HANDLE) {
    std::optional<std::string> host = HostPath(path);
    if (!host) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    int flags = O_CLOEXEC;
    if ((access & GENERIC_READ) && (access & GENERIC_WRITE)) {
        flags |= O_RDWR;
    } else if (access & GENERIC_WRITE) {
        flags |= O_WRONLY;
    } else {
        flags |= O_RDONLY;
    }
    switch (disposition) {
        case CREATE_NEW:
            flags |= O_CREAT | O_EXCL;
            break;
        case CREATE_ALWAYS:
            flags |= O_CREAT | O_TRUNC;
            break;
        case OPEN_EXISTING:
            break;
        case OPEN_ALWAYS:
            flags |= O_CREAT;
            break;
        case TRUNCATE_EXISTING:
            flags |= O_TRUNC;
            break;
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
    }
    std::lock_guard lock(openMutex);
    if (SharingConflicts(*host, access, shareMode)) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return INVALID_HANDLE_VALUE;
    }
    int fd = ::open(host->c_str(), flags, 0644);
    if (fd < 0) {
        SetLastError(ErrorFromErrno(errno));
        return INVALID_HANDLE_VALUE;
    }
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    auto entry = OpenFiles().emplace(*host, OpenFile{access, shareMode});
    return RegisterHandle(std::make_shared<FileObject>(fd, entry));
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD read, LPOVERLAPPED) {
    auto object = LookupHandleAs<FileObject>(file);
    if (read != nullptr) {
        *read = 0;
    }
    if (!object || (buffer == nullptr && count != 0)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    DWORD total = 0;
    while (total < count) {
        ssize_t n = ::read(object->Fd(), static_cast<char*>(buffer) + total, count - total);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            SetLastError(ErrorFromErrno(errno));
            return FALSE;
        }
        if (n == 0) {
            break;
        }
        total += static_cast<DWORD>(n);
    }
    if (read != nullptr) {
        *read = total;
    }
    return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD count, LPDWORD written, LPOVERLAPPED) {
    auto object = LookupHandleAs<FileObject>(file);
    if (written != nullptr) {
        *written = 0;
    }
    if (!object || (buffer == nullptr && count != 0)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    DWORD total = 0;
    while (total < count) {
        ssize_t n = ::write(object->Fd(), static_cast<const char*>(buffer) + total, count - total);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            SetLastError(ErrorFromErrno(errno));
            if (written != nullptr) {
                *written = total;
            }
            return FALSE;
        }
        total += static_cast<DWORD>(n);
    }
    if (written != nullptr) {
        *written = total;
    }
    return TRUE;
}

DWORD GetFileSize(HANDLE file, LPDWORD high) {
    auto object = LookupHandleAs<FileObject>(file);
    struct stat info {};
    if (!object || ::fstat(object->Fd(), &info) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_FILE_SIZE;
    }
    auto size = static_cast<std::uint64_t>(info.st_size);
    if (high != nullptr) {
        *high = static_cast<DWORD>(size >> 32);
    }
    return static_cast<DWORD>(size & 0xFFFFFFFFu);
}

BOOL DeleteFileW(LPCWSTR path) {
    std::optional<std::string> host = HostPath(path);
    if (!host) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    std::lock_guard lock(openMutex);
    if (OpenFiles().count(*host) != 0) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return FALSE;
    }
    if (::unlink(host->c_str()) != 0) {
        SetLastError(ErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}
