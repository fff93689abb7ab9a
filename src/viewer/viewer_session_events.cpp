// What the viewer does with the session's events. These run on the connect thread and the
// message thread: they touch the store (which locks itself), atomics and the guarded settings,
// and post anything that needs a window to the user-interface thread.
#include <viewer/viewer_messages.h>
#include <viewer/viewer_window.h>

#include <app/server_list_window.h>
#include <platform/clipboard.h>
#include <platform/dialog.h>
#include <platform/text.h>

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr UINT kTransportTextBase = 4000;  // 4000 - status
constexpr UINT kProtocolTextBase = 5000;   // 5000 + code

int BitsOf(WORD maximum) {
    return std::bit_width(static_cast<unsigned>(maximum));
}

}  // namespace

void ViewerWindow::SetConnectionState(int state) {
    if (connectionState_.exchange(state) != state) {
        ServerListWindow::NotifyConnectionStateChanged(list_, this);
    }
}

void ViewerWindow::ReportError(UINT textId) {
    PostMessageW(Handle(), WM_VIEWER_ERROR, textId, 0);
}

void ViewerWindow::OnConnectResult(int status) {
    if (status != kTransportConnected) {
        SetConnectionState(kDisconnected);
        ReportError(static_cast<UINT>(static_cast<int>(kTransportTextBase) - status));
        return;
    }
    WCHAR password[kTextCapacity];
    bool shared;
    {
        auto view = view_.Lock();
        lstrcpynW(password, view->settings.Password, kTextCapacity);
        shared = view->settings.Shared;
    }
    bool ok = session_->Handshake(password, shared);
    std::memset(password, 0, sizeof password);
    // A handshake that failed has reported why (OnProtocolError) or lost the connection.
    if (!ok) {
        SetConnectionState(kDisconnected);
    } else if (connectionState_ != kDisconnected) {
        SetConnectionState(kConnected);
    }
}

void ViewerWindow::OnConnectionLost(int) {
    SetConnectionState(kDisconnected);
}

bool ViewerWindow::ResizeStore(int width, int height, UINT noMemoryText) {
    store_->SetSize(width, height);
    if (!store_->HasSurface()) {
        transport_->Close();
        SetConnectionState(kDisconnected);
        ReportError(noMemoryText);
        return false;
    }
    thumbnailDue_ = false;
    return true;
}

void ViewerWindow::OnServerInit(const WCHAR* name, int width, int height, const PixelFormat&) {
    SetWindowTextW(Handle(), name);
    if (!ResizeStore(width, height, IDS_NO_FRAME_BUFFER)) {
        return;
    }
    PixelFormat format = FormatForVideoMode();
    store_->SetPixelFormat(format.bitsPerPixel, BitsOf(format.redMax), BitsOf(format.greenMax),
                           BitsOf(format.blueMax));
    session_->SendSetPixelFormat(format);
    PostMessageW(Handle(), WM_VIEWER_DESKTOP_READY, 0, 0);
    session_->StartMessageThread();
}

PixelFormat ViewerWindow::FormatForVideoMode() {
    if (view_.Lock()->settings.VideoMode != 0) {
        return PixelFormat::FromBits(8, 3, 3, 2);  // "8-bit lower bandwidth"
    }
    int bits = 0, red = 0, green = 0, blue = 0;
    display_->GetPixelFormat(&bits, &red, &green, &blue);
    return PixelFormat::FromBits(bits, red, green, blue);
}

void ViewerWindow::ApplySettings(const ServerSettings* settings) {
    PixelFormat before = FormatForVideoMode();
    if (settings != nullptr) {
        view_.Lock()->settings = *settings;
    }
    PixelFormat after = FormatForVideoMode();
    // A new format goes to the server at the end of the next update (the session brings one at
    // once); the whole screen is then asked for again in it.
    if (connectionState_ == kConnected && std::memcmp(&before, &after, sizeof before) != 0) {
        session_->ChangePixelFormat(after);
    }
}

void ViewerWindow::OnPixelFormatChanged(const PixelFormat& format) {
    store_->SetPixelFormat(format.bitsPerPixel, BitsOf(format.redMax), BitsOf(format.greenMax),
                           BitsOf(format.blueMax));
}

