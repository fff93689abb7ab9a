// Stands in for the host while it lives and notes when the composed screen it is handed first
// shows a colour at a point: for tests of how soon something drawn reaches the screen while the
// user-interface thread waits in its own loop.
#pragma once

#include <platform/window.h>

#include <chrono>
#include <memory>

class ShownScreenWatch {
  public:
    ShownScreenWatch(POINT at, COLORREF colour);
    ~ShownScreenWatch();
    ShownScreenWatch(const ShownScreenWatch&) = delete;
    ShownScreenWatch& operator=(const ShownScreenWatch&) = delete;

    // Any thread: true once the colour was shown, waiting up to timeoutMilliseconds for it.
    bool WaitShown(int timeoutMilliseconds);
    // When it was first shown (valid after WaitShown returned true).
    std::chrono::steady_clock::time_point ShownAt() const;

  private:
    class Host;
    std::unique_ptr<Host> host_;
};
