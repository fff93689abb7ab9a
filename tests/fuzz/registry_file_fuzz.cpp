// Feeds arbitrary text to the registry file's reader; whatever it reads must write back to text
// that reads to the same file again.
#include <platform_testing/registry_text.h>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string written;
    if (!RewriteRegistryText(text, &written, nullptr)) {
        return 0;
    }
    std::string again;
    if (!RewriteRegistryText(written, &again, nullptr) || again != written) {
        std::abort();
    }
    return 0;
}
