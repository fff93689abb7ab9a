#include <widgets/toolbar_widget.h>

#include <resources/resources.h>

#include <algorithm>

namespace {

// Layout arithmetic runs in 64 bits, so that no row or content length can overflow it; the
// result is brought back within what a window position can be.
int Clamped(long long value) {
    constexpr long long kLimit = 1 << 30;
    return static_cast<int>(std::clamp(value, -kLimit, kLimit));
}

}  // namespace

ToolbarWidget::ToolbarWidget(HWND owner, const HandleBitmaps& bitmapIds)
    // WS_EX_NOACTIVATE from the start: neither showing the bar nor a tap on it deactivates the
    // owner (a viewer stops drawing while it is inactive).
    : ClientWindow(owner, u"", 0, false, WS_EX_NOACTIVATE),
      bitmapIds_(bitmapIds),
      iconWidth_(GetSystemMetrics(SM_CXICON)),
      iconHeight_(GetSystemMetrics(SM_CYICON)),
      border_(GetSystemMetrics(SM_CXBORDER)),
      columnPitch_(3 * border_ + iconWidth_),
      rowPitch_(3 * border_ + iconHeight_) {
    SetWindowLongW(Handle(), GWL_STYLE, GetWindowLongW(Handle(), GWL_STYLE) | WS_BORDER);
    Relayout();
}

ToolbarWidget::~ToolbarWidget() {
    Destroy();
    if (handleBitmap_ != nullptr) {
        DeleteObject(handleBitmap_);
    }
}

HWND ToolbarWidget::Owner() const {
    return GetWindow(Handle(), GW_OWNER);
}

void ToolbarWidget::SetVertical(bool vertical) {
    horizontal_ = !vertical;
    Relayout();
}

void ToolbarWidget::SetDocking(int flags) {
    dockLeft_ = (flags & 2) == 0;
    dockTop_ = (flags & 1) == 0;
    Relayout();
}

void ToolbarWidget::SetRow(int row) {
    row_ = row;
    Relayout();
}

void ToolbarWidget::SetExpanded(bool expanded) {
    expanded_ = expanded;
    Relayout();
}

void ToolbarWidget::SetContentLength(int length) {
    contentLength_ = length;
    Relayout();
}

void ToolbarWidget::SetNarrowHandle(bool narrow) {
    handleDivisor_ = narrow ? 4 : 2;
    Relayout();
}

void ToolbarWidget::Relayout() {
    HWND owner = Owner();
    RECT area;
    if (owner == nullptr || !GetClientRect(owner, &area)) {
        return;
    }
    const long long left = area.left, top = area.top, right = area.right, bottom = area.bottom;
    const long long b = border_, content = contentLength_;
    long long x0, y0, x1, y1;
    if (horizontal_) {
        long long rowTop = dockTop_ ? top + row_ * static_cast<long long>(rowPitch_)
                                    : bottom - (row_ + 1LL) * rowPitch_;
        y0 = rowTop + b;
        y1 = y0 + iconHeight_ + 2 * b;
        if (dockLeft_) {
            x0 = left;
            x1 = left + HandleWidth() + 2 * b;
            if (expanded_) {
                x1 = std::min(x1 + content + 2 * b, right - b);
            }
        } else {
            x1 = right;
            x0 = right - 2 * b - HandleWidth();
            if (expanded_) {
                x0 = std::max(x0 - 2 * b - content, left + b);
            }
        }
    } else {
        long long columnLeft = dockLeft_ ? left + row_ * static_cast<long long>(columnPitch_)
                                         : right - (row_ + 1LL) * columnPitch_;
        x0 = columnLeft + b;
        x1 = x0 + iconWidth_ + 2 * b;
        if (dockTop_) {
            y0 = top;
            y1 = top + HandleHeight() + 2 * b;
            if (expanded_) {
                y1 = std::min(y1 + content + 2 * b, bottom - b);
            }
        } else {
            y1 = bottom;
            y0 = bottom - 2 * b - HandleHeight();
            if (expanded_) {
                y0 = std::max(y0 - 2 * b - content, top + b);
            }
        }
    }
    POINT from{Clamped(x0), Clamped(y0)}, to{Clamped(x1), Clamped(y1)};
    ClientToScreen(owner, &from);
    ClientToScreen(owner, &to);
    SetWindowPos(Handle(), owner, from.x, from.y, to.x - from.x, to.y - from.y, 0);
    LoadHandleBitmap();
}

void ToolbarWidget::LoadHandleBitmap() {
    if (handleBitmap_ != nullptr) {
        DeleteObject(handleBitmap_);
    }
    std::size_t index = (iconWidth_ == 32 ? 0 : 1) + (horizontal_ ? 0 : 2);
    handleBitmap_ = LoadBitmapW(ModuleInstance(), MAKEINTRESOURCEW(bitmapIds_[index]));
}

