// SHInitDialog: a dialog filling the work area, with the task bar's "ok" and an empty soft-key bar
// as asked.
#include <platform_internal/device_shell.h>
#include <platform_internal/dialog_record.h>

#include <platform/shell.h>

BOOL SHInitDialog(SHINITDLGINFO* info) {
    if (info == nullptr || (info->dwMask & SHIDIM_FLAGS) == 0) {
        return FALSE;
    }
    std::shared_ptr<DialogRecord> record = FindDialogRecord(info->hDlg);
    if (record == nullptr) {
        return FALSE;
    }
    DWORD flags = info->dwFlags;
    if ((flags & SHIDIF_EMPTYMENU) != 0 && SHFindMenuBar(info->hDlg) == nullptr) {
        SHMENUBARINFO bar{};
        bar.cbSize = sizeof bar;
        bar.hwndParent = info->hDlg;
        bar.dwFlags = SHCMBF_EMPTYBAR;
        SHCreateMenuBar(&bar);
    }
    if ((flags & (SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIZEDLG | SHIDIF_FULLSCREENNOMENUBAR)) != 0) {
        record->fullScreen = true;
        SHACTIVATEINFO activate{};
        activate.cbSize = sizeof activate;
        SHHandleWMSettingChange(info->hDlg, SETTINGCHANGE_RESET, 0, &activate);
    }
    // SHIDIF_SIPDOWN: the input panel is not drawn on this device, so there is nothing to lower.
    SetTaskBarDoneButton(info->hDlg, (flags & SHIDIF_DONEBUTTON) != 0);
    return TRUE;
}