void ViewerWindow::OnBell() {
    MessageBeep(MB_ICONEXCLAMATION);
}

void ViewerWindow::OnServerCutText(const WCHAR* text, int length) {
    if (text == nullptr || length < 0) {
        return;
    }
    // The session bounds the length; the block is freed here unless the clipboard took it.
    auto bytes = (static_cast<std::size_t>(length) + 1) * sizeof(WCHAR);
    HLOCAL block = LocalAlloc(LMEM_FIXED, bytes);
    if (block == nullptr) {
        return;
    }
    std::memcpy(block, text, bytes - sizeof(WCHAR));
    static_cast<WCHAR*>(block)[length] = 0;
    if (!OpenClipboard(Handle())) {
        LocalFree(block);
        return;
    }
    EmptyClipboard();
    if (SetClipboardData(CF_UNICODETEXT, block) == nullptr) {
        LocalFree(block);
    }
    CloseClipboard();
}

void ViewerWindow::OnProtocolError(int code) {
    SetConnectionState(kDisconnected);
    ReportError(static_cast<UINT>(static_cast<int>(kProtocolTextBase) + code));
}

void ViewerWindow::OnDesktopResize(int width, int height) {
    if (!ResizeStore(width, height, IDS_NO_FRAME_BUFFER_FOR_MODE)) {
        return;
    }
    session_->SendFramebufferUpdateRequest(false, 0, 0, width, height);
    PostMessageW(Handle(), WM_VIEWER_DESKTOP_READY, 0, 0);
}

void ViewerWindow::OnImageRect(int x, int y, int width, int height, const BYTE* pixels) {
    store_->PutImage(x, y, width, height, pixels);
    SetRedrawTimer(true);
}

void ViewerWindow::OnImageRectAsSent(int x, int y, int width, int height, const BYTE* pixels,
                                     const PixelFormat& format) {
    store_->PutImageAsSent(x, y, width, height, pixels, format.bigEndian != 0);
    SetRedrawTimer(true);
}

void ViewerWindow::OnCopyRect(int x, int y, int srcX, int srcY, int width, int height) {
    store_->CopyRect(x, y, srcX, srcY, width, height);
    SetRedrawTimer(true);
}

void ViewerWindow::OnFillRect(int x, int y, int width, int height, const BYTE* pixel) {
    store_->FillRect(x, y, width, height, pixel);
    SetRedrawTimer(true);
}

// The store's lock is held from a successful BeginDirect to EndDirect, across the two calls.
bool ViewerWindow::BeginDirectPaint(int x, int y, int width, int height, int bytesPerPixel,
                                    BYTE** at, int* stride,
                                    std::uint32_t* setBits) NO_THREAD_SAFETY_ANALYSIS {
    return store_->BeginDirect(x, y, width, height, bytesPerPixel, at, stride, setBits);
}

void ViewerWindow::EndDirectPaint(int, int, int width, int height) NO_THREAD_SAFETY_ANALYSIS {
    store_->EndDirect();
    if (width > 0 && height > 0) {
        SetRedrawTimer(true);
    }
}

void ViewerWindow::OnUpdateComplete() {
    SetRedrawTimer(false);
    KillTimer(Handle(), kUpdateTimer);
    LONG rate = Rate();
    if (rate == kRateConstant) {
        RequestVisibleUpdate();
    } else if (rate > 0) {
        SetTimer(Handle(), kUpdateTimer, static_cast<UINT>(std::min<LONG>(rate, 86400)) * 1000,
                 nullptr);
    }
    PaintFrame();
}

void ViewerWindow::SetRedrawTimer(bool on) {
    if (on) {
        thumbnailDue_ = true;
        if (!redrawTimerRunning_.exchange(true)) {
            SetTimer(Handle(), kRedrawTimer, 1000, nullptr);
        }
    } else if (redrawTimerRunning_.exchange(false)) {
        KillTimer(Handle(), kRedrawTimer);
    }
}

bool ViewerWindow::SendKeyEvent(bool down, Keysym keysym) {
    return session_->SendKeyEvent(down, keysym);
}

LONG ViewerWindow::Rate() {
    return view_.Lock()->settings.Rate;
}

bool ViewerWindow::ActiveUpdate() {
    return view_.Lock()->settings.ActiveUpdate;
}
