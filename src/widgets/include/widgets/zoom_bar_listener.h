// What the zoom bar reports: every notification of its slider, also while it is being dragged.
#pragma once

#include <platform/types.h>

class ZoomBar;

class ZoomBarListener {
  public:
    // Called on the user-interface thread with the trackbar's WM_HSCROLL / WM_VSCROLL wParam: the
    // TB_ code in the low word (the position in the high word for TB_THUMBTRACK and
    // TB_THUMBPOSITION); the bar's GetPosition gives the slider's position for every code.
    virtual void OnZoomBarScroll(ZoomBar* bar, WPARAM code) = 0;

  protected:
    ~ZoomBarListener() = default;
};
