// Small file helpers for tests.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

// The whole file; empty when it cannot be read.
inline std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream contents;
    contents << file.rdbuf();
    return contents.str();
}
