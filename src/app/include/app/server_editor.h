// ServerEditor: the modal "Edit server" dialog in which the user sets a server's title and
// connection settings. It only fills in what it is given; the caller creates or saves the record.
#pragma once

#include <settings/server_record.h>

class ServerEditor {
  public:
    // True when the user confirmed with OK: title (kTextCapacity units) and settings then hold
    // the edited values. False when the dialog was closed: neither was touched.
    static bool Run(HWND owner, LPWSTR title, ServerSettings* settings);
};

// The port field's text: ":N" is display N (Port -N), digits alone a TCP port, anything else 0.
// Digits never overflow: past 65535 the value is kept modulo 65536 (above 65535, so a TCP port
// stays a TCP port), which is all a connection uses of it.
LONG ParsePortField(LPCWSTR text);

// The rate table: the update-rate list's items in order ("Constant", "Events", "1 minute",
// "5 minutes", "30 seconds").
inline constexpr LONG kRateTable[] = {-1, -2, 60, 300, 30};
