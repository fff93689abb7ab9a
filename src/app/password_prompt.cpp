#include <app/password_prompt.h>

#include <app/modal_dialog.h>
#include <platform/shell.h>
#include <platform/text.h>
#include <resources/resources.h>

namespace {

constexpr DWORD kFullScreenWithDoneAndEmptyBar = 0x25;
constexpr int kPasswordEdit = 1007;

struct Destination {
    LPWSTR text;
    int capacity;
};

INT_PTR PasswordProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            SetWindowLongPtrW(dialog, GWL_USERDATA, lParam);
            SHINITDLGINFO info{SHIDIM_FLAGS, dialog, kFullScreenWithDoneAndEmptyBar};
            SHInitDialog(&info);
            return 1;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                auto* destination =
                    reinterpret_cast<Destination*>(GetWindowLongPtrW(dialog, GWL_USERDATA));
                if (destination != nullptr) {
                    GetDlgItemTextW(dialog, kPasswordEdit, destination->text,
                                    destination->capacity);
                }
                EndDialog(dialog, 1);
                return 1;
            }
            return 0;
        default:
            return 0;
    }
}

}  // namespace

bool PasswordPrompt::Run(HWND owner, LPWSTR destination, int capacity) {
    if (destination == nullptr || capacity <= 0) {
        return false;
    }
    Destination parameter{destination, capacity};
    return RunModalDialog(IDD_PASSWORD, owner, PasswordProc,
                          reinterpret_cast<LPARAM>(&parameter)) == 1;
}
