// tavrel: installs the program's resources and runs it on the emulated device.
#include <app/start_up.h>
#include <viewer/viewer_window.h>

#include <platform/host.h>
#include <platform/resources.h>
#include <resources/resources.h>

namespace {

int WinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    return RunProgram(instance, CreateViewerWindow);
}

}  // namespace

int main(int argc, char** argv) {
    InstallResources(GetModuleHandleW(nullptr));
    return RunDeviceProgram(argc, argv, WinMain);
}
