// MessageBoxW: a box with the caption, an icon, the text and its buttons, above its owner. On the
// UI thread it runs its own loop with the owner disabled; a worker thread waits while the UI
// thread shows it. Either way the box goes, answering 0, when its owner is destroyed.
#include <platform_internal/filled_paint.h>
#include <platform_internal/message_queue.h>

#include <algorithm>

#include <platform/core.h>
#include <platform/device_screen.h>
#include <platform/dialog.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace {

constexpr WCHAR kBoxClass[] = u"MessageBox";

struct BoxState {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    int result = 0;
    HWND owner = nullptr;
    HWND window = nullptr;
    std::u16string text;
    std::u16string caption;
    UINT type = 0;
    HFONT font = nullptr;
};

int Scaled(int logical) {
    return (logical * CurrentDeviceScreen().dpi + 48) / 96;
}

void Finish(BoxState& state, int result) {
    std::lock_guard lock(state.mutex);
    if (!state.done) {
        state.done = true;
        state.result = result;
    }
    state.finished.notify_all();
}

std::shared_ptr<BoxState>* StateOf(HWND window) {
    return reinterpret_cast<std::shared_ptr<BoxState>*>(GetWindowLongPtrW(window, GWL_USERDATA));
}

struct ButtonSpec {
    int id;
    LPCWSTR label;
};

std::vector<ButtonSpec> ButtonsFor(UINT type) {
    switch (type & 0xF) {
        case MB_OKCANCEL:
            return {{IDOK, u"OK"}, {IDCANCEL, u"Cancel"}};
        case MB_YESNO:
            return {{IDYES, u"Yes"}, {IDNO, u"No"}};
        case MB_YESNOCANCEL:
            return {{IDYES, u"Yes"}, {IDNO, u"No"}, {IDCANCEL, u"Cancel"}};
        default:
            return {{IDOK, u"OK"}};
    }
}

RECT TextArea(const RECT& client) {
    return {Scaled(44), Scaled(10), client.right - Scaled(8), client.bottom - Scaled(34)};
}

