// Runs a modal dialog from a template resource of the program's module.
#pragma once

#include <platform/dialog.h>

// -1 when the template is missing or the dialog could not be made.
INT_PTR RunModalDialog(UINT templateId, HWND owner, DLGPROC procedure, LPARAM parameter);
