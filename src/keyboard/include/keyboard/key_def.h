// A defined key: a labelled key that sends one keysym, or plays one macro when pressed and another
// when released, and may latch. Stored under "Keys"\<Id>; where it shows (toolbar, Keyboard menu)
// is chosen per server, in the server's own "Keys" subkey.
#pragma once

#include <keyboard/item_id.h>
#include <keyboard/key_event_sink.h>
#include <keyboard/named_keys.h>

#include <settings/settings_key.h>

enum KeyType : DWORD { kPlainKey = 0, kMacroKey = 1 };

// The per-server flags of a key, one 32-bit value named by the key's id; missing means 0.
constexpr DWORD kPlacementMenu = 1;
constexpr DWORD kPlacementToolbar = 2;
constexpr DWORD kPlacementBoth = 3;

class KeyDef {
  public:
    // A fresh Id, empty title, a plain key sending 0x41 (A), not latching, no macros.
    KeyDef();
    virtual ~KeyDef() = default;
    KeyDef(const KeyDef&) = default;
    KeyDef& operator=(const KeyDef&) = default;

    // Writes the key under collection ("Keys")\Id, created when missing: "Title", "Type" and
    // "Latch" always; "KeySym" for a plain key, "MacroDown" and "MacroUp" for a macro key when
    // set; the values that do not apply are deleted. False (nothing written) when Id is not an
    // item id.
    bool Save(SettingsKey& collection) const;
    // Reads key id from collection; missing values give an empty plain key with keysym 0. A
    // macro reference that cannot be an id reads as none. Placement and runtime state are
    // cleared. False, and nothing read, when id is not an item id.
    bool Load(SettingsKey& collection, LPCWSTR id);
    // InMenu and InToolbar from serverKeys (the server's "Keys" subkey).
    void ReadPlacement(SettingsKey& serverKeys);
    // Writes InMenu and InToolbar into serverKeys, only when they differ from what it holds.
    void WritePlacement(SettingsKey& serverKeys) const;
    DWORD Placement() const;

    // A press (down) or release of the key, into session. A latching key ignores releases and
    // turns each press into the opposite of Down. A macro key plays MacroDown or MacroUp (a
    // macro that is missing or malformed plays nothing, and nothing is created for it); a plain
    // key sends KeySym. Down then holds the state sent.
    void Send(KeyEventSink& session, bool down);
    // Sends the release of a key that is down (the up half of a latched key, or of a button still
    // held) whatever Latch says, so that nothing stays held on the server; then Down is false.
    // Returns whether the key was down. Call it before a toolbar or menu drops its keys.
    bool Release(KeyEventSink& session);

    WCHAR Id[kItemIdCapacity] = {};
    WCHAR Title[kTextCapacity] = {};
    DWORD Type = kPlainKey;
    bool Latch = false;
    Keysym KeySym = 0x41;
    WCHAR MacroDown[kItemIdCapacity] = {};
    WCHAR MacroUp[kItemIdCapacity] = {};
    // Per server.
    bool InMenu = false;
    bool InToolbar = false;
    // Runtime: the last state sent (true from a press that went down to the matching release).
    bool Down = false;
    HWND EditorWindow = nullptr;

  private:
    void SendState(KeyEventSink& session, bool down);
};
