// The device clipboard as the host's bridge to the desktop clipboard sees it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The count of the clipboard's changes, and its text (none when it holds no CF_UNICODETEXT) when
// text is not null.
std::uint64_t ReadDeviceClipboard(std::optional<std::u16string>* text);
enum class ClipboardWrite { Written, Busy, Changed };
// Puts text on the clipboard as its new content, if its count of changes is still expected, and
// sets serial to the new count: Written. Busy while a program has the clipboard open; Changed when
// a newer change came first (that one stands).
ClipboardWrite WriteDeviceClipboard(const std::u16string& text, std::uint64_t expected,
                                    std::uint64_t* serial);
