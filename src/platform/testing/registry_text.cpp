#include <platform_testing/registry_text.h>

#include "registry_file.h"

bool RewriteRegistryText(std::string_view text, std::string* rewritten, std::string* error) {
    RegistryRoots roots;
    std::string reason;
    if (!ParseRegistry(text, roots, reason)) {
        if (error != nullptr) {
            *error = reason;
        }
        return false;
    }
    if (rewritten != nullptr) {
        *rewritten = SerializeRegistry(roots);
    }
    return true;
}
