// What the tests that drive windows share: a window class of their own, registered once per
// process, and the folder their screenshots go to.
#pragma once

#include <platform/gdi.h>
#include <platform/window.h>

#include <cstdlib>
#include <set>
#include <string>

// Registers the class name with procedure and background (none: the window paints all of
// itself) the first time it is asked for; true once the class exists.
inline bool RegisterTestClass(const WCHAR* name, WNDPROC procedure, HBRUSH background = nullptr) {
    static std::set<std::u16string> registered;
    if (registered.count(name) != 0) {
        return true;
    }
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.lpszClassName = name;
    windowClass.hbrBackground = background;
    if (RegisterClassW(&windowClass) == 0) {
        return false;
    }
    registered.insert(name);
    return true;
}

inline HBRUSH WhiteBackground() {
    return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
}

// Where a test writes the screenshot name: the folder $TAVREL_SCREENSHOTS, else the current one.
inline std::string ScreenshotPath(const std::string& name) {
    const char* folder = std::getenv("TAVREL_SCREENSHOTS");
    return std::string(folder != nullptr ? folder : ".") + "/" + name;
}
