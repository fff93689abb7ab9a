// Feeds arbitrary command lines (arguments separated by NUL bytes) to tavrel-snapshot's parser:
// whatever it accepts must be a usable set of options.
#include "snapshot_options.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> arguments(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            arguments.emplace_back();
        } else {
            arguments.back().push_back(static_cast<char>(data[i]));
        }
    }
    SnapshotOptions options;
    std::string error;
    if (!ParseSnapshotOptions(arguments, options, error)) {
        if (error.empty()) {
            std::abort();  // a refusal always says why
        }
        return 0;
    }
    bool bppKnown =
        options.bitsPerPixel == 8 || options.bitsPerPixel == 16 || options.bitsPerPixel == 32;
    if (!bppKnown || options.port < 1 || options.port > 65535 || options.timeoutSeconds < 1 ||
        options.host.empty() || options.output.empty()) {
        std::abort();
    }
    for (int encoding : options.encodings) {
        bool known = encoding == 0 || encoding == 1 || encoding == 2 || encoding == 4 ||
                     encoding == 5 || encoding == -239 || encoding == -223;
        if (!known) {
            std::abort();
        }
    }
    return 0;
}
