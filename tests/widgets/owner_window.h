// What the widget tests share: a stand-in for the viewer window that owns the bars (its soft-key
// bar leaves a 240 x 268 client area on the portrait screen, it lays its bars out again whenever
// it is resized, and counts how often it lost activation), and a fixture on the test device.
#pragma once

#include <widgets/client_window.h>
#include <platform/commctrl.h>
#include <platform/resources.h>
#include <platform_testing/device_harness.h>
#include <resources/resources.h>
#include <widgets/toolbar_widget.h>

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

class OwnerWindow : public ClientWindow {
  public:
    OwnerWindow() : ClientWindow(nullptr, u"Owner", IDR_VIEWER_BAR, false) { Show(true); }

    // Bars laid out again, each in its row, when the window is resized.
    std::vector<std::pair<ToolbarWidget*, int>> bars;
    int deactivations = 0;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_ACTIVATE && LOWORD(wParam) == WA_INACTIVE) {
            ++deactivations;
        }
        if (message == WM_SIZE) {
            for (auto& [bar, row] : bars) {
                bar->SetRow(row);
            }
        }
        return ClientWindow::WindowProc(message, wParam, lParam);
    }
};

class WidgetTest : public ::testing::Test {
  protected:
    void SetUp() override {
        HINSTANCE module = GetModuleHandleW(nullptr);
        InstallResources(module);
        InitCommonControls();
        ClientWindow::RegisterWindowClass(module);
        owner = std::make_unique<OwnerWindow>();
        device.PumpUntilIdle();
    }
    void TearDown() override {
        owner.reset();
        ClientWindow::UnregisterWindowClass(GetModuleHandleW(nullptr));
    }

    // Docked as the viewer docks its bars: left edge, rows counted from the bottom, row 1.
    template <class Bar>
    std::unique_ptr<Bar> MakeBar(int row = 1) {
        auto bar = std::make_unique<Bar>(owner->Handle());
        bar->SetDocking(1);
        bar->SetRow(row);
        owner->bars.push_back({bar.get(), row});
        device.PumpUntilIdle();
        return bar;
    }

    // The window's rectangle in the owner's client coordinates.
    RECT InOwner(HWND window) {
        RECT r = device.ScreenRectOf(window);
        POINT origin{0, 0};
        ClientToScreen(owner->Handle(), &origin);
        OffsetRect(&r, -origin.x, -origin.y);
        return r;
    }
    static RECT ClientOf(HWND window) {
        RECT r{};
        GetClientRect(window, &r);
        return r;
    }
    // A tap at a point of the window's client area.
    void TapInClient(HWND window, int x, int y) {
        POINT p{x, y};
        ClientToScreen(window, &p);
        device.Tap(p.x, p.y);
    }

    DeviceHarness device;
    std::unique_ptr<OwnerWindow> owner;
};

inline bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline void PrintTo(const RECT& r, std::ostream* out) {
    *out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}
