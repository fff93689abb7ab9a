#include <platform/core.h>
#include <platform_internal/test_hooks.h>
#include <platform/text.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

std::mutex sinkMutex;
std::function<void(const std::u16string&)>& Sink() {
    static auto* sink = new std::function<void(const std::u16string&)>;
    return *sink;
}

}  // namespace

void SetDebugOutputCopy(std::function<void(const std::u16string&)> sink) {
    std::lock_guard lock(sinkMutex);
    Sink() = std::move(sink);
}

void OutputDebugStringW(LPCWSTR text) {
    if (text == nullptr) {
        return;
    }
    std::u16string message(text);
    {
        std::lock_guard lock(sinkMutex);
        if (Sink()) {
            Sink()(message);
        }
    }
    static const bool toStderr = std::getenv("TAVREL_DEBUG") != nullptr;
    if (toStderr) {
        std::string utf8 = Utf16ToUtf8(message);
        std::fwrite(utf8.data(), 1, utf8.size(), stderr);
        std::fflush(stderr);
    }
}
