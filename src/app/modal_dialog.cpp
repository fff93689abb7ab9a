#include <app/modal_dialog.h>

#include <platform/resources.h>

INT_PTR RunModalDialog(UINT templateId, HWND owner, DLGPROC procedure, LPARAM parameter) {
    HINSTANCE module = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(templateId), RT_DIALOG);
    auto* dialogTemplate =
        static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(module, resource)));
    if (dialogTemplate == nullptr) {
        return -1;
    }
    return DialogBoxIndirectParamW(module, dialogTemplate, owner, procedure, parameter);
}