void Paint(HWND window, BoxState& state) {
    PAINTSTRUCT paint;
    RECT client;
    HDC dc = BeginFilledPaint(window, paint, client, COLOR_WINDOW);
    HGDIOBJ previousBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    HGDIOBJ previousPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    Rectangle(dc, 0, 0, client.right, client.bottom);
    // The icon: a disc with a sign (error x, question ?, warning !, information i).
    UINT icon = state.type & 0xF0;
    if (icon != 0) {
        COLORREF colour = icon == MB_ICONERROR     ? RGB(200, 0, 0)
                          : icon == MB_ICONWARNING ? RGB(220, 160, 0)
                                                   : RGB(0, 0, 160);
        HBRUSH disc = CreateSolidBrush(colour);
        SelectObject(dc, disc);
        int size = Scaled(26);
        RoundRect(dc, Scaled(10), Scaled(10), Scaled(10) + size, Scaled(10) + size, size, size);
        SelectObject(dc, GetStockObject(NULL_BRUSH));
        DeleteObject(disc);
        LPCWSTR sign = icon == MB_ICONERROR      ? u"x"
                       : icon == MB_ICONQUESTION ? u"?"
                       : icon == MB_ICONWARNING  ? u"!"
                                                 : u"i";
        RECT signArea{Scaled(10), Scaled(10), Scaled(10) + size, Scaled(10) + size};
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(255, 255, 255));
        HGDIOBJ previousFont = SelectObject(dc, state.font);
        DrawTextW(dc, sign, -1, &signArea, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
        SelectObject(dc, previousFont);
    }
    SelectObject(dc, previousPen);
    SelectObject(dc, previousBrush);
    HGDIOBJ previousFont = SelectObject(dc, state.font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    RECT text = TextArea(client);
    DrawTextW(dc, state.text.c_str(), -1, &text, DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, previousFont);
    EndPaint(window, &paint);
}

LRESULT BoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<BoxState>* state = StateOf(window);
    switch (message) {
        case WM_PAINT:
            if (state != nullptr) {
                Paint(window, **state);
                return 0;
            }
            break;
        case WM_COMMAND:
            if (state != nullptr) {
                Finish(**state, LOWORD(wParam));
                DestroyWindow(window);
            }
            return 0;
        case WM_CLOSE:
            if (state != nullptr) {
                UINT buttons = (*state)->type & 0xF;
                Finish(**state, buttons == MB_OK ? IDOK : buttons == MB_YESNO ? IDNO : IDCANCEL);
            }
            DestroyWindow(window);
            return 0;
        case WM_NCDESTROY:
            if (state != nullptr) {
                Finish(**state, 0);
                if ((*state)->font != nullptr) {
                    DeleteObject((*state)->font);
                }
                SetWindowLongPtrW(window, GWL_USERDATA, 0);
                delete state;
            }
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// On the UI thread: makes the box, sized to its text, in the middle of the screen.
void CreateBox(const std::shared_ptr<BoxState>& state) {
    static bool registered = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = BoxProc;
        windowClass.lpszClassName = kBoxClass;
        return RegisterClassW(&windowClass) != 0;
    }();
    (void)registered;
    RegisterControlClasses();
    if (state->owner != nullptr && !IsWindow(state->owner)) {
        Finish(*state, 0);
        return;
    }
    LOGFONTW logical{};
    logical.lfHeight = -MulDiv(8, CurrentDeviceScreen().dpi, 72);
    state->font = CreateFontIndirectW(&logical);
    DeviceScreenConfig screen = CurrentDeviceScreen();
    int width = screen.width - Scaled(16);
    RECT measure{0, 0, width - Scaled(52), 0};
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, state->font);
    DrawTextW(dc, state->text.c_str(), -1, &measure, DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
    SelectObject(dc, previous);
    DeleteDC(dc);
    int height = std::max<int>(measure.bottom, Scaled(26)) + Scaled(10 + 44);
    height = std::min(height, screen.height - Scaled(26));
    HWND window = CreateWindowExW(WS_EX_TOPMOST, kBoxClass, state->caption.c_str(), WS_POPUP,
                                  (screen.width - width) / 2, (screen.height - height) / 2, width,
                                  height, state->owner, nullptr, nullptr, nullptr);
    if (window == nullptr) {
        Finish(*state, 0);
        return;
    }
    SetWindowLongPtrW(window, GWL_USERDATA,
                      reinterpret_cast<LONG_PTR>(new std::shared_ptr<BoxState>(state)));
    // The text is also kept, unseen, in a static control with the id 0xFFFF, as the handheld's
    // boxes do, so that what a box says can be read back.
    CreateWindowExW(0, WC_STATIC, state->text.c_str(), WS_CHILD | SS_NOPREFIX, 0, 0, 0, 0, window,
                    reinterpret_cast<HMENU>(static_cast<std::intptr_t>(0xFFFF)), nullptr, nullptr);
    std::vector<ButtonSpec> buttons = ButtonsFor(state->type);
    int buttonWidth = Scaled(60), gap = Scaled(6);
    int x = (width - static_cast<int>(buttons.size()) * (buttonWidth + gap) + gap) / 2;
    for (const ButtonSpec& button : buttons) {
        HWND control = CreateWindowExW(
            0, WC_BUTTON, button.label, WS_CHILD | WS_VISIBLE | WS_TABSTOP, x, height - Scaled(30),
            buttonWidth, Scaled(22), window,
            reinterpret_cast<HMENU>(static_cast<std::intptr_t>(button.id)), nullptr, nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(state->font), FALSE);
        x += buttonWidth + gap;
    }
    {
        std::lock_guard lock(state->mutex);
        state->window = window;
    }
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
}

void DestroyBoxOnUiThread(const std::shared_ptr<BoxState>& state) {
    RunOnUiThread([state] {
        HWND window;
        {
            std::lock_guard lock(state->mutex);
            window = state->window;
        }
        if (window != nullptr && IsWindow(window)) {
            DestroyWindow(window);
        }
    });
}

}  // namespace

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    auto state = std::make_shared<BoxState>();
    state->owner = owner;
    state->text = text != nullptr ? text : u"";
    state->caption = caption != nullptr ? caption : u"Error";
    state->type = type;
    if (UiThread() == 0) {
        return 0;  // nothing can show it
    }
    if (GetCurrentThreadId() == UiThread()) {
        bool ownerWasEnabled = owner != nullptr && IsWindowEnabled(owner);
        if (ownerWasEnabled) {
            EnableWindow(owner, FALSE);
        }
        CreateBox(state);
        bool quit = false;
        int quitCode = 0;
        while (!state->done) {
            if (owner != nullptr && !IsWindow(owner)) {
                DestroyWindow(state->window);
                break;
            }
            MSG message;
            if (!GetMessageW(&message, nullptr, 0, 0)) {
                quit = true, quitCode = static_cast<int>(message.wParam);
                DestroyWindow(state->window);
                break;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (ownerWasEnabled && IsWindow(owner)) {
            EnableWindow(owner, TRUE);
            SetForegroundWindow(owner);
        }
        if (quit) {
            PostQuitMessage(quitCode);
        }
        std::lock_guard lock(state->mutex);
        return state->done ? state->result : 0;
    }
    if (!RunOnUiThread([state] { CreateBox(state); })) {
        return 0;  // the UI thread has ended: nothing can show it
    }
    std::unique_lock lock(state->mutex);
    while (!state->done) {
        state->finished.wait_for(lock, std::chrono::milliseconds(20));
        if (!state->done && owner != nullptr && !IsWindow(owner)) {
            state->done = true;  // the owner went: nobody is left to answer
            state->result = 0;
            lock.unlock();
            DestroyBoxOnUiThread(state);
            lock.lock();
        }
    }
    return state->result;
}
