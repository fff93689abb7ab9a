// ViewerWindow: one open server. It owns the connection (transport and session), the framebuffer
// store and the zoom, shows the remote screen scrolled and zoomed, turns the stylus and the keys
// into pointer and key events, and decides when the next update is asked for.
//
// Threads: window messages, timers and commands run on the user-interface thread; the listener
// operations run on the session's connect and message threads. Those never wait for the
// user-interface thread: whatever needs a window (scroll bars, error boxes, the list's repaint)
// is posted to it. State both sides touch is atomic or Guarded.
#pragma once

#include <widgets/client_window.h>
#include <display/display.h>
#include <display/fraction.h>
#include <display/frame_buffer_store.h>
#include <keyboard/held_keys.h>
#include <keyboard/key_event_sink.h>
#include <keyboard/key_handler.h>
#include <keyboard/key_toolbar.h>
#include <keyboard/menu_keys.h>
#include <rfb/rfb_session.h>
#include <rfb/session_listener.h>
#include <rfb/socket_transport.h>
#include <rfb/transport_listener.h>
#include <settings/server_record.h>
#include <sync/guarded.h>
#include <widgets/zoom_bar.h>

#include <atomic>
#include <memory>

class ViewerWindow final : public ClientWindow,
                           public SessionListener,
                           public TransportListener,
                           public ServerViewer,
                           public ZoomBarListener,
                           public KeyToolbarListener,
                           private KeyEventSink {
  public:
    // Opens the window for record and starts connecting (asking for the password first when
    // none is saved). list receives the viewer's messages; serverKey is the record's store key.
    ViewerWindow(HWND list, LPCWSTR title, const ServerRecord& record, SettingsKey* serverKey);
    // Shuts the session down first (its threads are joined), then everything else goes.
    ~ViewerWindow() override;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LPCWSTR HelpTopic() override { return u"Client"; }

    // ServerViewer
    void ApplySettings(const ServerSettings* settings) override;
    int GetConnectionState() const override { return connectionState_.load(); }
    HWND GetWindow() const override { return Handle(); }

    // TransportListener
    void OnConnectResult(int status) override;
    void OnConnectionLost(int status) override;
    // SessionListener
    void OnServerInit(const WCHAR* name, int width, int height, const PixelFormat& format) override;
    void OnBell() override;
    void OnServerCutText(const WCHAR* text, int length) override;
    void OnProtocolError(int code) override;
    void OnDesktopResize(int width, int height) override;
    void OnCursorShape(int, int, int, int, const BYTE*, const BYTE*) override {}
    void OnImageRect(int x, int y, int width, int height, const BYTE* pixels) override;
    void OnImageRectAsSent(int x, int y, int width, int height, const BYTE* pixels,
                           const PixelFormat& format) override;
    void OnCopyRect(int x, int y, int srcX, int srcY, int width, int height) override;
    void OnFillRect(int x, int y, int width, int height, const BYTE* pixel) override;
    bool BeginDirectPaint(int x, int y, int width, int height, int bytesPerPixel, BYTE** at,
                          int* stride, std::uint32_t* setBits) override;
    void EndDirectPaint(int x, int y, int width, int height) override;
    void OnUpdateComplete() override;
    void OnPixelFormatChanged(const PixelFormat& format) override;
    // ZoomBarListener
    void OnZoomBarScroll(ZoomBar* bar, WPARAM code) override;
    // KeyToolbarListener: the key pressed or released into the session.
    void OnKeyButton(KeyToolbar* toolbar, KeyDef& key, bool down) override;

    // After the server's defined keys or their placement changed: releases on the server every
    // key the toolbar or the menu holds down, lays the key toolbar out again from the server's
    // key, and reloads and rebuilds the Keyboard menu's keys. Nothing changes when the server's
    // key cannot be had.
    void ReloadKeys();

    // The view, for the commands and for tests.
    void SetZoom(Fraction zoom, bool updateBar);
    Fraction GetZoom() const;
    Fraction FitZoom();
    void UpdateScrollBars();
    void PaintFrame();
    void RequestVisibleUpdate();
    // The part of the framebuffer shown (framebuffer pixels), cut at the framebuffer's edges.
    RECT VisibleArea();
    FrameBufferStore& Store() { return *store_; }
    ZoomBar& ZoomBarWidget() { return zoomBar_; }
    KeyToolbar& KeyToolbarWidget() { return keyToolbar_; }
    MenuKeys& KeyboardMenuKeys() { return menuKeys_; }
    // The Keyboard pop-up of the menu bar's menu (the one holding "Show toolbar" 32792).
    HMENU KeyboardMenu() const;

  private:
    bool SendKeyEvent(bool down, Keysym keysym) override;
    // Asks for the password when none is saved, then connects.
    void Start();
    void ShowError(UINT textId);
    void SetConnectionState(int state);
    // Posted to the user-interface thread: an error box with a string-table text.
    void ReportError(UINT textId);
    // A new desktop size: false (the connection closed, the error told) without memory for it.
    bool ResizeStore(int width, int height, UINT noMemoryText);
    void SetRedrawTimer(bool on);
    void SendThumbnail();
    void ResetZoomBar();
    void OnCommand(WORD command);
    void OnScroll(int bar, WPARAM wParam);
    void OnStylus(UINT message, LPARAM lParam);
    void OnActivate(bool active);
    // Shows or hides bar, sets command's check mark and writes value into the server's key.
    void ToggleBar(ToolbarWidget& bar, std::atomic<bool>& shown, WORD command, LPCWSTR value);
    // The server's own key, through the list's record; null when either cannot be had.
    std::unique_ptr<SettingsKey> OpenServerKey();
    // "Define keys": the define-keys dialog over the server's key, then the keys again.
    void DefineKeys();
    // Releases on the server every key the toolbar, the menu or a macro left down.
    void ReleaseHeldKeys();
    void AfterKeySent();
    void RefreshVisibleArea();
    // The settings' rate and ActiveUpdate, read under the lock.
    LONG Rate();
    bool ActiveUpdate();
    PixelFormat FormatForVideoMode();

    HWND list_;
    std::unique_ptr<DisplayInfo> display_;
    std::unique_ptr<FrameBufferStore> store_;
    ZoomBar zoomBar_;
    KeyToolbar keyToolbar_;
    MenuKeys menuKeys_;
    KeyHandler keys_;
    // The toolbar's and the menu's key events go through it, so that whatever they leave pressed
    // can be released.
    HeldKeys heldKeys_{*this};

    // What the session's threads read of the view: the server's settings (password, format,
    // rate) and the zoom, which the user-interface thread changes.
    struct ViewState {
        Fraction zoom{1, 1};
        ServerSettings settings;
    };
    mutable Guarded<ViewState> view_;

    std::atomic<bool> showZoomBar_{false};
    std::atomic<bool> showKeyboard_{false};
    std::atomic<bool> drawingEnabled_{true};
    std::atomic<bool> redrawTimerRunning_{false};
    std::atomic<bool> thumbnailDue_{false};
    std::atomic<int> connectionState_{kConnecting};

    // Declared last, so they go first: no session thread outlives what it uses.
    std::unique_ptr<SocketTransport> transport_;
    std::unique_ptr<RfbSession> session_;
};

// The server list's factory: a new viewer for record, or null.
ServerViewer* CreateViewerWindow(HWND list, ServerRecord* record, SettingsKey* serverKey);
