// ClientWindow: the base of the program's top-level windows. One static window procedure
// dispatches every message to the object's virtual WindowProc; the window gets a soft-key menu
// bar from a menu-bar resource and follows the shell's rules for activation and setting changes.
#pragma once

#include <platform/shell.h>
#include <platform/window.h>

constexpr WCHAR kClientWindowClass[] = u"VncClientWindow";

class ClientWindow {
  public:
    // Creates the platform window of class "VncClientWindow": visible, with scroll bars when asked,
    // default position and size, owned by owner (or none); the menu bar is made in WM_CREATE.
    // exStyle is the window's extended style from the start (a tool bar's WS_EX_NOACTIVATE).
    ClientWindow(HWND owner, LPCWSTR title, UINT menuBarId, bool withScrollBars, DWORD exStyle = 0);
    virtual ~ClientWindow();
    ClientWindow(const ClientWindow&) = delete;
    ClientWindow& operator=(const ClientWindow&) = delete;

    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The help topic for WM_HELP; none here.
    virtual LPCWSTR HelpTopic();

    // Detaches this object from the platform window, then destroys the window.
    void Destroy();
    // SW_SHOW (and foreground) or SW_HIDE.
    void Show(bool show);
    HWND Handle() const { return window_; }
    HWND MenuBar() const { return menuBar_; }
    // The pop-up menu of the menu-bar button with this command.
    HMENU MenuBarPopup(UINT command) const;

    // The pop-up menu of the button at index of window's menu bar.
    static HMENU MenuBarPopupByIndex(HWND window, int index);
    // The (sub)menu that holds command 32792 ("Show toolbar" of the viewer's Keyboard menu), or
    // null.
    static HMENU FindShowToolbarMenu(HMENU menu);

    // Registers the window class (the module's icon 101, white background); false on failure.
    static bool RegisterWindowClass(HINSTANCE instance);
    static void UnregisterWindowClass(HINSTANCE instance);

  private:
    static LRESULT StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnCreate();

    HWND window_ = nullptr;
    HWND menuBar_ = nullptr;
    SHACTIVATEINFO activateInfo_{};
    UINT menuBarId_ = 0;
};
