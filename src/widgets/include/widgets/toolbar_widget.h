// ToolbarWidget: a bordered pop-up tool bar owned by another window, docked to an edge of the
// owner's client area in a numbered row (a column for vertical bars), with a handle at its start.
// A pen-down on the handle expands the bar to show its content or collapses it back to the handle.
// The bar never takes activation from its owner, and keeps its own place when the screen turns.
#pragma once

#include <widgets/client_window.h>

#include <array>

class ToolbarWidget : public ClientWindow {
  public:
    // Handle bitmap resources: horizontal bar with 32-pixel icons, horizontal bar otherwise,
    // vertical bar with 32-pixel icons, vertical bar otherwise.
    using HandleBitmaps = std::array<UINT, 4>;

    // Creates the bar collapsed, horizontal, docked left in row 0 counted from the top, with the
    // narrow handle, and lays it out over owner.
    ToolbarWidget(HWND owner, const HandleBitmaps& bitmapIds);
    ~ToolbarWidget() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    virtual void SetVertical(bool vertical);
    // flags: 2 = docked at the right (else the left), 1 = rows counted from the bottom (else the
    // top); horizontal bars start at the left or right edge, vertical bars at the top or bottom.
    virtual void SetDocking(int flags);
    // The row (or column), counted from the docking edge; also called to lay the bar out again.
    virtual void SetRow(int row);
    virtual void SetExpanded(bool expanded);
    // The content's length in pixels along the bar; an expanded bar is cut at the far edge.
    virtual void SetContentLength(int length);
    // true: the handle is a quarter of an icon wide (or high), false: half.
    virtual void SetNarrowHandle(bool narrow);
    // Draws the handle: the grip bitmap over the handle, and a separator line when expanded.
    virtual void Paint(HDC dc, const RECT& paintRect);
    // Places the bar over the owner's client area and loads the handle bitmap for its direction.
    virtual void Relayout();
    // On the pen-down: toggles expanded.
    virtual void OnHandleTap(POINT point, bool down);
    virtual void OnContentTap(POINT point, bool down);

    // In the bar's client coordinates: the whole bar while collapsed.
    bool GetHandleRect(RECT* rect) const;
    // In the bar's client coordinates; false (and no rectangle) while collapsed.
    bool GetContentRect(RECT* rect) const;
    // The owner's client length along the bar, less the handle and a border.
    int GetAvailableLength() const;
    // The content's thickness across the bar.
    int GetContentThickness() const;

    // Shows the bar without activating it (the owner stays active), or hides it.
    void Show(bool show);

    bool IsExpanded() const { return expanded_; }
    bool IsHorizontal() const { return horizontal_; }

  protected:
    int HandleWidth() const { return iconWidth_ / handleDivisor_; }
    int HandleHeight() const { return iconHeight_ / handleDivisor_; }
    int Border() const { return border_; }

  private:
    HWND Owner() const;
    void LoadHandleBitmap();

    bool expanded_ = false;
    bool horizontal_ = true;
    bool dockLeft_ = true;
    bool dockTop_ = true;
    int row_ = 0;
    int contentLength_ = 0xFFFFFF;
    int handleDivisor_ = 4;
    HandleBitmaps bitmapIds_;
    HBITMAP handleBitmap_ = nullptr;
    int iconWidth_;
    int iconHeight_;
    int border_;
    int columnPitch_;
    int rowPitch_;
};
