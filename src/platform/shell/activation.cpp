// SHHandleWMActivate and SHHandleWMSettingChange.
#include <platform/shell.h>

BOOL SHHandleWMActivate(HWND window, WPARAM wParam, LPARAM, SHACTIVATEINFO* info, DWORD) {
    if (info == nullptr || !IsWindow(window)) {
        return FALSE;
    }
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        info->hwndLastFocus = focus;
        info->fActive = 0;
        return TRUE;
    }
    info->fActive = 1;
    if (info->hwndLastFocus != nullptr && IsWindow(info->hwndLastFocus) &&
        (info->hwndLastFocus == window || GetParent(info->hwndLastFocus) == window)) {
        SetFocus(info->hwndLastFocus);
    }
    return TRUE;
}

BOOL SHHandleWMSettingChange(HWND window, WPARAM wParam, LPARAM, SHACTIVATEINFO* info) {
    if (info == nullptr || !IsWindow(window) || wParam != SETTINGCHANGE_RESET ||
        (GetWindowLongW(window, GWL_STYLE) & WS_CHILD) != 0) {
        return FALSE;
    }
    int top = (26 * GetDeviceCaps(nullptr, LOGPIXELSY) + 48) / 96;
    int bottom = GetSystemMetrics(SM_CYSCREEN);
    if (HWND bar = SHFindMenuBar(window)) {
        RECT area;
        GetWindowRect(bar, &area);
        bottom = area.top;
    }
    MoveWindow(window, 0, top, GetSystemMetrics(SM_CXSCREEN), bottom - top, TRUE);
    return TRUE;
}
