// MessageBeep: counted always; the sdl host rings the terminal's bell.
#include <platform_internal/beeps.h>
#include <platform_internal/host_backend.h>

#include <platform/dialog.h>

#include <atomic>

namespace {

std::atomic<int> beeps{0};

}  // namespace

BOOL MessageBeep(UINT) {
    ++beeps;
    if (HostBackend* host = CurrentHostBackend()) {
        host->Beep();
    }
    return TRUE;
}

int BeepCount() {
    return beeps;
}
