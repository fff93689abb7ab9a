// The order of the messages a window receives when it is created, shown, activated and destroyed.
#include "message_log.h"

#include <platform_testing/device_harness.h>

#include <gtest/gtest.h>

namespace {

class MessageSequenceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RegisterLoggingClass();
        MessageLog::Instance().Clear();
    }
    HWND TopLevel(DWORD style, HWND owner = nullptr) {
        return CreateWindowExW(0, u"LogWindow", u"top", style, 0, 26, 240, 200, owner, nullptr,
                               nullptr, nullptr);
    }
    DeviceHarness device;
};

TEST_F(MessageSequenceTest, CreatingAVisibleTopLevelShowsAndActivatesIt) {
    HWND a = TopLevel(WS_VISIBLE);
    EXPECT_EQ(MessageLog::Instance().Describe({{"a", a}}),
              MessageLog::Expect({{"a", WM_CREATE},
                                  {"a", WM_SIZE},
                                  {"a", WM_MOVE},
                                  {"a", WM_SHOWWINDOW},
                                  {"a", WM_ACTIVATE},
                                  {"a", WM_SETFOCUS}}));
    EXPECT_EQ(GetForegroundWindow(), a);
    EXPECT_EQ(GetFocus(), a);
}

TEST_F(MessageSequenceTest, CreatingAChildNeitherShowsMessagesNorActivates) {
    HWND a = TopLevel(WS_VISIBLE);
    MessageLog::Instance().Clear();
    HWND child = CreateWindowExW(0, u"LogWindow", u"", WS_CHILD | WS_VISIBLE, 10, 10, 50, 20, a,
                                 reinterpret_cast<HMENU>(7), nullptr, nullptr);
    EXPECT_EQ(MessageLog::Instance().Describe({{"a", a}, {"child", child}}),
              MessageLog::Expect({{"child", WM_CREATE},
                                  {"child", WM_SIZE},
                                  {"child", WM_MOVE},
                                  {"child", WM_SHOWWINDOW}}));
    EXPECT_EQ(GetDlgItem(a, 7), child);
    EXPECT_EQ(GetForegroundWindow(), a);
}

TEST_F(MessageSequenceTest, SwitchingTheForegroundDeactivatesThenActivates) {
    HWND a = TopLevel(WS_VISIBLE);
    HWND b = TopLevel(0);
    MessageLog::Instance().Clear();
    ShowWindow(b, SW_SHOW);
    EXPECT_EQ(MessageLog::Instance().Describe({{"a", a}, {"b", b}}),
              MessageLog::Expect({{"b", WM_SHOWWINDOW},
                                  {"a", WM_ACTIVATE},
                                  {"b", WM_ACTIVATE},
                                  {"a", WM_KILLFOCUS},
                                  {"b", WM_SETFOCUS}}));
    EXPECT_EQ(MessageLog::Instance().entries[1].wParam, WA_INACTIVE);
    EXPECT_EQ(MessageLog::Instance().entries[2].wParam, WA_ACTIVE);
}

TEST_F(MessageSequenceTest, DestroyingAWindowDestroysOwnedPopupsFirstAndChildrenInside) {
    HWND a = TopLevel(WS_VISIBLE);
    HWND child = CreateWindowExW(0, u"LogWindow", u"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, a,
                                 nullptr, nullptr, nullptr);
    HWND popup = TopLevel(WS_POPUP, a);
    MessageLog::Instance().Clear();
    EXPECT_TRUE(DestroyWindow(a));
    EXPECT_EQ(MessageLog::Instance().Describe({{"a", a}, {"child", child}, {"popup", popup}}),
              MessageLog::Expect({{"popup", WM_DESTROY},
                                  {"popup", WM_NCDESTROY},
                                  {"a", WM_ACTIVATE},
                                  {"a", WM_KILLFOCUS},
                                  {"a", WM_DESTROY},
                                  {"child", WM_DESTROY},
                                  {"child", WM_NCDESTROY},
                                  {"a", WM_NCDESTROY}}));
    EXPECT_FALSE(IsWindow(a));
    EXPECT_FALSE(IsWindow(child));
    EXPECT_FALSE(IsWindow(popup));
    EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(MessageSequenceTest, DestroyingTheForegroundWindowActivatesTheNextOne) {
    HWND a = TopLevel(WS_VISIBLE);
    HWND b = TopLevel(WS_VISIBLE);
    MessageLog::Instance().Clear();
    DestroyWindow(b);
    EXPECT_EQ(MessageLog::Instance().Describe({{"a", a}, {"b", b}}),
              MessageLog::Expect({{"b", WM_ACTIVATE},
                                  {"b", WM_KILLFOCUS},
                                  {"b", WM_DESTROY},
                                  {"b", WM_NCDESTROY},
                                  {"a", WM_ACTIVATE},
                                  {"a", WM_SETFOCUS}}));
    EXPECT_EQ(GetForegroundWindow(), a);
}

TEST_F(MessageSequenceTest, CloseByDefaultDestroysAndSizeChangesReportTheNewSize) {
    HWND a = TopLevel(WS_VISIBLE);
    MessageLog::Instance().Clear();
    MoveWindow(a, 0, 26, 120, 100, TRUE);
    SetWindowPos(a, nullptr, 5, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SendMessageW(a, WM_CLOSE, 0, 0);
    EXPECT_EQ(MessageLog::Instance().Describe({{"a", a}}),
              MessageLog::Expect({{"a", WM_SIZE},
                                  {"a", WM_MOVE},
                                  {"a", WM_CLOSE},
                                  {"a", WM_ACTIVATE},
                                  {"a", WM_KILLFOCUS},
                                  {"a", WM_DESTROY},
                                  {"a", WM_NCDESTROY}}));
    EXPECT_FALSE(IsWindow(a));
}

TEST_F(MessageSequenceTest, LowBitOfTheHandleBringsOwnedPopupsForward) {
    HWND a = TopLevel(WS_VISIBLE);
    HWND popup = TopLevel(WS_POPUP | WS_VISIBLE, a);
    HWND b = TopLevel(WS_VISIBLE);
    ASSERT_EQ(GetForegroundWindow(), b);
    SetForegroundWindow(reinterpret_cast<HWND>(reinterpret_cast<std::uintptr_t>(a) | 1));
    EXPECT_EQ(GetForegroundWindow(), popup);
    std::vector<HWND> order = device.TopLevels();
    auto position = [&](HWND w) {
        return std::find(order.begin(), order.end(), w) - order.begin();
    };
    EXPECT_LT(position(b), position(a));
    EXPECT_LT(position(a), position(popup));
}

}  // namespace
