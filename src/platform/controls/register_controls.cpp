#include "control_state.h"

#include <platform/commctrl.h>
#include <platform/trackbar.h>

void RegisterControlClasses() {
    static bool registered = [] {
        struct {
            LPCWSTR name;
            WNDPROC procedure;
        } const classes[] = {{WC_STATIC, StaticProc},     {WC_BUTTON, ButtonProc},
                             {WC_EDIT, EditProc},         {WC_COMBOBOX, ComboBoxProc},
                             {WC_LISTVIEW, ListViewProc}, {TRACKBAR_CLASS, TrackbarProc}};
        bool all = true;
        for (const auto& entry : classes) {
            WNDCLASSW windowClass{};
            windowClass.lpfnWndProc = entry.procedure;
            windowClass.lpszClassName = entry.name;
            windowClass.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
            all = RegisterClassW(&windowClass) != 0 && all;
        }
        return all;
    }();
    (void)registered;
}

void InitCommonControls() {
    RegisterControlClasses();
}
