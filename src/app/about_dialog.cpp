#include <app/about_dialog.h>

#include <app/dialog_layout.h>
#include <app/modal_dialog.h>
#include <platform/resources.h>
#include <platform/shell.h>
#include <resources/resources.h>

namespace {

constexpr DWORD kFullScreenWithDoneAndPanelDown = 0x2D;

INT_PTR AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: {
            SHINITDLGINFO info{SHIDIM_FLAGS, dialog, kFullScreenWithDoneAndPanelDown};
            SHInitDialog(&info);
            return 1;
        }
        case WM_SIZE:
            RelayoutDialog(GetModuleHandleW(nullptr), dialog,
                           TemplateForShape(IDD_ABOUT_SQUARE, IDD_ABOUT_TALL, IDD_ABOUT_WIDE));
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                EndDialog(dialog, IDOK);
                return 1;
            }
            return 0;
        case WM_CLOSE:
            EndDialog(dialog, IDOK);
            return 1;
        default:
            return 0;
    }
}

}  // namespace

void AboutDialog::Run(HWND owner) {
    RunModalDialog(IDD_ABOUT_SQUARE, owner, AboutProc, 0);
}
