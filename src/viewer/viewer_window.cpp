// The viewer window: construction, teardown, window messages and commands.
#include <viewer/viewer_messages.h>
#include <viewer/viewer_window.h>

#include <app/password_prompt.h>
#include <platform/clipboard.h>
#include <platform/dialog.h>
#include <platform/menu.h>
#include <platform/resources.h>
#include <platform/text.h>
#include <resources/resources.h>
#include <settings/viewer_messages.h>

#include <new>

namespace {

constexpr WORD kShowZoomBar = 32785;
constexpr WORD kFitToScreen = 32786;
constexpr WORD kShowKeyToolbar = 32792;
constexpr WORD kDefineKeys = 32793;
constexpr WORD kRefreshVisibleArea = 32783;
constexpr WORD kRefreshWholeScreen = 32782;
constexpr WORD kCloseServer = 32779;
constexpr WORD kList = 40102;
constexpr UINT kMenuButton = 40401;

struct ZoomCommand {
    WORD command;
    int percent;
};
constexpr ZoomCommand kZoomCommands[] = {
    {32787, 25}, {32788, 50}, {32789, 100}, {32794, 200}, {32795, 300}};

constexpr int kZoomBarRow = 1;
constexpr int kKeyToolbarRow = 2;
constexpr DWORD kDockLeftRowsFromBottom = 1;

}  // namespace

ViewerWindow::ViewerWindow(HWND list, LPCWSTR title, const ServerRecord& record,
                           SettingsKey* serverKey)
    : ClientWindow(nullptr, title, IDR_VIEWER_BAR, true),
      list_(list),
      zoomBar_(Handle()),
      keyToolbar_(Handle()),
      view_(ViewState{{1, 1}, record.settings}) {
    showZoomBar_ = serverKey != nullptr && serverKey->readDword(u"ShowZoombar", 0) != 0;
    showKeyboard_ = serverKey != nullptr && serverKey->readDword(u"ShowKeyboard", 0) != 0;
    zoomBar_.SetListener(this);
    zoomBar_.SetDocking(kDockLeftRowsFromBottom);
    zoomBar_.SetRow(kZoomBarRow);
    zoomBar_.Show(showZoomBar_);
    keyToolbar_.SetListener(this);
    keyToolbar_.SetDocking(kDockLeftRowsFromBottom);
    keyToolbar_.SetRow(kKeyToolbarRow);
    keyToolbar_.Show(showKeyboard_);
    keyToolbar_.Layout(serverKey);
    menuKeys_.Load(serverKey);
    if (HMENU menu = MenuBarPopup(kMenuButton)) {
        CheckMenuItem(menu, kShowZoomBar, showZoomBar_ ? MF_CHECKED : MF_UNCHECKED);
        CheckMenuItem(menu, kShowKeyToolbar, showKeyboard_ ? MF_CHECKED : MF_UNCHECKED);
    }
    menuKeys_.BuildMenu(KeyboardMenu());
    display_ = CreateDisplayInfo(Handle());
    store_ = display_->CreateFrameBuffer();
    transport_ = std::make_unique<SocketTransport>(this);
    session_ = std::make_unique<RfbSession>(this, transport_.get());
    Show(true);
    // Connecting waits until the list has attached this viewer to its record: the password
    // prompt runs a nested loop in which the list must already find it.
    PostMessageW(Handle(), WM_VIEWER_START, 0, 0);
}

ViewerWindow::~ViewerWindow() {
    // Nothing stays pressed on the server once the viewer has gone.
    ReleaseHeldKeys();
    // The threads that call the listeners end before anything they use goes.
    session_->Shutdown();
    session_.reset();
    transport_.reset();
    KillTimer(Handle(), kUpdateTimer);
    KillTimer(Handle(), kRedrawTimer);
    store_.reset();
    display_.reset();
}

void ViewerWindow::Start() {
    if (!store_->HasSurface()) {
        ShowError(IDS_NO_FRAME_BUFFER);
        return;
    }
    if (!view_.Lock()->settings.SavePassword) {
        WCHAR password[kTextCapacity] = {};
        if (!PasswordPrompt::Run(Handle(), password, kTextCapacity)) {
            return;  // no connection; the state stays "Connecting..."
        }
        lstrcpynW(view_.Lock()->settings.Password, password, kTextCapacity);
    }
    WCHAR host[kTextCapacity];
    std::uint16_t port;
    {
        auto view = view_.Lock();
        lstrcpynW(host, view->settings.Hostname, kTextCapacity);
        port = ServerTcpPort(view->settings);
    }
    transport_->Connect(host, port);
}

void ViewerWindow::ShowError(UINT textId) {
    WCHAR text[1024];
    LoadStringW(ModuleInstance(), textId, text, 1024);
    MessageBoxW(Handle(), text, u"Error", MB_ICONHAND);
}

