#include <widgets/zoom_bar.h>

#include <resources/resources.h>

#include <platform/trackbar.h>

#include <algorithm>

ZoomBar::ZoomBar(HWND owner)
    : ToolbarWidget(owner, {IDB_ZOOM_HANDLE_HORZ_32, IDB_ZOOM_HANDLE_HORZ, IDB_ZOOM_HANDLE_VERT_32,
                            IDB_ZOOM_HANDLE_VERT}) {
    trackbar_ = CreateWindowExW(WS_EX_NOACTIVATE, TRACKBAR_CLASS, u"", WS_CHILD, 0, 0, 1, 1,
                                Handle(), nullptr, ModuleInstance(), nullptr);
}

void ZoomBar::SetVertical(bool vertical) {
    ToolbarWidget::SetVertical(vertical);
    if (trackbar_ == nullptr) {
        return;
    }
    DWORD style = static_cast<DWORD>(GetWindowLongW(trackbar_, GWL_STYLE));
    style = vertical ? style | TBS_VERT : style & ~TBS_VERT;
    SetWindowLongW(trackbar_, GWL_STYLE, static_cast<LONG>(style));
    InvalidateRect(trackbar_, nullptr, TRUE);
}

void ZoomBar::SetExpanded(bool expanded) {
    ToolbarWidget::SetExpanded(expanded);
    PlaceTrackbar();
}

void ZoomBar::Relayout() {
    ToolbarWidget::Relayout();
    // A new size of the owner (a rotation) changes the content of an expanded bar too.
    PlaceTrackbar();
}

void ZoomBar::PlaceTrackbar() {
    if (trackbar_ == nullptr) {
        return;
    }
    RECT content;
    if (GetContentRect(&content)) {
        SetWindowPos(trackbar_, nullptr, content.left, content.top, content.right - content.left,
                     content.bottom - content.top, SWP_NOZORDER | SWP_SHOWWINDOW);
    } else {
        ShowWindow(trackbar_, SW_HIDE);
    }
}

void ZoomBar::SetRange(int min, int max, int tick) {
    min = std::max(min, 1);
    SendMessageW(trackbar_, TBM_SETRANGE, TRUE, MAKELPARAM(min, max));
    SendMessageW(trackbar_, TBM_CLEARTICS, TRUE, 0);
    SendMessageW(trackbar_, TBM_SETTIC, 0, tick);
}

void ZoomBar::SetPosition(int position) {
    SendMessageW(trackbar_, TBM_SETPOS, TRUE, position);
}

int ZoomBar::GetPosition() const {
    return static_cast<int>(SendMessageW(trackbar_, TBM_GETPOS, 0, 0));
}

LRESULT ZoomBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if ((message == WM_HSCROLL || message == WM_VSCROLL) && trackbar_ != nullptr &&
        reinterpret_cast<HWND>(lParam) == trackbar_) {
        if (listener_ != nullptr) {
            listener_->OnZoomBarScroll(this, wParam);
        }
        return 0;
    }
    return ToolbarWidget::WindowProc(message, wParam, lParam);
}
