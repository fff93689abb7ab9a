// A saved server: its connection settings, title, id, open viewer and cached thumbnail.
#pragma once

#include <platform/gdi.h>
#include <settings/settings_key.h>

struct ServerSettings {
    WCHAR Hostname[kTextCapacity] = {};
    LONG Port = 0;  // > 0: the TCP port; <= 0: display number -Port
    WCHAR Password[kTextCapacity] = {};
    bool SavePassword = true;
    bool Shared = false;
    DWORD VideoMode = 0;  // 0 the device's own format, 1 8-bit lower bandwidth
    bool ActiveUpdate = true;
    LONG Rate = -1;  // -1 "Constant", -2 "Events", else seconds
};

// Rate values with names.
constexpr LONG kRateConstant = -1;
constexpr LONG kRateEvents = -2;

// The TCP port a connection uses: Port when positive, else 5900 + display, as 16 bits.
std::uint16_t ServerTcpPort(const ServerSettings& settings);

// The defaults of a server the user adds (the title is string 3000).
ServerSettings DefaultServerSettings();

// A viewer's connection state, as the server list shows it.
enum ConnectionState : int { kConnecting = 0, kConnected = 1, kDisconnected = 2 };

// What a record and the server list need of the viewer open on it. The viewer implements it.
class ServerViewer {
  public:
    virtual ~ServerViewer() = default;
    // Takes over new settings after the record was saved.
    virtual void ApplySettings(const ServerSettings* settings) = 0;
    // The connection state; read on the user-interface thread while the list paints.
    virtual int GetConnectionState() const = 0;
    // The viewer's top-level window.
    virtual HWND GetWindow() const = 0;
};

constexpr int kServerIdLength = 8;

struct ServerRecord {
    ServerSettings settings;
    WCHAR Title[kTextCapacity] = {};
    WCHAR Id[kServerIdLength + 2] = {};
    ServerViewer* viewer = nullptr;  // owned while open
    HBITMAP thumbnail = nullptr;     // owned cache of the thumbnail file
};
