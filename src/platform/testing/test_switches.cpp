#include <platform_testing/test_switches.h>

#include <platform_internal/pixel_plane.h>
#include <platform_internal/test_hooks.h>

void SetConnectionManagerFailure(bool fail) {
    SetConnectionManagerFailing(fail);
}

void SetDebugOutputSink(std::function<void(const std::u16string&)> sink) {
    SetDebugOutputCopy(std::move(sink));
}

int SetRowCopyVectorBytes(int bytes) {
    return SetBlitRowVectorBytes(bytes);
}
