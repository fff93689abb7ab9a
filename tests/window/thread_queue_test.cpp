// Threads' message queues end with their threads: many short-lived threads that send and post
// leave no queue behind, and what goes to a thread that has ended fails instead of waiting.
#include "test_windows.h"

#include <platform/core.h>
#include <platform_testing/device_harness.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

constexpr UINT kDouble = WM_USER + 1;
constexpr UINT kNote = WM_USER + 2;
std::atomic<int> notes{0};

LRESULT QueueTestProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kDouble) {
        return static_cast<LRESULT>(wParam * 2);
    }
    if (message == kNote) {
        ++notes;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class ThreadQueueTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(RegisterTestClass(u"QueueTest", QueueTestProc));
        window = CreateWindowExW(0, u"QueueTest", u"", WS_VISIBLE, 0, 26, 100, 100, nullptr,
                                 nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        notes = 0;
    }

    // A window made on a thread of its own, which then ends without destroying it.
    HWND WindowOfAnEndedThread() {
        HWND made = nullptr;
        std::thread([&] {
            made = CreateWindowExW(0, u"QueueTest", u"", 0, 0, 26, 10, 10, nullptr, nullptr,
                                   nullptr, nullptr);
        }).join();
        return made;
    }

    DeviceHarness device;
    HWND window = nullptr;
};

TEST_F(ThreadQueueTest, AThousandThreadsThatSendAndPostLeaveNoQueueBehind) {
    constexpr int kThreads = 1000;
    constexpr int kAtOnce = 8;
    const std::size_t before = device.MessageQueues();
    std::atomic<int> wrongAnswers{0}, failedCalls{0}, finished{0};
    for (int started = 0; started < kThreads; started += kAtOnce) {
        std::vector<std::thread> batch;
        for (int i = started; i < started + kAtOnce; ++i) {
            batch.emplace_back([&, i] {
                // Sent to the UI thread's window (which pumps meanwhile), posted to it, posted to
                // this thread's own queue, and a timer of this thread: all left unread at the end.
                if (SendMessageW(window, kDouble, static_cast<WPARAM>(i), 0) != 2 * i) {
                    ++wrongAnswers;
                }
                if (!PostMessageW(window, kNote, 0, 0) || !PostMessageW(nullptr, kNote, 0, 0) ||
                    SetTimer(nullptr, 0, 60000, nullptr) == 0) {
                    ++failedCalls;
                }
                ++finished;
            });
        }
        int target = started + kAtOnce;
        EXPECT_TRUE(device.RunUntil([&] { return finished.load() == target; }, 5000));
        for (std::thread& thread : batch) {
            thread.join();
        }
        ASSERT_FALSE(HasFailure());
    }
    device.PumpUntilIdle();
    EXPECT_EQ(wrongAnswers.load(), 0);
    EXPECT_EQ(failedCalls.load(), 0);
    EXPECT_EQ(notes.load(), kThreads);  // the posts to the window; the threads' own were dropped
    EXPECT_EQ(device.MessageQueues(), before);
}

TEST_F(ThreadQueueTest, AWindowWhoseThreadEndedTakesNoMoreMessages) {
    const std::size_t before = device.MessageQueues();
    HWND orphan = WindowOfAnEndedThread();
    ASSERT_NE(orphan, nullptr);
    EXPECT_EQ(device.MessageQueues(), before);
    EXPECT_FALSE(PostMessageW(orphan, kNote, 0, 0));
    EXPECT_EQ(SetTimer(orphan, 1, 10, nullptr), 0u);
    LRESULT answer = -1;
    std::thread([&] { answer = SendMessageW(orphan, kDouble, 4, 0); }).join();  // no one answers
    EXPECT_EQ(answer, 0);
    EXPECT_EQ(notes.load(), 0);
    EXPECT_TRUE(DestroyWindow(orphan));
}

TEST_F(ThreadQueueTest, ASendWaitingWhenTheWindowsThreadEndsIsAnsweredWithZero) {
    std::atomic<HWND> target{nullptr};
    std::atomic<bool> leave{false};
    std::thread owner([&] {
        target = CreateWindowExW(0, u"QueueTest", u"", 0, 0, 26, 10, 10, nullptr, nullptr, nullptr,
                                 nullptr);
        while (!leave) {
            std::this_thread::yield();  // never reads its queue
        }
    });
    while (target.load() == nullptr) {
        std::this_thread::yield();
    }
    // Shared with the sender, which a failure leaves behind, still waiting.
    struct Send {
        std::atomic<bool> answered{false};
        LRESULT answer = -1;
    };
    auto send = std::make_shared<Send>();
    std::thread sender([send, to = target.load()] {
        send->answer = SendMessageW(to, kDouble, 4, 0);
        send->answered = true;
    });
    // Usually the message is waiting in the owner's queue when the owner ends; if the owner ends
    // first, the send finds no queue. Either way it is answered with 0 at once.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    leave = true;
    owner.join();
    if (!device.RunUntil([&] { return send->answered.load(); }, 2000)) {
        sender.detach();
        FAIL() << "the send still waits for a thread that has ended";
    }
    sender.join();
    EXPECT_EQ(send->answer, 0);
    DestroyWindow(target.load());
}

}  // namespace
