// The message queue: posting and sending across threads, filters, quit, timers, capture and keys.
#include "message_log.h"
#include "test_windows.h"

#include <platform/core.h>
#include <platform_testing/device_harness.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

constexpr UINT kAsk = WM_USER + 1;
std::atomic<DWORD> answeringThread{0};

LRESULT AnsweringProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kAsk) {
        answeringThread = GetCurrentThreadId();
        return static_cast<LRESULT>(wParam * 2);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Takes messages until a thread timer of the test's own, set now for milliseconds, fires; true
// when no WM_TIMER of window came meanwhile. A timer of the window's that was set before it and
// falls due sooner would have come first.
bool NoTimerOfBefore(HWND window, UINT milliseconds) {
    UINT_PTR mark = SetTimer(nullptr, 0, milliseconds, nullptr);
    bool none = true;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0)) {
        if (message.message == WM_TIMER && message.hwnd == nullptr && message.wParam == mark) {
            break;
        }
        none = none && !(message.message == WM_TIMER && message.hwnd == window);
        DispatchMessageW(&message);
    }
    KillTimer(nullptr, mark);
    return none;
}

class MessageQueueTest : public ::testing::Test {
  protected:
    void SetUp() override {
        bool registered = RegisterTestClass(u"Answering", AnsweringProc);
        ASSERT_TRUE(registered);
        window = CreateWindowExW(0, u"Answering", u"", WS_VISIBLE, 0, 26, 100, 100, nullptr,
                                 nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
    }
    DeviceHarness device;
    HWND window = nullptr;
};

TEST_F(MessageQueueTest, SendFromAnotherThreadRunsOnTheWindowsThreadAndWaits) {
    LRESULT result = 0;
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        result = SendMessageW(window, kAsk, 21, 0);
        finished = true;
    });
    EXPECT_TRUE(device.RunUntil([&] { return finished.load(); }, 2000));
    worker.join();
    EXPECT_EQ(result, 42);
    EXPECT_EQ(answeringThread.load(), GetCurrentThreadId());
}

TEST_F(MessageQueueTest, SendToAWindowDestroyedMeanwhileReturnsZero) {
    std::atomic<bool> finished{false};
    LRESULT result = -1;
    std::thread worker([&] {
        result = SendMessageW(window, kAsk, 5, 0);
        finished = true;
    });
    // The UI thread destroys the window instead of answering. The pause makes it likely that the
    // message waits in the queue by then; sent to a window already gone it returns 0 as well.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    DestroyWindow(window);
    worker.join();
    EXPECT_TRUE(finished);
    EXPECT_EQ(result, 0);
}

TEST_F(MessageQueueTest, PostedMessagesKeepTheirOrderAndFiltersPickByRange) {
    std::thread worker([&] {
        for (WPARAM i = 0; i < 3; ++i) {
            PostMessageW(window, kAsk, i, 0);
        }
        PostMessageW(window, WM_USER + 9, 0, 0);
    });
    worker.join();
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, window, WM_USER + 9, WM_USER + 9, PM_REMOVE));
    EXPECT_EQ(message.message, WM_USER + 9);
    for (WPARAM i = 0; i < 3; ++i) {
        ASSERT_TRUE(PeekMessageW(&message, window, kAsk, kAsk, PM_REMOVE));
        EXPECT_EQ(message.wParam, i);
    }
    EXPECT_FALSE(PeekMessageW(&message, window, kAsk, kAsk, PM_NOREMOVE));
    EXPECT_FALSE(PostMessageW(reinterpret_cast<HWND>(0x12345670), kAsk, 0, 0));
}

TEST_F(MessageQueueTest, QuitComesAfterPostedMessagesWithItsCode) {
    PostMessageW(window, kAsk, 1, 0);
    PostQuitMessage(7);
    MSG message;
    ASSERT_TRUE(GetMessageW(&message, nullptr, 0, 0));
    EXPECT_EQ(message.message, kAsk);
    EXPECT_FALSE(GetMessageW(&message, nullptr, 0, 0));
    EXPECT_EQ(message.message, WM_QUIT);
    EXPECT_EQ(message.wParam, 7u);
}

