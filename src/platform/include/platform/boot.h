// The host side of the platform: where the device keeps its files.
#pragma once

#include <string>

// The home folder holds registry.reg and device/ (the root of the device file system). Chosen in
// this order: SetPlatformHome, the TAVREL_HOME variable, $XDG_CONFIG_HOME/tavrel, ~/.config/tavrel.
void SetPlatformHome(const std::string& folder);
std::string PlatformHome();
// Host path of the device file system's root folder: <home>/device.
std::string DeviceRoot();
