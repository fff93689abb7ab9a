// Switches of the platform that only the testing library turns (platform_testing/test_switches.h).
#pragma once

#include <functional>
#include <string>

// While on, the three Connection Manager calls fail (as when the device has no network).
void SetConnectionManagerFailing(bool fail);
// Every debug string is passed to the sink as well (nullptr: none).
void SetDebugOutputCopy(std::function<void(const std::u16string&)> sink);
