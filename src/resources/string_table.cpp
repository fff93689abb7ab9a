#include <platform/resources.h>
#include <resources/resources.h>

namespace {

struct StringEntry {
    unsigned id;
    const char16_t* text;
};

constexpr StringEntry kStrings[] = {
    {1, u"Tavrel"},
    {103, u"Select"},
    {104, u"List"},
    {105, u"Done"},
    {106, u"Menu"},
    {107, u"New Macro"},
    {108, u" copy"},
    {109, u"New Key"},
    {110, u"Macros"},
    {111, u"(None)"},
    {112, u"Empty"},
    {200, u"Down"},
    {201, u"Up"},
    {202, u"Toggle"},
    {300, u"Key"},
    {301, u"Toolbar"},
    {302, u"Menu"},
    {1000, u"Not connected"},
    {1001, u"Connecting..."},
    {1002, u"Connected"},
    {1003, u"Disconnected"},
    {2000, u"Menu"},
    {2001, u"Menu"},
    {3000, u"VNC Server"},
    {4000, u"No error"},
    {4001, u"Host lookup failed"},
    {4002, u"Connection refused"},
    {4003, u"Connection closed"},
    {4004, u"Connection reset by peer"},
    {4005, u"Network failure"},
    {5000, u"VNC connection failed"},
    {5001, u"VNC authentication failed"},
    {5002, u"Too many authentication attempts"},
    {6000,
     u"Not enough memory to allocate the frame buffer. Please close some applications and try "
     u"again."},
    {6001,
     u"Not enough memory to allocate the frame buffer for the new video mode. Please close some "
     u"applications and attempt to reconnect to the server."},
};

}  // namespace

void InstallStringTable(HINSTANCE module) {
    for (const StringEntry& entry : kStrings) {
        AddStringResource(module, entry.id, entry.text);
    }
}