TEST_F(MessageQueueTest, TimersRepeatUntilKilledAndFireThroughGetMessage) {
    ASSERT_EQ(SetTimer(window, 5, 10, nullptr), 5u);
    int fired = 0;
    MSG message;
    while (fired < 3 && GetMessageW(&message, nullptr, 0, 0)) {
        if (message.message == WM_TIMER && message.hwnd == window && message.wParam == 5) {
            ++fired;
        }
        DispatchMessageW(&message);  // paints too, which would otherwise come back forever
    }
    EXPECT_EQ(fired, 3);
    EXPECT_TRUE(KillTimer(window, 5));
    EXPECT_FALSE(KillTimer(window, 5));
    EXPECT_TRUE(NoTimerOfBefore(window, 30));
}

TEST_F(MessageQueueTest, TimersOfADestroyedWindowStop) {
    SetTimer(window, 1, 5, nullptr);
    DestroyWindow(window);
    EXPECT_TRUE(NoTimerOfBefore(window, 20));
}

TEST_F(MessageQueueTest, CaptureKeepsTheStylusUntilReleased) {
    HWND other = CreateWindowExW(0, u"Answering", u"", WS_VISIBLE, 120, 26, 100, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    device.PumpUntilIdle();
    SetCapture(window);
    device.Drag({150, 50}, {160, 60}, 2);
    MSG message;
    EXPECT_FALSE(PeekMessageW(&message, other, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(GetCapture(), window);
    ReleaseCapture();
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(WindowFromPoint({150, 50}), other);
}

TEST_F(MessageQueueTest, TranslateMessagePostsTheCharacterAndKeepsTheAltBit) {
    MSG key{window, WM_KEYDOWN, 'A', 1 | KF_ALTDOWN_LPARAM, 0, {0, 0}};
    EXPECT_TRUE(TranslateMessage(&key));
    MSG character;
    ASSERT_TRUE(PeekMessageW(&character, window, WM_CHAR, WM_CHAR, PM_REMOVE));
    EXPECT_EQ(character.wParam, static_cast<WPARAM>(u'a'));
    EXPECT_NE(character.lParam & KF_ALTDOWN_LPARAM, 0);
    MSG arrow{window, WM_KEYDOWN, VK_LEFT, 1, 0, {0, 0}};
    EXPECT_FALSE(TranslateMessage(&arrow));
}

TEST_F(MessageQueueTest, TypedCharactersArriveAsKeysThatTranslateToThem) {
    SetFocus(window);
    device.Type(u"a@\u00e9");
    // The last character has no key of its own: it came as the input panel's key.
    MSG key{window, WM_KEYDOWN, 0xE7, 1, 0, {0, 0}};
    TranslateMessage(&key);
    MSG character;
    ASSERT_TRUE(PeekMessageW(&character, window, WM_CHAR, WM_CHAR, PM_REMOVE));
    EXPECT_EQ(character.wParam, static_cast<WPARAM>(u'\u00e9'));
}

TEST_F(MessageQueueTest, KeysQueuedTogetherTranslateToTheirOwnCharacters) {
    SetFocus(window);
    device.PumpUntilIdle();
    // Keys of one letter in both cases, and characters that all come as the input panel's key
    // (the last two are the halves of one character beyond 16 bits).
    device.TypeAtOnce(u"aA\u00e9\u20ac\U0001F600");
    std::u16string typed;
    MSG message;
    while (PeekMessageW(&message, window, 0, 0, PM_REMOVE)) {
        if (message.message == WM_KEYDOWN) {
            TranslateMessage(&message);
        } else if (message.message == WM_CHAR) {
            typed += static_cast<char16_t>(message.wParam);
        }
    }
    EXPECT_EQ(typed, u"aA\u00e9\u20ac\U0001F600");
}

}  // namespace
