#include <app/key_field.h>

#include <platform/dialog.h>
#include <platform/resources.h>
#include <platform/text.h>
#include <settings/settings_key.h>

namespace {

constexpr int kFieldReadCapacity = 101;  // 100 characters read

}  // namespace

void ShowKeysymInField(HWND combo, Keysym keysym) {
    if (FindNamedKey(keysym) >= 0) {
        auto count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            if (static_cast<Keysym>(
                    SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)) == keysym) {
                SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
                return;
            }
        }
    }
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    WCHAR text[2] = {static_cast<WCHAR>(keysym), 0};
    SetWindowTextW(combo, text);
}

Keysym KeysymFromField(HWND combo, bool upperCase) {
    auto selected = static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
    if (selected >= 0) {
        return static_cast<Keysym>(
            SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0));
    }
    WCHAR text[kFieldReadCapacity] = {};
    SendMessageW(combo, WM_GETTEXT, static_cast<WPARAM>(kFieldReadCapacity),
                 reinterpret_cast<LPARAM>(text));
    return upperCase ? towupper(text[0]) : text[0];
}

void KeepOneCharacter(HWND combo) {
    WCHAR text[kTextCapacity] = {};
    int length = static_cast<int>(SendMessageW(
        combo, WM_GETTEXT, static_cast<WPARAM>(kTextCapacity), reinterpret_cast<LPARAM>(text)));
    bool lowerLetter = length == 1 && towupper(text[0]) != text[0];
    if (length < 2 && !lowerLetter) {
        return;
    }
    WCHAR kept[2] = {towupper(text[0]), 0};
    SetWindowTextW(combo, kept);
}
