// Start-up in its order, the message loop, and the orderly shutdown.
#include <app/start_up.h>

#include <widgets/client_window.h>
#include <app/server_list_window.h>
#include <display/display.h>
#include <encodings/standard_decoders.h>
#include <rfb/decoder_registry.h>

#include <platform/commctrl.h>
#include <platform/resources.h>
#include <platform/winsock.h>
#include <resources/resources.h>
#include <settings/server_time.h>

#include <cstdlib>
#include <memory>

bool CheckSingleInstance(HINSTANCE instance) {
    WCHAR product[kTextCapacity];
    LoadStringW(instance, IDS_PRODUCT_NAME, product, kTextCapacity);
    HWND running = FindWindowW(kClientWindowClass, product);
    if (running != nullptr) {
        // The low bit brings the window forward together with its owned pop-ups.
        SetForegroundWindow(reinterpret_cast<HWND>(reinterpret_cast<std::uintptr_t>(running) | 1));
        return false;
    }
    return true;
}

int RunProgram(HINSTANCE instance, ViewerFactory createViewer) {
    WSADATA socketLibrary;
    WSAStartup(MAKEWORD(2, 2), &socketLibrary);
    std::srand(CurrentTimeSeconds());
    InitCommonControls();
    if (!CheckSingleInstance(instance)) {
        return 0;
    }
    InitDisplay();
    ClientWindow::RegisterWindowClass(instance);
    RegisterStandardDecoders();  // Raw, CopyRect, RRE, CoRRE, Hextile, cursor, desktop size
    WCHAR title[kTextCapacity];
    LoadStringW(instance, IDS_PRODUCT_NAME, title, kTextCapacity);
    auto mainWindow = std::make_unique<ServerListWindow>(title, createViewer);
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0)) {
        DispatchMessageW(&message);
    }
    mainWindow.reset();
    ShutdownDisplay();
    ClientWindow::UnregisterWindowClass(instance);
    ClearDecoders();  // last first
    WSACleanup();
    return static_cast<int>(message.wParam);
}
