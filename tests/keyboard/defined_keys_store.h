// Defined keys put into the store as the define-keys dialogs would: through KeyList, with their
// placement under a server's own key.
#pragma once

#include <keyboard/key_list.h>
#include <platform/text.h>

#include <memory>

inline std::unique_ptr<SettingsKey> ServerKey(LPCWSTR id) {
    std::unique_ptr<SettingsKey> servers(OpenSettingsCollection(u"Servers"));
    return std::unique_ptr<SettingsKey>(servers ? servers->openSubkey(id) : nullptr);
}

// A plain key sending keysym, placed for server (kPlacementMenu, kPlacementToolbar or both).
inline void DefineKey(SettingsKey& server, LPCWSTR title, Keysym keysym, bool latch,
                      DWORD placement) {
    KeyList list;
    std::unique_ptr<KeyDef> key = list.Add(title);
    if (!key) {
        return;
    }
    key->KeySym = keysym;
    key->Latch = latch;
    list.Save(*key);
    key->InMenu = (placement & kPlacementMenu) != 0;
    key->InToolbar = (placement & kPlacementToolbar) != 0;
    std::unique_ptr<SettingsKey> placements(server.openSubkey(u"Keys"));
    key->WritePlacement(*placements);
}
