// Handles of destroyed windows, menus and GDI objects: however many objects come after (in the
// same slot or at the same address), the old handle names none of them and every call with it
// fails the way the call documents.
#include "test_windows.h"

#include <platform/gdi.h>
#include <platform/menu.h>
#include <platform_testing/device_harness.h>

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

constexpr int kRounds = 2000;
constexpr UINT kPing = WM_USER + 7;
int pings = 0;

LRESULT CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kPing) {
        return ++pings;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Makes and destroys objects kRounds times; each new handle must differ from every handle
// destroyed before it, and the handle destroyed last must fail check while a new object lives.
template <class Make, class Destroy, class FailsCleanly>
std::vector<void*> Churn(Make make, Destroy destroy, FailsCleanly failsCleanly) {
    std::vector<void*> stale;
    std::set<void*> seen;
    for (int round = 0; round < kRounds; ++round) {
        auto handle = make();
        EXPECT_NE(handle, nullptr);
        EXPECT_TRUE(seen.insert(handle).second) << "a handle came back in round " << round;
        if (!stale.empty()) {
            failsCleanly(static_cast<decltype(handle)>(stale.back()));
        }
        destroy(handle);
        stale.push_back(handle);
        if (::testing::Test::HasFailure()) {
            break;
        }
    }
    return stale;
}

class StaleHandleTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(RegisterTestClass(u"Counting", CountingProc)); }
    DeviceHarness device;
};

TEST_F(StaleHandleTest, AWindowsOldHandleNeverReachesALaterWindow) {
    auto make = [] {
        HWND window = CreateWindowExW(0, u"Counting", u"new", WS_VISIBLE, 0, 26, 50, 50, nullptr,
                                      nullptr, nullptr, nullptr);
        CreateWindowExW(0, u"Counting", u"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, window,
                        reinterpret_cast<HMENU>(static_cast<std::intptr_t>(5)), nullptr, nullptr);
        return window;
    };
    auto failsCleanly = [](HWND old) {
        pings = 0;
        EXPECT_FALSE(IsWindow(old));
        EXPECT_EQ(SendMessageW(old, kPing, 0, 0), 0);
        EXPECT_FALSE(PostMessageW(old, kPing, 0, 0));
        EXPECT_EQ(SetTimer(old, 1, 10, nullptr), 0u);
        EXPECT_FALSE(SetWindowTextW(old, u"stale"));
        RECT rect;
        EXPECT_FALSE(GetClientRect(old, &rect));
        EXPECT_EQ(GetDlgItem(old, 5), nullptr);
        EXPECT_FALSE(DestroyWindow(old));
        EXPECT_EQ(pings, 0) << "a message for the old handle reached the new window";
    };
    std::vector<void*> stale = Churn(make, DestroyWindow, failsCleanly);
    device.PumpUntilIdle();
    MSG message;
    EXPECT_FALSE(PeekMessageW(&message, nullptr, kPing, kPing, PM_REMOVE));
    for (void* old : stale) {
        ASSERT_FALSE(IsWindow(static_cast<HWND>(old)));
    }
}

TEST_F(StaleHandleTest, ChildrenOfADestroyedWindowGoStaleWithIt) {
    HWND parent = CreateWindowExW(0, u"Counting", u"", WS_VISIBLE, 0, 26, 50, 50, nullptr, nullptr,
                                  nullptr, nullptr);
    HWND child = CreateWindowExW(0, u"Counting", u"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent,
                                 nullptr, nullptr, nullptr);
    ASSERT_TRUE(IsWindow(child));
    DestroyWindow(parent);
    HWND later = CreateWindowExW(0, u"Counting", u"", WS_VISIBLE, 0, 26, 50, 50, nullptr, nullptr,
                                 nullptr, nullptr);
    EXPECT_FALSE(IsWindow(child));
    EXPECT_NE(later, child);
    EXPECT_EQ(GetParent(child), nullptr);
}

TEST_F(StaleHandleTest, HandlesOfOneKindNeverNameAnotherKind) {
    HMENU menu = CreatePopupMenu();
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    HWND window = CreateWindowExW(0, u"Counting", u"", 0, 0, 26, 50, 50, nullptr, nullptr, nullptr,
                                  nullptr);
    EXPECT_FALSE(IsWindow(reinterpret_cast<HWND>(menu)));
    EXPECT_FALSE(IsWindow(reinterpret_cast<HWND>(brush)));
    EXPECT_EQ(GetMenuItemCount(reinterpret_cast<HMENU>(window)), -1);
    EXPECT_EQ(GetMenuItemCount(reinterpret_cast<HMENU>(brush)), -1);
    EXPECT_FALSE(DeleteObject(reinterpret_cast<HGDIOBJ>(menu)));
    EXPECT_FALSE(DeleteObject(reinterpret_cast<HGDIOBJ>(window)));
    DestroyMenu(menu);
    DeleteObject(brush);
}

