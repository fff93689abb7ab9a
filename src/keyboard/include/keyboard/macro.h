// A keyboard macro: a titled sequence of key presses and releases that a defined key plays into
// the session. Stored under "Macros"\<Id> as "Title" and "Data", the steps 8 bytes each.
#pragma once

#include <keyboard/item_id.h>
#include <keyboard/key_event_sink.h>
#include <keyboard/named_keys.h>

#include <settings/settings_key.h>

#include <vector>

// What a step sends: bit 1 a press, bit 0 a release. Other values are kept as they are and send
// what their two low bits say (0 sends nothing).
enum MacroMode : DWORD { kMacroUp = 1, kMacroDown = 2, kMacroToggle = 3 };

// One step. Stored as 8 little-endian bytes: keysym (2), padding (2, written as 0, never read),
// mode (4).
struct MacroEntry {
    Keysym KeySym = 0;
    DWORD Mode = kMacroToggle;
    bool operator==(const MacroEntry&) const = default;
};

constexpr int kMacroEntryBytes = 8;
// The most steps a macro holds: the store's "Data" is read through a buffer of 8192 bytes.
constexpr int kMaxMacroEntries = 1024;
constexpr int kMaxMacroDataBytes = kMaxMacroEntries * kMacroEntryBytes;

enum class MacroLoadResult {
    kLoaded,     // title and steps read (a missing "Data" is a macro without steps)
    kMissing,    // no such macro in the store, or id is not an item id; nothing was created
    kMalformed,  // "Data" is not whole steps or holds more than kMaxMacroEntries: no steps taken
};

class Macro {
  public:
    // A fresh Id, an empty title and no steps.
    Macro();
    virtual ~Macro() = default;
    Macro(const Macro&) = default;
    Macro& operator=(const Macro&) = default;

    // Reads the macro named id from collection ("Macros"). Id becomes id (empty when id is not an
    // item id); the title and steps are cleared first and the steps stay empty unless the result
    // is kLoaded. A malformed "Data" writes a line to the debug output.
    MacroLoadResult Load(SettingsKey& collection, LPCWSTR id);
    // Writes "Title" and "Data" under collection\Id (created when missing). A macro with more than
    // kMaxMacroEntries steps could not be loaded again: it is not written (the stored one stays),
    // the debug output says so and the result is false. False too when Id is not an item id.
    bool Save(SettingsKey& collection) const;
    // Sends each step in order: for a press bit a press of its keysym, then for a release bit a
    // release, with no pause. Stops at the first event that cannot be sent and returns false.
    bool Play(KeyEventSink& session) const;

    WCHAR Id[kItemIdCapacity] = {};
    WCHAR Title[kTextCapacity] = {};
    std::vector<MacroEntry> Entries;

    // Runtime state of the macro editor while it is open.
    HWND EditorWindow = nullptr;
    HWND KeyCombo = nullptr;
    HWND ModeCombo = nullptr;
    int EditRow = -1;
};