LRESULT ViewerWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            // The Keyboard menu's key items come first.
            if (menuKeys_.OnCommand(KeyboardMenu(), heldKeys_, LOWORD(wParam))) {
                AfterKeySent();
            } else {
                OnCommand(LOWORD(wParam));
            }
            return 0;
        case WM_HSCROLL:
        case WM_VSCROLL:
            OnScroll(message == WM_HSCROLL ? SB_HORZ : SB_VERT, wParam);
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_MOUSEMOVE:
            OnStylus(message, lParam);
            return 0;
        case WM_KEYDOWN:
        case WM_KEYUP:
            keys_.HandleKeyMessage(Handle(), message, wParam, lParam, *this);
            AfterKeySent();
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            BeginPaint(Handle(), &paint);
            EndPaint(Handle(), &paint);
            PaintFrame();
            return 0;
        }
        case WM_ACTIVATE:
            OnActivate(LOWORD(wParam) != WA_INACTIVE);
            break;
        case WM_SIZE:
        case WM_SETTINGCHANGE:
            UpdateScrollBars();
            zoomBar_.SetRow(kZoomBarRow);
            keyToolbar_.SetRow(kKeyToolbarRow);
            PaintFrame();
            if (message == WM_SETTINGCHANGE) {
                // Also sent after the defined keys were edited, and after a rotation.
                ReloadKeys();
            }
            break;
        case WM_TIMER:
            if (wParam == kUpdateTimer) {
                KillTimer(Handle(), kUpdateTimer);
                RequestVisibleUpdate();
                return 0;
            }
            if (wParam == kRedrawTimer) {
                SetRedrawTimer(false);
                PaintFrame();
                return 0;
            }
            break;
        case WM_VIEWER_START:
            Start();
            return 0;
        case WM_VIEWER_DESKTOP_READY:
            UpdateScrollBars();
            ResetZoomBar();
            InvalidateRect(Handle(), nullptr, FALSE);
            return 0;
        case WM_VIEWER_ERROR:
            // Nothing of this object is touched after the box: closing the viewer while it is up
            // destroys the box with its owner.
            ShowError(static_cast<UINT>(wParam));
            return 0;
        default:
            break;
    }
    return ClientWindow::WindowProc(message, wParam, lParam);
}

void ViewerWindow::OnCommand(WORD command) {
    for (const ZoomCommand& zoom : kZoomCommands) {
        if (zoom.command == command) {
            SetZoom(Fraction::Make(zoom.percent, 100), true);
            return;
        }
    }
    switch (command) {
        case kShowZoomBar:
            ToggleBar(zoomBar_, showZoomBar_, kShowZoomBar, u"ShowZoombar");
            return;
        case kShowKeyToolbar:
            ToggleBar(keyToolbar_, showKeyboard_, kShowKeyToolbar, u"ShowKeyboard");
            return;
        case kDefineKeys:
            DefineKeys();
            return;
        case kFitToScreen: {
            // Fitting may take the scroll bars away and so widen the client area: fit again.
            Fraction fit = FitZoom();
            SetZoom(fit, true);
            Fraction refit = FitZoom();
            if (refit.num != fit.num || refit.den != fit.den) {
                SetZoom(refit, true);
            }
            return;
        }
        case kRefreshVisibleArea:
            RefreshVisibleArea();
            return;
        case kRefreshWholeScreen:
            session_->SendFramebufferUpdateRequest(false, 0, 0, session_->Width(),
                                                   session_->Height());
            return;
        case kCloseServer:
            SendThumbnail();
            // The list destroys this object before the call returns.
            SendMessageW(list_, WM_VIEWER_CLOSED, 0,
                         reinterpret_cast<LPARAM>(static_cast<ServerViewer*>(this)));
            return;
        case kList:
            Show(false);
            if (list_ != nullptr) {
                ShowWindow(list_, SW_SHOW);
                SetForegroundWindow(list_);
            }
            return;
        default:
            return;
    }
}

void ViewerWindow::OnActivate(bool active) {
    if (!active) {
        SendThumbnail();
        return;
    }
    if (OpenClipboard(Handle())) {
        if (auto* text = static_cast<const WCHAR*>(GetClipboardData(CF_UNICODETEXT))) {
            if (connectionState_ == kConnected) {
                session_->SendClientCutText(text);
            }
        }
        CloseClipboard();
    }
    if (!drawingEnabled_.exchange(true)) {
        InvalidateRect(Handle(), nullptr, FALSE);
    }
}

void ViewerWindow::SendThumbnail() {
    if (!thumbnailDue_) {
        return;
    }
    drawingEnabled_ = false;
    int width = store_->GetWidth(), height = store_->GetHeight();
    if (width <= 0 || height <= 0) {
        return;
    }
    int thumbWidth = 128, thumbHeight = 128;
    if (width <= height) {
        thumbWidth = std::max(1, width * 128 / height);
    } else {
        thumbHeight = std::max(1, height * 128 / width);
    }
    std::unique_ptr<BYTE[]> pixels = store_->CaptureRgb(thumbWidth, thumbHeight);
    if (pixels) {
        ThumbnailImage image{thumbWidth, thumbHeight, pixels.get()};
        SendMessageW(list_, WM_VIEWER_THUMBNAIL, reinterpret_cast<WPARAM>(&image),
                     reinterpret_cast<LPARAM>(static_cast<ServerViewer*>(this)));
    }
}

ServerViewer* CreateViewerWindow(HWND list, ServerRecord* record, SettingsKey* serverKey) {
    auto* viewer = new (std::nothrow) ViewerWindow(list, record->Title, *record, serverKey);
    return viewer;
}
