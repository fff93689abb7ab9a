// Feeds arbitrary text to the registry file's parser; whatever parses must write back to text
// that parses to the same file again.
#include <cstdlib>

#include "registry_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    RegistryRoots roots;
    std::string error;
    if (!ParseRegistry(text, roots, error)) {
        return 0;
    }
    std::string written = SerializeRegistry(roots);
    RegistryRoots again;
    if (!ParseRegistry(written, again, error) || SerializeRegistry(again) != written) {
        std::abort();
    }
    return 0;
}
