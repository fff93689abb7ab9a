#include <app/main_window.h>

#include <app/about_dialog.h>

#include <resources/resources.h>

namespace {

constexpr WORD kAboutCommand = 40002;

}  // namespace

MainWindow::MainWindow(LPCWSTR title) : ClientWindow(nullptr, title, IDR_SERVER_LIST_BAR, false) {}

LRESULT MainWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == IDM_EXIT) {
                SendMessageW(Handle(), WM_CLOSE, 0, 0);
            } else if (LOWORD(wParam) == kAboutCommand) {
                AboutDialog::Run(Handle());
            }
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return ClientWindow::WindowProc(message, wParam, lParam);
    }
}
