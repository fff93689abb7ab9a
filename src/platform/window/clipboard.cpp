// The clipboard: one text block, opened by one thread at a time; and local memory blocks, whose
// sizes are kept so that the clipboard never reads past the end of a block.
#include <platform_internal/device_clipboard.h>

#include <platform/clipboard.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <unordered_map>

namespace {

struct Clipboard {
    std::mutex mutex;
    bool open = false;
    std::thread::id openedBy;
    HANDLE text = nullptr;
    std::uint64_t serial = 0;  // counts the changes of text
};

struct LocalBlocks {
    std::mutex mutex;
    std::unordered_map<HLOCAL, std::size_t> sizes;
};

LocalBlocks& Blocks() {
    static auto* blocks = new LocalBlocks;
    return *blocks;
}

std::size_t BlockSize(HLOCAL block) {
    LocalBlocks& blocks = Blocks();
    std::lock_guard lock(blocks.mutex);
    auto found = blocks.sizes.find(block);
    return found == blocks.sizes.end() ? 0 : found->second;
}

// The text of a block: up to its terminator or its end.
std::u16string TextOf(HANDLE block) {
    std::size_t units = BlockSize(block) / sizeof(char16_t);
    const auto* text = static_cast<const char16_t*>(block);
    std::size_t length = 0;
    while (length < units && text[length] != 0) {
        ++length;
    }
    return std::u16string(text, length);
}

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
    if (block != nullptr) {
        LocalBlocks& blocks = Blocks();
        std::lock_guard lock(blocks.mutex);
        blocks.sizes[block] = bytes;
    }
    return block;
}

HLOCAL LocalFree(HLOCAL block) {
    if (block != nullptr) {
        LocalBlocks& blocks = Blocks();
        std::lock_guard lock(blocks.mutex);
        blocks.sizes.erase(block);
    }
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
    ++clipboard.serial;
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
    ++clipboard.serial;
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

std::uint64_t ReadDeviceClipboard(std::optional<std::u16string>* text) {
    Clipboard& clipboard = TheClipboard();
    std::lock_guard lock(clipboard.mutex);
    if (text != nullptr && clipboard.text == nullptr) {
        text->reset();
    } else if (text != nullptr) {
        *text = TextOf(clipboard.text);
    }
    return clipboard.serial;
}

ClipboardWrite WriteDeviceClipboard(const std::u16string& text, std::uint64_t expected,
                                    std::uint64_t* serial) {
    Clipboard& clipboard = TheClipboard();
    std::lock_guard lock(clipboard.mutex);
    if (clipboard.serial != expected) {
        return ClipboardWrite::Changed;
    }
    HLOCAL block =
        clipboard.open ? nullptr : LocalAlloc(LPTR, (text.size() + 1) * sizeof(char16_t));
    if (block == nullptr) {
        return ClipboardWrite::Busy;
    }
    std::memcpy(block, text.data(), text.size() * sizeof(char16_t));
    LocalFree(clipboard.text);
    clipboard.text = block;
    *serial = ++clipboard.serial;
    return ClipboardWrite::Written;
}
