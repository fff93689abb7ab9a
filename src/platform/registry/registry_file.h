// The registry's text file: a header line, one "[root\key\...]" line per key in tree order
// (parents before children, siblings in creation order), each followed by its values as
// "name"=dword:xxxxxxxx, "name"="text", "name"=hex:.. or "name"=hex(type):.., and a trailer
// line "; end: N keys" whose count proves the file is complete.
#pragma once

#include "registry_tree.h"

#include <string>
#include <string_view>

struct RegistryRoots {
    std::shared_ptr<RegistryKey> currentUser = std::make_shared<RegistryKey>(u"HKEY_CURRENT_USER");
    std::shared_ptr<RegistryKey> localMachine =
        std::make_shared<RegistryKey>(u"HKEY_LOCAL_MACHINE");
};

std::string SerializeRegistry(const RegistryRoots& roots);
// Fills roots from text; false with a reason ("line 4: ...") when the text is not a complete,
// well-formed registry file.
bool ParseRegistry(std::string_view text, RegistryRoots& roots, std::string& error);
