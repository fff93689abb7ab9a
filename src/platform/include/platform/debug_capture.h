// Lets tests see what the program writes with OutputDebugStringW.
#pragma once

#include <functional>
#include <string>

// Every debug string is passed to the sink as well (nullptr: none). Not for production use.
void SetDebugOutputSink(std::function<void(const std::u16string&)> sink);
