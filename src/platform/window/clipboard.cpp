// The clipboard: one text block, opened by one thread at a time; and local memory blocks.
#include <platform/clipboard.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

struct Clipboard {
    std::mutex mutex;
    bool open = false;
    std::thread::id openedBy;
    HANDLE text = nullptr;
};

Clipboard& TheClipboard() {
    static auto* clipboard = new Clipboard;
    return *clipboard;
}

bool OpenedHere(const Clipboard& clipboard) {
    return clipboard.open && clipboard.openedBy == std::this_thread::get_id();
}

}  // namespace

HLOCAL LocalAlloc(UINT flags, std::size_t bytes) {
    void* block = (flags & LMEM_ZEROINIT) != 0 ? std::calloc(bytes == 0 ? 1 : bytes, 1)
                                               : std::malloc(bytes == 0 ? 1 : bytes);
    return block;
}

HLOCAL LocalFree(HLOCAL block) {
    std::free(block);
    return nullptr;
}

BOOL OpenClipboard(HWND) {
    Clipboard& clipboard = TheClipboard();
    std::lock_guard lock(clipboard.mutex);
    if (clipboard.open) {
        return FALSE;
    }
    clipboard.open = true;
    clipboard.openedBy = std::this_thread::get_id();
    return TRUE;
}

BOOL CloseClipboard() {
    Clipboard& clipboard = TheClipboard();
    std::lock_guard lock(clipboard.mutex);
    if (!OpenedHere(clipboard)) {
        return FALSE;
    }
    clipboard.open = false;
    return TRUE;
}

BOOL EmptyClipboard() {
    Clipboard& clipboard = TheClipboard();
    std::lock_guard lock(clipboard.mutex);
    if (!OpenedHere(clipboard)) {
        return FALSE;
    }
    LocalFree(clipboard.text);
    clipboard.text = nullptr;
    return TRUE;
}

HANDLE SetClipboardData(UINT format, HANDLE data) {
    Clipboard& clipboard = TheClipboard();
    std::lock_guard lock(clipboard.mutex);
    if (!OpenedHere(clipboard) || format != CF_UNICODETEXT || data == nullptr) {
        return nullptr;
    }
    if (clipboard.text != data) {
        LocalFree(clipboard.text);
        clipboard.text = data;
    }
    return data;
}

HANDLE GetClipboardData(UINT format) {
    Clipboard& clipboard = TheClipboard();
    std::lock_guard lock(clipboard.mutex);
    return OpenedHere(clipboard) && format == CF_UNICODETEXT ? clipboard.text : nullptr;
}

BOOL IsClipboardFormatAvailable(UINT format) {
    Clipboard& clipboard = TheClipboard();
    std::lock_guard lock(clipboard.mutex);
    return format == CF_UNICODETEXT && clipboard.text != nullptr;
}