TEST_F(StaleHandleTest, AMenusOldHandleNeverReachesALaterMenu) {
    auto make = [] {
        HMENU menu = CreatePopupMenu();
        HMENU popup = CreatePopupMenu();
        AppendMenuW(popup, MF_STRING, 20, u"inner");
        AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), u"sub");
        AppendMenuW(menu, MF_STRING, 10, u"item");
        return menu;
    };
    auto failsCleanly = [](HMENU old) {
        EXPECT_EQ(GetMenuItemCount(old), -1);
        EXPECT_FALSE(AppendMenuW(old, MF_STRING, 11, u"stale"));
        EXPECT_EQ(EnableMenuItem(old, 10, MF_GRAYED), 0xFFFFFFFFu);
        EXPECT_EQ(GetMenuState(old, 10, MF_BYCOMMAND), 0xFFFFFFFFu);
        EXPECT_EQ(GetSubMenu(old, 0), nullptr);
        EXPECT_FALSE(DestroyMenu(old));
    };
    std::vector<void*> stale = Churn(make, DestroyMenu, failsCleanly);
    // Destroying a menu destroys its pop-ups: their handles go stale too.
    HMENU menu = make();
    HMENU popup = GetSubMenu(menu, 0);
    ASSERT_EQ(GetMenuItemCount(popup), 1);
    DestroyMenu(menu);
    HMENU later = make();
    EXPECT_EQ(GetMenuItemCount(popup), -1);
    EXPECT_EQ(GetMenuItemCount(later), 2);
    DestroyMenu(later);
    for (void* old : stale) {
        ASSERT_EQ(GetMenuItemCount(static_cast<HMENU>(old)), -1);
    }
}

TEST_F(StaleHandleTest, AGdiObjectsOldHandleNeverReachesALaterObject) {
    auto makeBrush = [] { return CreateSolidBrush(RGB(200, 0, 0)); };
    auto brushFailsCleanly = [](HBRUSH old) {
        HDC dc = CreateCompatibleDC(nullptr);
        EXPECT_EQ(SelectObject(dc, old), nullptr);
        EXPECT_FALSE(DeleteObject(old));
        DeleteDC(dc);
    };
    Churn(makeBrush, DeleteObject, brushFailsCleanly);

    auto makeBitmap = [] { return CreateCompatibleBitmap(nullptr, 8, 8); };
    auto bitmapFailsCleanly = [](HBITMAP old) {
        BITMAP info;
        EXPECT_EQ(GetObjectW(old, sizeof info, &info), 0);
        EXPECT_FALSE(DeleteObject(old));
    };
    Churn(makeBitmap, DeleteObject, bitmapFailsCleanly);

    auto dcFailsCleanly = [](HDC old) {
        RECT square{0, 0, 2, 2};
        EXPECT_FALSE(FillRect(old, &square, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))));
        EXPECT_EQ(SetTextColor(old, RGB(1, 1, 1)), CLR_INVALID);
        EXPECT_EQ(SelectObject(old, GetStockObject(BLACK_PEN)), nullptr);
        EXPECT_FALSE(DeleteDC(old));
    };
    Churn([] { return CreateCompatibleDC(nullptr); }, DeleteDC, dcFailsCleanly);
}

TEST_F(StaleHandleTest, StockObjectsOutliveDeleteObject) {
    HGDIOBJ brush = GetStockObject(GRAY_BRUSH);
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_EQ(GetStockObject(GRAY_BRUSH), brush);
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 4, 4);
    HGDIOBJ original = SelectObject(dc, bitmap);
    EXPECT_NE(SelectObject(dc, brush), nullptr);
    RECT all{0, 0, 4, 4};
    EXPECT_TRUE(FillRect(dc, &all, static_cast<HBRUSH>(brush)));
    EXPECT_EQ(GetPixel(dc, 1, 1), RGB(128, 128, 128));
    SelectObject(dc, original);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

}  // namespace
