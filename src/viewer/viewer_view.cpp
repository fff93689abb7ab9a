// The viewer's view of the remote screen: zoom, scroll bars, painting, the visible area and
// its update requests, and the stylus.
#include <viewer/viewer_window.h>

#include <algorithm>

namespace {

constexpr int kLineStep = 10;
constexpr int kMaxZoomPercent = 600;

int ScrollPosition(HWND window, int bar) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    GetScrollInfo(window, bar, &info);
    return info.nPos;
}

// One scroll bar for a zoomed length in a window of length window: none when it is not needed;
// otherwise its range also covers the other bar's thickness when that bar is shown.
void SetBar(HWND window, int bar, int zoomed, int length, int otherBar, bool needed) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    if (needed) {
        GetScrollInfo(window, bar, &info);
        info.nMin = 0;
        info.nMax = zoomed - 1 + otherBar;
        info.nPage = static_cast<UINT>(length);
    }
    SetScrollInfo(window, bar, &info, TRUE);
}

}  // namespace

Fraction ViewerWindow::GetZoom() const {
    return view_.Lock()->zoom;
}

void ViewerWindow::UpdateScrollBars() {
    RECT window{};
    GetWindowRect(Handle(), &window);
    int w = window.right - window.left, h = window.bottom - window.top;
    Fraction zoom = GetZoom();
    int zw = ToInt(Multiply(Fraction::FromInt(store_->GetWidth()), zoom));
    int zh = ToInt(Multiply(Fraction::FromInt(store_->GetHeight()), zoom));
    // A bar is needed when the picture is larger than the window less the other bar, if that one
    // is needed: a picture that fits exactly has none.
    int cx = GetSystemMetrics(SM_CXVSCROLL), cy = GetSystemMetrics(SM_CYHSCROLL);
    bool horizontal = zw > w, vertical = zh > h;
    horizontal = horizontal || (vertical && zw > w - cx);
    vertical = vertical || (horizontal && zh > h - cy);
    SetBar(Handle(), SB_HORZ, zw, w, vertical ? cx : 0, horizontal);
    SetBar(Handle(), SB_VERT, zh, h, horizontal ? cy : 0, vertical);
}

void ViewerWindow::PaintFrame() {
    if (!drawingEnabled_) {
        return;
    }
    int hpos = ScrollPosition(Handle(), SB_HORZ), vpos = ScrollPosition(Handle(), SB_VERT);
    RECT client{};
    GetClientRect(Handle(), &client);
    POINT origin{client.left, client.top};
    ClientToScreen(Handle(), &origin);
    // The store presents unrotated: the device's orientation needs no argument here.
    store_->Present(0, origin.x, origin.y, client.right - client.left, client.bottom - client.top,
                    GetZoom(), hpos, vpos);
}

RECT ViewerWindow::VisibleArea() {
    int fbW = store_->GetWidth(), fbH = store_->GetHeight();
    Fraction zoom = GetZoom();
    RECT client{};
    GetClientRect(Handle(), &client);
    int x = ToInt(Divide(Fraction::FromInt(ScrollPosition(Handle(), SB_HORZ)), zoom));
    int y = ToInt(Divide(Fraction::FromInt(ScrollPosition(Handle(), SB_VERT)), zoom));
    int w = ToInt(Divide(Fraction::FromInt(client.right - client.left), zoom));
    int h = ToInt(Divide(Fraction::FromInt(client.bottom - client.top), zoom));
    x = std::clamp(x, 0, fbW);
    y = std::clamp(y, 0, fbH);
    w = std::clamp(w, 0, fbW - x);
    h = std::clamp(h, 0, fbH - y);
    return {x, y, x + w, y + h};
}

void ViewerWindow::RequestVisibleUpdate() {
    if (connectionState_ != kConnected) {
        return;
    }
    RECT area{0, 0, store_->GetWidth(), store_->GetHeight()};
    if (ActiveUpdate()) {
        area = VisibleArea();
    }
    session_->SendFramebufferUpdateRequest(true, area.left, area.top, area.right - area.left,
                                           area.bottom - area.top);
}

