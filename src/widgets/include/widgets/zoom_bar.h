// ZoomBar: the tool bar whose content is a trackbar for the zoom level in percent. The trackbar is
// hidden while the bar is collapsed and fills the content when it is expanded; its movements go
// to a ZoomBarListener.
#pragma once

#include <widgets/toolbar_widget.h>
#include <widgets/zoom_bar_listener.h>

class ZoomBar : public ToolbarWidget {
  public:
    // Handle bitmaps 137 to 140; the trackbar is made hidden, as the bar starts collapsed.
    explicit ZoomBar(HWND owner);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void SetVertical(bool vertical) override;
    void SetExpanded(bool expanded) override;
    void Relayout() override;

    void SetListener(ZoomBarListener* listener) { listener_ = listener; }
    // The range, its minimum at least 1 (a position is a zoom in percent, never 0), and one tick.
    void SetRange(int min, int max, int tick);
    void SetPosition(int position);
    int GetPosition() const;

    HWND Trackbar() const { return trackbar_; }

  private:
    // Places the trackbar over the content rectangle, or hides it while there is none.
    void PlaceTrackbar();

    HWND trackbar_ = nullptr;
    ZoomBarListener* listener_ = nullptr;
};