bool ToolbarWidget::GetHandleRect(RECT* rect) const {
    RECT c;
    if (rect == nullptr || !GetClientRect(Handle(), &c)) {
        return false;
    }
    if (!expanded_) {
        *rect = c;
    } else if (horizontal_) {
        *rect = dockLeft_ ? RECT{c.left, c.top, c.left + HandleWidth(), c.bottom}
                          : RECT{c.right - HandleWidth(), c.top, c.right, c.bottom};
    } else {
        *rect = dockTop_ ? RECT{c.left, c.top, c.right, c.top + HandleHeight()}
                         : RECT{c.left, c.bottom - HandleHeight(), c.right, c.bottom};
    }
    return true;
}

bool ToolbarWidget::GetContentRect(RECT* rect) const {
    RECT c;
    if (!expanded_ || rect == nullptr || !GetClientRect(Handle(), &c)) {
        return false;
    }
    int b = border_;
    if (horizontal_) {
        *rect = dockLeft_ ? RECT{c.left + HandleWidth() + 2 * b, c.top, c.right, c.bottom}
                          : RECT{c.left, c.top, c.right - 2 * b - HandleWidth(), c.bottom};
    } else {
        *rect = dockTop_ ? RECT{c.left, c.top + HandleHeight() + 2 * b, c.right, c.bottom}
                         : RECT{c.left, c.top, c.right, c.bottom - 2 * b - HandleHeight()};
    }
    return true;
}

int ToolbarWidget::GetAvailableLength() const {
    RECT owner{};
    GetClientRect(Owner(), &owner);
    return horizontal_ ? owner.right - HandleWidth() - border_ - owner.left
                       : owner.bottom - HandleHeight() - border_ - owner.top;
}

int ToolbarWidget::GetContentThickness() const {
    return (horizontal_ ? iconHeight_ : iconWidth_) - 2 * border_ + 2;
}

void ToolbarWidget::Show(bool show) {
    ShowWindow(Handle(), show ? SW_SHOWNA : SW_HIDE);
}

void ToolbarWidget::Paint(HDC dc, const RECT& paintRect) {
    RECT handle, meet;
    if (!GetHandleRect(&handle) || !IntersectRect(&meet, &handle, &paintRect)) {
        return;
    }
    FillRect(dc, &handle, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    BITMAP bitmap{};
    if (handleBitmap_ == nullptr || GetObjectW(handleBitmap_, sizeof bitmap, &bitmap) == 0) {
        bitmap.bmWidth = handle.right - handle.left;
        bitmap.bmHeight = handle.bottom - handle.top;
    } else {
        HDC source = CreateCompatibleDC(dc);
        HGDIOBJ previous = SelectObject(source, handleBitmap_);
        StretchBlt(dc, handle.left, handle.top, handle.right - handle.left,
                   handle.bottom - handle.top, source, 0, 0, bitmap.bmWidth, bitmap.bmHeight,
                   SRCCOPY);
        SelectObject(source, previous);
        DeleteDC(source);
    }
    if (!expanded_) {
        return;
    }
    // The separator between handle and content, in the gap of 2B beside the handle.
    HPEN pen = CreatePen(PS_SOLID, border_, RGB(0, 0, 0));
    HGDIOBJ previous = SelectObject(dc, pen);
    if (horizontal_) {
        int x =
            dockLeft_ ? handle.left + border_ / 2 + bitmap.bmWidth : handle.left - 1 - border_ / 2;
        MoveToEx(dc, x, handle.top, nullptr);
        LineTo(dc, x, handle.top + bitmap.bmHeight);
    } else {
        int y =
            dockTop_ ? handle.top + border_ / 2 + bitmap.bmHeight : handle.top - 1 - border_ / 2;
        MoveToEx(dc, handle.left, y, nullptr);
        LineTo(dc, handle.left + bitmap.bmWidth, y);
    }
    SelectObject(dc, previous);
    DeleteObject(pen);
}

void ToolbarWidget::OnHandleTap(POINT, bool down) {
    if (down) {
        SetExpanded(!expanded_);
    }
}

void ToolbarWidget::OnContentTap(POINT, bool) {}

LRESULT ToolbarWidget::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(Handle(), &paint);
            Paint(dc, paint.rcPaint);
            EndPaint(Handle(), &paint);
            return 0;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP: {
            POINT point{LOWORD(static_cast<std::uintptr_t>(lParam)),
                        HIWORD(static_cast<std::uintptr_t>(lParam))};
            bool down = message == WM_LBUTTONDOWN;
            RECT handle;
            if (GetHandleRect(&handle) && PtInRect(&handle, point)) {
                OnHandleTap(point, down);
            } else {
                OnContentTap(point, down);
            }
            return 0;
        }
        case WM_SETTINGCHANGE:
            // The shell's handling would stretch this pop-up over the whole work area after a
            // rotation: the bar keeps the place its owner's client area gives it instead.
            Relayout();
            return 0;
        default:
            return ClientWindow::WindowProc(message, wParam, lParam);
    }
}
