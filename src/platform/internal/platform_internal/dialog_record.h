// What the dialog manager keeps for each open dialog window (UI thread).
#pragma once

#include <platform/dialog.h>

#include <memory>

struct DialogRecord {
    DLGPROC procedure = nullptr;
    HFONT font = nullptr;
    bool ended = false;
    INT_PTR result = 0;
    bool fullScreen = false;  // SHInitDialog: refitted to the work area on rotation
};

// The record of a dialog window, or null when the window is not a dialog.
std::shared_ptr<DialogRecord> FindDialogRecord(HWND dialog);
