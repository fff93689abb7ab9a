// What the viewer's tests share: the test device with the program's resources, display and
// window class, a fresh home folder, and the socket library and decoders for the whole binary.
#pragma once

#include <widgets/client_window.h>
#include <display/display.h>
#include <platform/commctrl.h>
#include <platform/dialog.h>
#include <platform/resources.h>
#include <platform_testing/device_harness.h>
#include <resources/resources.h>

#include <gtest/gtest.h>

#include <viewer/viewer_window.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "temp_home.h"

class ViewerDevice : public ::testing::Test {
  public:
    void SetUp() override {
        InstallResources(GetModuleHandleW(nullptr));
        InitCommonControls();
        InitDisplay();
        ClientWindow::RegisterWindowClass(GetModuleHandleW(nullptr));
    }
    void TearDown() override {
        ShutdownDisplay();
        ClientWindow::UnregisterWindowClass(GetModuleHandleW(nullptr));
    }

    DeviceHarness device;
    TempHome home;
};

// The screen's colour of a 5:6:5 pixel (its components widened by repeating their top bits).
inline COLORREF Expand565(std::uint16_t p) {
    int r = p >> 11, g = (p >> 5) & 63, b = p & 31;
    return RGB((r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2));
}

// Screen pixels of the viewer's client area, probed every step pixels, that differ from the
// framebuffer pixel the present maps them to: the visible part (from the scroll position divided
// by the zoom) stretched over the client area, each screen pixel taking the framebuffer pixel
// under its centre. probed, when given, counts the probes inside the framebuffer.
inline int WrongPixels(DeviceHarness& device, ViewerWindow& viewer, int fbWidth, int fbHeight,
                       const std::function<COLORREF(int, int)>& expected, int step = 6,
                       int* probed = nullptr) {
    RECT client{};
    GetClientRect(viewer.Handle(), &client);
    POINT origin{0, 0};
    ClientToScreen(viewer.Handle(), &origin);
    SCROLLINFO h{}, v{};
    h.cbSize = v.cbSize = sizeof h;
    h.fMask = v.fMask = SIF_POS;
    GetScrollInfo(viewer.Handle(), SB_HORZ, &h);
    GetScrollInfo(viewer.Handle(), SB_VERT, &v);
    Fraction zoom = viewer.GetZoom();
    auto map = [&](int d, int position, int clientLength, int fbLength) {
        int first = ToInt(Divide(Fraction::FromInt(position), zoom));
        int source = ToInt(Divide(Fraction::FromInt(clientLength), zoom));
        int dest = clientLength;
        if (source > fbLength) {
            source = fbLength;
            dest = ToInt(Multiply(Fraction::FromInt(fbLength), zoom));
        }
        return d < dest ? first + static_cast<int>((2LL * d + 1) * source / (2LL * dest)) : -1;
    };
    int wrong = 0, count = 0;
    for (int cy = 0; cy < client.bottom; cy += step) {
        for (int cx = 0; cx < client.right; cx += step) {
            int fx = map(cx, h.nPos, client.right, fbWidth);
            int fy = map(cy, v.nPos, client.bottom, fbHeight);
            if (fx >= 0 && fy >= 0 && fx < fbWidth && fy < fbHeight) {
                ++count;
                wrong += device.ScreenPixel(origin.x + cx, origin.y + cy) != expected(fx, fy);
            }
        }
    }
    if (probed != nullptr) {
        *probed = count;
    }
    return wrong;
}

// While it lives, every message box that comes up is answered with its OK button, as a person
// would, and its caption and text are kept: a second box is answered as the first was, and never
// leaves a test waiting in the box's loop.
class BoxAnswerer {
  public:
    explicit BoxAnswerer(DeviceHarness& device) : device_(device) {
        current = this;
        timer_ = SetTimer(nullptr, 0, 10, Tick);
    }
    ~BoxAnswerer() {
        KillTimer(nullptr, timer_);
        current = nullptr;
    }
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;
    const std::vector<std::u16string>& Captions() const { return captions_; }
    const std::vector<std::u16string>& Texts() const { return texts_; }

  private:
    static void Tick(HWND, UINT, UINT_PTR, DWORD) {
        BoxAnswerer* self = current;
        // The tap runs the loop again, and with it this timer: the box being answered is left be.
        if (self == nullptr || self->answering_) {
            return;
        }
        DeviceHarness& device = self->device_;
        HWND box = device.FindTopLevel(u"MessageBox");
        if (box == nullptr) {
            return;
        }
        self->answering_ = true;
        self->captions_.push_back(device.TextOf(box));
        self->texts_.push_back(device.TextOf(device.FindChild(box, 0xFFFF)));
        RECT ok = device.ScreenRectOf(GetDlgItem(box, IDOK));
        device.Tap((ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2);
        self->answering_ = false;
    }
    static inline BoxAnswerer* current = nullptr;
    DeviceHarness& device_;
    UINT_PTR timer_ = 0;
    bool answering_ = false;
    std::vector<std::u16string> captions_;
    std::vector<std::u16string> texts_;
};

// While it lives, a viewer whose error box comes up is closed with the box still open (the box
// goes with its owner), as a person closing the server at that moment would.
class CloseUnderErrorBox {
  public:
    CloseUnderErrorBox(DeviceHarness& device, std::unique_ptr<ViewerWindow>& viewer)
        : device_(device), viewer_(viewer) {
        current = this;
        timer_ = SetTimer(nullptr, 0, 3, Tick);
    }
    ~CloseUnderErrorBox() {
        KillTimer(nullptr, timer_);
        current = nullptr;
    }
    CloseUnderErrorBox(const CloseUnderErrorBox&) = delete;
    CloseUnderErrorBox& operator=(const CloseUnderErrorBox&) = delete;
    int Closed() const { return closed_; }

  private:
    static void Tick(HWND, UINT, UINT_PTR, DWORD) {
        CloseUnderErrorBox* self = current;
        if (self != nullptr && self->viewer_ &&
            self->device_.FindTopLevel(u"MessageBox") != nullptr) {
            ++self->closed_;
            self->viewer_.reset();
        }
    }
    static inline CloseUnderErrorBox* current = nullptr;
    DeviceHarness& device_;
    std::unique_ptr<ViewerWindow>& viewer_;
    UINT_PTR timer_ = 0;
    int closed_ = 0;
};
