// The "Password" dialog that asks for a server's password when its settings keep none.
#pragma once

#include <platform/window.h>

class PasswordPrompt {
  public:
    // True when the user confirmed with OK; destination then holds at most capacity - 1
    // characters and the terminator.
    static bool Run(HWND owner, LPWSTR destination, int capacity);
};
