#include <keyboard/key_toolbar.h>

#include <keyboard/key_list.h>
#include <resources/resources.h>

#include <platform/gdi.h>
#include <platform/text.h>

#include <algorithm>

namespace {

// The screen's resolution, read once and kept for the rest of the run.
int ScreenDpi(int index) {
    static const int dpiX = [] {
        HDC screen = GetDC(nullptr);
        int dpi = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
        return dpi > 0 ? dpi : 96;
    }();
    static const int dpiY = [] {
        HDC screen = GetDC(nullptr);
        int dpi = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        return dpi > 0 ? dpi : 96;
    }();
    return index == LOGPIXELSX ? dpiX : dpiY;
}

// 9 points, default face; escapement 900 turns the text a quarter turn anticlockwise.
HFONT MakeLabelFont(LONG escapement) {
    LOGFONTW font{};
    font.lfHeight = -MulDiv(9, ScreenDpi(LOGPIXELSY), 72);
    font.lfEscapement = escapement;
    font.lfOrientation = escapement;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = 1;
    font.lfPitchAndFamily = 16;
    return CreateFontIndirectW(&font);
}

struct Measured {
    int length;
    std::uint32_t key;
};

}  // namespace

int KeyToolbar::Scaled(int length, bool horizontal) {
    return (length * ScreenDpi(horizontal ? LOGPIXELSX : LOGPIXELSY) + 48) / 96;
}

KeyToolbar::KeyToolbar(HWND owner)
    : ToolbarWidget(owner, {IDB_KEY_HANDLE_HORZ_32, IDB_KEY_HANDLE_HORZ, IDB_KEY_HANDLE_VERT_32,
                            IDB_KEY_HANDLE_VERT}),
      uprightFont_(MakeLabelFont(0)),
      rotatedFont_(MakeLabelFont(900)) {}

KeyToolbar::~KeyToolbar() {
    // The capture goes with the window; nothing is sent from here (the owner releases the keys
    // while its session still runs).
    capturing_ = false;
    DeleteObject(uprightFont_);
    DeleteObject(rotatedFont_);
}

void KeyToolbar::Layout(SettingsKey* serverKey) {
    EndCapture();
    pressed_ = -1;
    buttons_.clear();
    keys_.clear();
    if (serverKey != nullptr) {
        KeyList list;
        LoadKeysForServer(list, *serverKey, kPlacementToolbar, keys_);
    }
    bool horizontal = IsHorizontal();
    HDC dc = GetDC(Handle());
    HGDIOBJ previousFont = SelectObject(dc, LabelFont());
    const int thickness = GetContentThickness() - Scaled(2, horizontal);
    const int available = GetAvailableLength();
    std::vector<Measured> measured;
    measured.reserve(keys_.size());
    for (std::uint32_t i = 0; i < keys_.size(); ++i) {
        SIZE extent{};
        GetTextExtentExPointW(dc, keys_[i].Title, lstrlenW(keys_[i].Title), 0, nullptr, nullptr,
                              &extent);
        // The platform measures a turned label along its own line, as an upright one: its
        // width is the length it takes along a vertical bar too.
        measured.push_back({static_cast<int>(extent.cx) + Scaled(8, horizontal), i});
    }
    std::stable_sort(measured.begin(), measured.end(),
                     [](const Measured& a, const Measured& b) { return a.length > b.length; });
    const int half = thickness / 2;
    const int spans[2][2] = {{0, half}, {half, thickness}};
    long long used[2] = {0, 0};
    for (const Measured& m : measured) {
        int lane = used[0] > used[1] ? 1 : 0;
        long long end = used[lane] + m.length;
        if (end > available) {
            continue;
        }
        ToolbarButton button;
        int from = static_cast<int>(used[lane]), to = static_cast<int>(end);
        if (horizontal) {
            button = {from, spans[lane][0], to, spans[lane][1], m.key};
        } else {
            button = {spans[lane][0], from, spans[lane][1], to, m.key};
        }
        buttons_.push_back(button);
        used[lane] = end;
    }
    SelectObject(dc, previousFont);
    ReleaseDC(Handle(), dc);
    int longest = static_cast<int>(std::max(used[0], used[1]));
    SetContentLength(buttons_.empty() ? Scaled(20, horizontal)
                                      : longest + Scaled(1, horizontal));
    InvalidateRect(Handle(), nullptr, TRUE);
}

