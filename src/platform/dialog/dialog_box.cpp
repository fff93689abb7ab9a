// Modal dialogs from binary templates: the dialog window's own procedure, its controls made from
// the template's items, and the nested message loop that runs while the owner is disabled.
#include <platform_internal/device_shell.h>
#include <platform_internal/dialog_record.h>
#include <platform_internal/dialog_template.h>
#include <platform_internal/resource_lookup.h>
#include <platform_internal/window_manager.h>

#include <platform/core.h>
#include <platform/device_screen.h>
#include <platform/resources.h>
#include <platform/shell.h>
#include <platform/text.h>

#include <map>
#include <mutex>

namespace {

constexpr WCHAR kDialogClass[] = u"Dialog";
// A template passed by a pointer that no resource holds is read at most this far.
constexpr std::size_t kUnknownTemplateBound = 64 * 1024;

std::mutex recordsMutex;
std::map<HWND, std::shared_ptr<DialogRecord>> records;

void ForgetRecord(HWND dialog) {
    std::shared_ptr<DialogRecord> record;
    {
        std::lock_guard lock(recordsMutex);
        auto found = records.find(dialog);
        if (found == records.end()) {
            return;
        }
        record = found->second;
        records.erase(found);
    }
    if (record->font != nullptr) {
        DeleteObject(record->font);
    }
    SetTaskBarDoneButton(dialog, false);
}

LRESULT DialogWindowProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<DialogRecord> record = FindDialogRecord(dialog);
    if (record != nullptr && record->procedure != nullptr) {
        INT_PTR handled = record->procedure(dialog, message, wParam, lParam);
        if (message == WM_INITDIALOG) {
            return handled;
        }
        if (handled != 0) {
            return handled;
        }
    }
    switch (message) {
        case WM_ERASEBKGND: {
            RECT client;
            GetClientRect(dialog, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_WINDOW));
            return 1;
        }
        case WM_CLOSE:  // as the cancel key
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
            return 0;
        case WM_SETTINGCHANGE:
            if (record != nullptr && record->fullScreen) {
                SHACTIVATEINFO info{};
                info.cbSize = sizeof info;
                SHHandleWMSettingChange(dialog, wParam, lParam, &info);
            }
            return 0;
        case WM_KEYDOWN:  // Return and Escape with the focus on the dialog itself
            if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
                PostMessageW(dialog, WM_COMMAND,
                             MAKEWPARAM(wParam == VK_RETURN ? IDOK : IDCANCEL, 0), 0);
            }
            return 0;
        case WM_GETFONT:
            return record != nullptr ? reinterpret_cast<LRESULT>(record->font) : 0;
        case WM_NCDESTROY:
            ForgetRecord(dialog);
            break;
        default:
            break;
    }
    return DefWindowProcW(dialog, message, wParam, lParam);
}

void RegisterDialogClass() {
    static bool registered = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DialogWindowProc;
        windowClass.lpszClassName = kDialogClass;
        return RegisterClassW(&windowClass) != 0;
    }();
    (void)registered;
}

HFONT MakeDialogFont(const ParsedDialog& parsed) {
    LOGFONTW font{};
    int points = parsed.pointSize > 0 ? parsed.pointSize : 8;
    font.lfHeight = -MulDiv(points, CurrentDeviceScreen().dpi, 72);
    font.lfWeight = FW_NORMAL;
    lstrcpynW(font.lfFaceName, parsed.font.c_str(), LF_FACESIZE);
    return CreateFontIndirectW(&font);
}

// An icon or bitmap static whose title names a resource gets that image.
void SetStaticImage(HWND control, const ParsedDialogItem& item, HINSTANCE instance) {
    if (!item.title.isOrdinal || DialogClassName(item.windowClass) != u"STATIC") {
        return;
    }
    LPCWSTR name = MAKEINTRESOURCEW(item.title.ordinal);
    if ((item.style & 0xF) == SS_ICON) {
        SendMessageW(control, STM_SETIMAGE, IMAGE_ICON,
                     reinterpret_cast<LPARAM>(LoadIconW(instance, name)));
    } else if ((item.style & 0xF) == SS_BITMAP) {
        SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP,
                     reinterpret_cast<LPARAM>(LoadBitmapW(instance, name)));
    }
}