void ViewerWindow::RefreshVisibleArea() {
    if (connectionState_ != kConnected) {
        return;
    }
    RECT area = VisibleArea();
    session_->SendFramebufferUpdateRequest(false, area.left, area.top, area.right - area.left,
                                           area.bottom - area.top);
}

Fraction ViewerWindow::FitZoom() {
    RECT client{};
    GetClientRect(Handle(), &client);
    Fraction zx = Fraction::Make(client.right - client.left, store_->GetWidth());
    Fraction zy = Fraction::Make(client.bottom - client.top, store_->GetHeight());
    return Less(zx, zy) ? zx : zy;
}

void ViewerWindow::SetZoom(Fraction zoom, bool updateBar) {
    if (zoom.num <= 0 || zoom.den <= 0) {
        return;  // a zoom that shows nothing
    }
    view_.Lock()->zoom = zoom;
    if (updateBar) {
        zoomBar_.SetPosition(ToInt(Multiply(zoom, Fraction::FromInt(100))));
    }
    UpdateScrollBars();
    PaintFrame();
    if (ActiveUpdate()) {
        RequestVisibleUpdate();
    }
}

void ViewerWindow::ResetZoomBar() {
    // A desktop much smaller than the window fits above the bar's maximum: then from 100 %.
    // (The bar itself keeps its minimum at 1 % at least.)
    int minimum = ToInt(Multiply(FitZoom(), Fraction::FromInt(100)));
    zoomBar_.SetRange(std::min(minimum, 100), kMaxZoomPercent, 100);
    zoomBar_.SetPosition(100);
}

void ViewerWindow::OnZoomBarScroll(ZoomBar* bar, WPARAM) {
    SetZoom(Fraction::Make(bar->GetPosition(), 100), false);
}

void ViewerWindow::OnScroll(int bar, WPARAM wParam) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(Handle(), bar, &info);
    WORD code = LOWORD(wParam);
    switch (code) {
        case SB_LINEUP:
            info.nPos -= kLineStep;
            break;
        case SB_LINEDOWN:
            info.nPos += kLineStep;
            break;
        case SB_PAGEUP:
            info.nPos -= static_cast<int>(info.nPage);
            break;
        case SB_PAGEDOWN:
            info.nPos += static_cast<int>(info.nPage);
            break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK:
            info.nPos = HIWORD(wParam);
            break;
        case SB_TOP:
            info.nPos = info.nMin;
            break;
        case SB_BOTTOM:
            info.nPos = info.nMax;
            break;
        default:
            break;
    }
    info.fMask = SIF_POS;
    SetScrollInfo(Handle(), bar, &info, TRUE);
    PaintFrame();
    if (ActiveUpdate() && code != SB_THUMBTRACK) {
        RequestVisibleUpdate();
    }
}

void ViewerWindow::OnStylus(UINT message, LPARAM lParam) {
    if (connectionState_ != kConnected) {
        return;
    }
    // The stylus stays with the window from its down to its up, also when it leaves it; points
    // outside the framebuffer go to its nearest edge.
    if (message == WM_LBUTTONDOWN) {
        SetCapture(Handle());
    } else if (message == WM_LBUTTONUP && GetCapture() == Handle()) {
        ReleaseCapture();
    }
    int px = GET_X_LPARAM(lParam), py = GET_Y_LPARAM(lParam);
    Fraction zoom = GetZoom();
    int x = ToInt(Divide(Fraction::FromInt(px + ScrollPosition(Handle(), SB_HORZ)), zoom));
    int y = ToInt(Divide(Fraction::FromInt(py + ScrollPosition(Handle(), SB_VERT)), zoom));
    x = std::clamp(x, 0, std::max(0, store_->GetWidth() - 1));
    y = std::clamp(y, 0, std::max(0, store_->GetHeight() - 1));
    session_->SendPointerEvent(x, y, message == WM_LBUTTONUP ? 0 : 1);
    if (Rate() != kRateConstant) {
        RequestVisibleUpdate();
    }
}
