// A clipper: remembers the window that blits onto the screen are meant for.
#pragma once

#include "ref_counted.h"

#include <platform/ddraw.h>

#include <atomic>

class Clipper final : public RefCounted<IDirectDrawClipper> {
  public:
    explicit Clipper(IDirectDraw* owner);
    ~Clipper() override;
    HRESULT SetHWnd(DWORD flags, HWND window) override;
    HRESULT GetHWnd(HWND* window) override;
    HWND Window() const { return window_.load(); }

  private:
    IDirectDraw* owner_;
    std::atomic<HWND> window_{nullptr};
};