HWND CreateDialogWindow(HINSTANCE instance, const ParsedDialog& parsed, HWND owner,
                        DLGPROC procedure, LPARAM parameter) {
    RegisterControlClasses();
    RegisterDialogClass();
    int dpi = CurrentDeviceScreen().dpi;
    RECT area{parsed.x, parsed.y, parsed.x + parsed.cx, parsed.y + parsed.cy};
    area = {MulDiv(area.left, 6 * dpi, 4 * 96), MulDiv(area.top, 13 * dpi, 8 * 96),
            MulDiv(area.right, 6 * dpi, 4 * 96), MulDiv(area.bottom, 13 * dpi, 8 * 96)};
    int top = DefaultWindowArea().top;  // below the task bar
    DWORD style = (parsed.style & ~(WS_VISIBLE | WS_CHILD)) | WS_POPUP;
    HWND dialog = CreateWindowExW(parsed.exStyle, kDialogClass, parsed.title.c_str(), style,
                                  area.left, top + area.top, area.right - area.left,
                                  area.bottom - area.top, owner, nullptr, instance, nullptr);
    if (dialog == nullptr) {
        return nullptr;
    }
    auto record = std::make_shared<DialogRecord>();
    record->procedure = procedure;
    record->font = MakeDialogFont(parsed);
    {
        std::lock_guard lock(recordsMutex);
        records[dialog] = record;
    }
    SendMessageW(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(record->font), FALSE);
    for (const ParsedDialogItem& item : parsed.items) {
        RECT box{item.x, item.y, item.x + item.cx, item.y + item.cy};
        MapDialogRect(dialog, &box);
        std::u16string windowClass = DialogClassName(item.windowClass);
        std::u16string title = item.title.isOrdinal ? u"" : item.title.text;
        HWND control = CreateWindowExW(
            item.exStyle, windowClass.c_str(), title.c_str(), item.style | WS_CHILD, box.left,
            box.top, box.right - box.left, box.bottom - box.top, dialog,
            reinterpret_cast<HMENU>(static_cast<std::intptr_t>(item.id)), instance, nullptr);
        if (control == nullptr) {
            OutputDebugStringW((u"dialog: no control of class " + windowClass + u"\n").c_str());
            continue;
        }
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(record->font), FALSE);
        SetStaticImage(control, item, instance);
    }
    if (SendMessageW(dialog, WM_INITDIALOG, 0, parameter) != 0) {
        for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT)) {
            if ((GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP) != 0 && IsWindowVisible(child) &&
                IsWindowEnabled(child)) {
                SetFocus(child);
                break;
            }
        }
    }
    return dialog;
}

}  // namespace

std::shared_ptr<DialogRecord> FindDialogRecord(HWND dialog) {
    std::lock_guard lock(recordsMutex);
    auto found = records.find(dialog);
    return found == records.end() ? nullptr : found->second;
}

INT_PTR DialogBoxIndirectParamW(HINSTANCE instance, const DLGTEMPLATE* dialogTemplate, HWND owner,
                                DLGPROC procedure, LPARAM parameter) {
    if (dialogTemplate == nullptr) {
        return -1;
    }
    std::size_t size = ResourceBytesFrom(dialogTemplate);
    auto parsed = ParseDialogTemplate(reinterpret_cast<const BYTE*>(dialogTemplate),
                                      size != 0 ? size : kUnknownTemplateBound);
    if (!parsed) {
        return -1;
    }
    if (instance == nullptr) {
        instance = GetModuleHandleW(nullptr);
    }
    bool ownerWasEnabled = owner != nullptr && IsWindow(owner) && IsWindowEnabled(owner);
    if (ownerWasEnabled) {
        EnableWindow(owner, FALSE);
    }
    HWND dialog = CreateDialogWindow(instance, *parsed, owner, procedure, parameter);
    std::shared_ptr<DialogRecord> record = FindDialogRecord(dialog);
    if (dialog != nullptr && record != nullptr && !record->ended) {
        ShowWindow(dialog, SW_SHOW);
        SetForegroundWindow(dialog);
    }
    bool quit = false;
    int quitCode = 0;
    while (record != nullptr && !record->ended && IsWindow(dialog) &&
           (owner == nullptr || IsWindow(owner))) {
        MSG message;
        if (!GetMessageW(&message, nullptr, 0, 0)) {
            quit = true, quitCode = static_cast<int>(message.wParam);
            break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    INT_PTR result = record == nullptr ? -1 : record->ended ? record->result : 0;
    if (ownerWasEnabled && IsWindow(owner)) {
        EnableWindow(owner, TRUE);
    }
    if (IsWindow(dialog)) {
        DestroyWindow(dialog);
    }
    if (owner != nullptr && IsWindow(owner)) {
        SetForegroundWindow(owner);
    }
    if (quit) {
        PostQuitMessage(quitCode);  // for the program's own loop
    }
    return result;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
    std::shared_ptr<DialogRecord> record = FindDialogRecord(dialog);
    if (record == nullptr) {
        return FALSE;
    }
    record->ended = true;
    record->result = result;
    PostMessageW(dialog, WM_NULL, 0, 0);  // wakes the modal loop
    return TRUE;
}

BOOL MapDialogRect(HWND dialog, LPRECT rect) {
    if (rect == nullptr || FindDialogRecord(dialog) == nullptr) {
        return FALSE;
    }
    int dpi = CurrentDeviceScreen().dpi;
    rect->left = MulDiv(rect->left, 6 * dpi, 4 * 96);
    rect->right = MulDiv(rect->right, 6 * dpi, 4 * 96);
    rect->top = MulDiv(rect->top, 13 * dpi, 8 * 96);
    rect->bottom = MulDiv(rect->bottom, 13 * dpi, 8 * 96);
    return TRUE;
}
