// Reading the pattern server's log up to a mark: a viewer's messages reach the log in the order
// it sent them, so a text of the test's own, sent last through the viewer as cut text (the device
// clipboard goes to the server whenever the viewer comes to the front), ends everything the viewer
// sent before it, and a test can tell that nothing more came without waiting for a while.
#pragma once

#include <platform/clipboard.h>
#include <platform/text.h>
#include <viewer/viewer_window.h>

#include <cstring>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "pattern_server_process.h"

// The lines that start with prefix.
inline std::vector<std::string> Starting(const std::optional<std::vector<std::string>>& lines,
                                         const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& line : lines.value_or(std::vector<std::string>{})) {
        if (line.rfind(prefix, 0) == 0) {
            found.push_back(line);
        }
    }
    return found;
}

// The log's lines from index from on that start with prefix, up to a mark the viewer sends now.
inline std::vector<std::string> LinesUpToMark(const PatternServerProcess& server,
                                              ViewerWindow& viewer, std::size_t from,
                                              const std::string& prefix) {
    static int marks = 0;
    std::string mark = "mark " + std::to_string(++marks);
    std::u16string text = Utf8ToUtf16(mark);
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        std::size_t bytes = (text.size() + 1) * sizeof(char16_t);
        HLOCAL block = LocalAlloc(LMEM_FIXED, bytes);
        std::memcpy(block, text.c_str(), bytes);
        SetClipboardData(CF_UNICODETEXT, block);
        CloseClipboard();
    }
    SendMessageW(viewer.Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
    std::optional<std::vector<std::string>> lines = server.LinesBefore("cut " + mark, from);
    EXPECT_TRUE(lines) << "the mark never came";
    return Starting(lines, prefix);
}
