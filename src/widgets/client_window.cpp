#include <widgets/client_window.h>

#include <widgets/help.h>
#include <resources/resources.h>

#include <platform/resources.h>

namespace {

constexpr UINT kShowToolbarCommand = 32792;

}  // namespace

ClientWindow::ClientWindow(HWND owner, LPCWSTR title, UINT menuBarId, bool withScrollBars,
                           DWORD exStyle)
    : menuBarId_(menuBarId) {
    DWORD style = WS_VISIBLE | (withScrollBars ? WS_HSCROLL | WS_VSCROLL : 0);
    CreateWindowExW(exStyle, kClientWindowClass, title, style, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, ModuleInstance(), this);
}

ClientWindow::~ClientWindow() {
    Destroy();
}

void ClientWindow::Destroy() {
    if (window_ == nullptr) {
        return;
    }
    HWND window = window_;
    SetWindowLongPtrW(window, GWL_USERDATA, 0);
    window_ = nullptr;
    DestroyWindow(window);
}

void ClientWindow::Show(bool show) {
    ShowWindow(window_, show ? SW_SHOW : SW_HIDE);
    if (show) {
        SetForegroundWindow(window_);
    }
}

LPCWSTR ClientWindow::HelpTopic() {
    return nullptr;
}

HMENU ClientWindow::MenuBarPopup(UINT command) const {
    return reinterpret_cast<HMENU>(SendMessageW(menuBar_, SHCMBM_GETSUBMENU, 0, command));
}

HMENU ClientWindow::MenuBarPopupByIndex(HWND window, int index) {
    HWND menuBar = SHFindMenuBar(window);
    TBBUTTONINFOW info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_BYINDEX | TBIF_LPARAM;
    SendMessageW(menuBar, TB_GETBUTTONINFO, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&info));
    return reinterpret_cast<HMENU>(info.lParam);
}

HMENU ClientWindow::FindShowToolbarMenu(HMENU menu) {
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        if (GetMenuItemID(menu, i) == kShowToolbarCommand) {
            return menu;
        }
        if (HMENU popup = GetSubMenu(menu, i)) {
            if (HMENU found = FindShowToolbarMenu(popup)) {
                return found;
            }
        }
    }
    return nullptr;
}

LRESULT ClientWindow::StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* object = static_cast<ClientWindow*>(create->lpCreateParams);
        if (object != nullptr) {
            object->window_ = window;
            SetWindowLongPtrW(window, GWL_USERDATA, reinterpret_cast<LONG_PTR>(object));
        }
    }
    auto* object = reinterpret_cast<ClientWindow*>(GetWindowLongPtrW(window, GWL_USERDATA));
    if (object == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    LRESULT result = object->WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        object->window_ =
            nullptr;  // the handle is gone (and may be reused): never destroy it again
    }
    return result;
}

LRESULT ClientWindow::OnCreate() {
    if (menuBarId_ != 0) {
        SHMENUBARINFO info{};
        info.cbSize = sizeof info;
        info.hwndParent = window_;
        info.nToolBarId = menuBarId_;
        info.hInstRes = ModuleInstance();
        menuBar_ = SHCreateMenuBar(&info) ? info.hwndMB : nullptr;
    }
    activateInfo_ = SHACTIVATEINFO{};
    activateInfo_.cbSize = sizeof activateInfo_;
    if (menuBar_ != nullptr) {
        // The bottom edge meets the menu bar's top edge.
        RECT window, bar;
        GetWindowRect(window_, &window);
        GetWindowRect(menuBar_, &bar);
        int height = (window.bottom - bar.bottom + bar.top) - window.top;
        MoveWindow(window_, window.left, window.top, window.right - window.left, height, FALSE);
    }
    return 0;
}

LRESULT ClientWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            return OnCreate();
        case WM_ACTIVATE:
            SHHandleWMActivate(window_, wParam, lParam, &activateInfo_, 0);
            return 0;
        case WM_SETTINGCHANGE:
            SHHandleWMSettingChange(window_, wParam, lParam, &activateInfo_);
            return 0;
        case WM_HELP:
            ShowHelp(HelpTopic());
            return 1;
        default:
            return DefWindowProcW(window_, message, wParam, lParam);
    }
}

bool ClientWindow::RegisterWindowClass(HINSTANCE instance) {
    WNDCLASSW windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = StaticWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(101));
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = kClientWindowClass;
    return RegisterClassW(&windowClass) != 0;
}

void ClientWindow::UnregisterWindowClass(HINSTANCE instance) {
    UnregisterClassW(kClientWindowClass, instance);
}
