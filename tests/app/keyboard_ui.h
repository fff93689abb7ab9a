// What the keyboard dialogs' tests share: finding the dialogs by title, their soft keys, the
// rows of their lists and the open drop-down of a combo box, as a person finds them on screen.
#pragma once

#include <widgets/client_window.h>
#include <platform/commctrl.h>
#include <platform/dialog.h>
#include <platform/shell.h>
#include <platform_testing/device_harness.h>
#include <resources/resources.h>

#include <string>
#include <vector>

class KeyboardUi {
  public:
    explicit KeyboardUi(DeviceHarness& device) : device_(device) {}

    // The visible dialog titled title, or null.
    HWND Dialog(const std::u16string& title) const {
        HWND dialog = device_.FindTopLevel(u"Dialog", title);
        return dialog != nullptr && IsWindowVisible(dialog) && IsWindowEnabled(dialog) ? dialog
                                                                                       : nullptr;
    }
    // The pop-up menus open now, the first opened first.
    std::vector<HWND> Menus() const {
        std::vector<HWND> menus;
        for (HWND window : device_.TopLevels()) {
            WCHAR name[16] = {};
            GetClassNameW(window, name, 16);
            if (std::u16string(name) == u"MNU" && IsWindowVisible(window)) {
                menus.push_back(window);
            }
        }
        return menus;
    }
    // The left ("Done") or right ("Menu", "Macros") soft key of window's bar.
    void TapSoftKey(HWND window, bool right) {
        RECT bar = device_.ScreenRectOf(SHFindMenuBar(window));
        int quarter = (bar.right - bar.left) / 4;
        device_.Tap(right ? bar.right - quarter : bar.left + quarter, (bar.top + bar.bottom) / 2);
    }
    // Item n (no separator above it) of the menu window.
    void TapMenuItem(HWND menu, int n) {
        RECT r = device_.ScreenRectOf(menu);
        device_.Tap((r.left + r.right) / 2, r.top + 1 + 21 * n + 10);
    }
    // Whether command of window's "Menu" pop-up is enabled.
    static bool MenuEnabled(HWND window, UINT command) {
        auto menu = reinterpret_cast<HMENU>(
            SendMessageW(SHFindMenuBar(window), SHCMBM_GETSUBMENU, 0, 40401));
        return (GetMenuState(menu, command, MF_BYCOMMAND) & MF_GRAYED) == 0;
    }

    static int Rows(HWND list) {
        return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    }
    static std::u16string Cell(HWND list, int row, int column) {
        WCHAR text[100] = {};
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = 100;
        SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&item));
        return text;
    }
    static int Selected(HWND list) {
        return static_cast<int>(
            SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    }
    // Row's rectangle on the screen.
    RECT RowOnScreen(HWND list, int row) const {
        RECT r{LVIR_BOUNDS, 0, 0, 0};
        SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
        POINT origin{0, 0};
        ClientToScreen(list, &origin);
        OffsetRect(&r, origin.x, origin.y);
        return r;
    }
    void TapRow(HWND list, int row, int x = 12) {
        RECT r = RowOnScreen(list, row);
        device_.Tap(r.left + x, (r.top + r.bottom) / 2);
    }
    void TapCenter(HWND window) {
        RECT r = device_.ScreenRectOf(window);
        device_.Tap((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    // Opens combo's list with a tap on its arrow, pages down pages times and taps the n-th item
    // shown (18 pixels each).
    void Choose(HWND combo, int pages, int n) {
        RECT field = device_.ScreenRectOf(combo);
        device_.Tap(field.right - 4, (field.top + field.bottom) / 2);
        HWND list = device_.FindTopLevel(u"ComboLBox");
        if (list == nullptr) {
            return;
        }
        RECT open = device_.ScreenRectOf(list);
        for (int i = 0; i < pages; ++i) {
            device_.Tap(open.right - 4, open.bottom - 6);
        }
        device_.Tap(open.left + 20, open.top + 1 + 18 * n + 9);
    }
    // Replaces the text of a combo box's or an edit's field with typed text.
    void TypeInto(HWND field, const std::u16string& text) {
        HWND edit = GetWindow(field, GW_CHILD) != nullptr ? GetWindow(field, GW_CHILD) : field;
        RECT r = device_.ScreenRectOf(edit);
        device_.Tap(r.left + 6, (r.top + r.bottom) / 2);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        device_.Type(text);
    }
    static std::u16string Text(HWND window) {
        WCHAR text[260] = {};
        SendMessageW(window, WM_GETTEXT, 260, reinterpret_cast<LPARAM>(text));
        return text;
    }

  private:
    DeviceHarness& device_;
};

#include "test_windows.h"
#include "ui_script.h"

#include <functional>

// A UiScript whose timer, which also fires while an action's taps pump (and between a step's
// being taken and its action), runs a step only when the one before it is done with its taps;
// an action whose last tap opens a menu or a dialog (whose own loop the next steps run in) calls
// Free() just before that tap.
class StepScript {
  public:
    explicit StepScript(DeviceHarness& device) : script_(device) {}
    StepScript& Step(std::function<bool()> condition, std::function<void()> action) {
        // The step is taken as soon as its condition holds: it claims the script there.
        script_.When(
            [this, condition] {
                if (busy_ || !condition()) {
                    return false;
                }
                busy_ = true;
                return true;
            },
            [this, action] {
                action();
                busy_ = false;
            });
        return *this;
    }
    void Free() { busy_ = false; }
    bool Run(int timeoutMilliseconds = 10000) { return script_.Run(timeoutMilliseconds); }
    void Start() { script_.Start(); }
    void Stop() { script_.Stop(); }
    bool Done() const { return script_.Done(); }

  private:
    UiScript script_;
    bool busy_ = false;
};

// Item n (counted from the first) of a menu with one separator (7 pixels high) above it.
inline void TapMenuItemBelowSeparator(DeviceHarness& device, HWND menu, int n) {
    RECT r = device.ScreenRectOf(menu);
    device.Tap((r.left + r.right) / 2, r.top + 1 + 21 * n + 7 + 10);
}

// A window for the dialogs to be owned by.
inline HWND MakeDialogOwner() {
    RegisterTestClass(u"KeyboardDialogOwner", DefWindowProcW, WhiteBackground());
    return CreateWindowExW(0, u"KeyboardDialogOwner", u"Owner", WS_VISIBLE, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr,
                           nullptr);
}
