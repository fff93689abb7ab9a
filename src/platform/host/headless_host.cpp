// The headless host: the screen stays in memory (tests, tools, screenshots).
#include "host_backends.h"

#include <platform_internal/screen_buffer.h>
#include <platform_internal/window_manager.h>

#include <atomic>
#include <csignal>

namespace {

std::atomic<bool> terminationRequested{false};

void OnTerminationSignal(int) {
    terminationRequested = true;
}

class HeadlessHost : public HostBackend {
  public:
    void PumpEvents() override {
        if (TakeTerminationRequest()) {
            CloseProgramWindows();
        }
    }
    void ShowScreen() override { ScreenBuffer::Instance().TakeDirty(); }
    int PollMilliseconds() const override { return 50; }
};

}  // namespace

bool TakeTerminationRequest() {
    return terminationRequested.exchange(false);
}

void InstallTerminationHandlers() {
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void CloseProgramWindows() {
    for (HWND window : TopLevelWindows()) {
        std::u16string windowClass = ClassOf(window);
        if (windowClass == u"HHTaskBar" || windowClass == u"menu_worker" || windowClass == u"MNU" ||
            GetWindow(window, GW_OWNER) != nullptr) {
            continue;
        }
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
}

std::unique_ptr<HostBackend> MakeHeadlessHost() {
    return std::make_unique<HeadlessHost>();
}
