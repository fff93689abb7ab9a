// The device screen (or part of it) as a PNG file.
#pragma once

#include <string>

// Writes the current device screen; false when the file cannot be written.
bool WriteScreenPng(const std::string& path);
