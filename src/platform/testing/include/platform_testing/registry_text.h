// The registry file's text format, for tests and fuzzing of its reader.
#pragma once

#include <string>
#include <string_view>

// Reads text as the registry reads its file and writes the tree back as the registry would:
// false with the reader's reason ("line 4: ...") when the text is not a complete, well-formed
// registry file.
bool RewriteRegistryText(std::string_view text, std::string* rewritten, std::string* error);
