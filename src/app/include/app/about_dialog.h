// The "About Tavrel" box: the program icon, the product name and the version, laid out for a
// square, tall or wide screen.
#pragma once

#include <platform/window.h>

class AboutDialog {
  public:
    static void Run(HWND owner);
};