void KeyToolbar::Paint(HDC dc, const RECT& paintRect) {
    ToolbarWidget::Paint(dc, paintRect);
    RECT content, meet;
    if (!GetContentRect(&content) || !IntersectRect(&meet, &content, &paintRect)) {
        return;
    }
    HBRUSH light = CreateSolidBrush(0xC0C0C0);
    HBRUSH dark = CreateSolidBrush(0x656565);
    HGDIOBJ previousPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    HGDIOBJ previousBrush = SelectObject(dc, light);
    HGDIOBJ previousFont = SelectObject(dc, LabelFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    const int cornerWidth = Scaled(4, true), cornerHeight = Scaled(4, false);
    for (const ToolbarButton& button : buttons_) {
        RECT r{button.left + 1 + content.left, button.top + 1 + content.top,
               button.right - 1 + content.left, button.bottom - 1 + content.top};
        const KeyDef& key = keys_[button.key];
        SelectObject(dc, key.Down ? dark : light);
        RoundRect(dc, r.left, r.top, r.right, r.bottom, cornerWidth, cornerHeight);
        if (IsHorizontal()) {
            DrawTextW(dc, key.Title, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            continue;
        }
        // A turned label runs upwards from its origin: centre it across and along the button.
        SIZE extent{};
        GetTextExtentPoint32W(dc, key.Title, lstrlenW(key.Title), &extent);
        int x = r.left + (r.right - r.left - extent.cy) / 2;
        int y = r.top + (r.bottom - r.top + extent.cx) / 2;
        ExtTextOutW(dc, x, y, ETO_CLIPPED, &r, key.Title,
                    static_cast<UINT>(lstrlenW(key.Title)), nullptr);
    }
    SelectObject(dc, previousFont);
    SelectObject(dc, previousBrush);
    SelectObject(dc, previousPen);
    DeleteObject(light);
    DeleteObject(dark);
}

void KeyToolbar::OnContentTap(POINT point, bool down) {
    if (!down) {
        Lift();
        return;
    }
    RECT content;
    if (!GetContentRect(&content) || !PtInRect(&content, point)) {
        return;
    }
    // A second pen-down without the up between them (the up went elsewhere) ends the first.
    Lift();
    capturing_ = true;
    SetCapture(Handle());
    pressed_ = -1;
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        const ToolbarButton& button = buttons_[i];
        RECT r{button.left + content.left, button.top + content.top, button.right + content.left,
               button.bottom + content.top};
        if (!PtInRect(&r, point)) {
            continue;
        }
        if (listener_ != nullptr) {
            listener_->OnKeyButton(this, keys_[button.key], true);
            InvalidateButton(button);
        }
        pressed_ = static_cast<int>(i);
        return;
    }
}

void KeyToolbar::Lift() {
    if (!capturing_) {
        return;
    }
    int pressed = pressed_;
    pressed_ = -1;
    // Cleared before the capture goes, so that losing it does not release the key twice.
    EndCapture();
    if (pressed >= 0 && static_cast<std::size_t>(pressed) < buttons_.size() &&
        listener_ != nullptr) {
        const ToolbarButton& button = buttons_[static_cast<std::size_t>(pressed)];
        listener_->OnKeyButton(this, keys_[button.key], false);
        InvalidateButton(button);
    }
}

void KeyToolbar::EndCapture() {
    if (!capturing_) {
        return;
    }
    capturing_ = false;
    if (GetCapture() == Handle()) {
        ReleaseCapture();
    }
}

void KeyToolbar::ReleaseKeys(KeyEventSink& sink) {
    EndCapture();
    pressed_ = -1;
    bool any = false;
    for (KeyDef& key : keys_) {
        any = key.Release(sink) || any;
    }
    if (any) {
        InvalidateRect(Handle(), nullptr, FALSE);
    }
}

void KeyToolbar::InvalidateButton(const ToolbarButton& button) {
    RECT content;
    if (!GetContentRect(&content)) {
        return;
    }
    RECT r{button.left + content.left, button.top + content.top, button.right + content.left,
           button.bottom + content.top};
    InvalidateRect(Handle(), &r, FALSE);
}

LRESULT KeyToolbar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONUP && capturing_) {
        // The release goes to the pressed key wherever the pen is lifted, over the handle too.
        Lift();
        return 0;
    }
    if (message == WM_CAPTURECHANGED && capturing_) {
        // The capture was taken away before the pen came up: the key must not stay held.
        Lift();
        return 0;
    }
    return ToolbarWidget::WindowProc(message, wParam, lParam);
}
