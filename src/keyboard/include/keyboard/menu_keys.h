// MenuKeys: the defined keys that a server lists at the end of the viewer's Keyboard menu, one
// item each (commands from 60000 on, checked while the key is down), or one grayed "Empty" item
// when there are none. Choosing an item sends a whole key stroke, or toggles a latching key.
#pragma once

#include <keyboard/key_def.h>
#include <keyboard/key_list.h>

#include <platform/menu.h>

#include <vector>

constexpr UINT kFirstMenuKeyCommand = 60000;

class MenuKeys {
  public:
    MenuKeys() = default;
    // Deletes the items it appended.
    ~MenuKeys();
    MenuKeys(const MenuKeys&) = delete;
    MenuKeys& operator=(const MenuKeys&) = delete;

    // Reloads the server's Keyboard-menu keys (none without serverKey). Call ReleaseKeys first:
    // the keys loaded are all up.
    void Load(SettingsKey* serverKey);
    // Replaces the items the last call appended with one per key, or "Empty". When the list holds
    // kMaxDefinedKeys keys (more may be stored), a last grayed item says that no more are shown.
    void BuildMenu(HMENU keyboardMenu);
    // A command of one of the key items: the key pressed and released into session, the item's
    // check mark set to its state; true. Any other command: false, nothing done.
    bool OnCommand(HMENU menu, KeyEventSink& session, UINT command);
    // Sends the release of every key that is down (a latched key) into session.
    void ReleaseKeys(KeyEventSink& session);

    std::vector<KeyDef>& Keys() { return keys_; }

  private:
    void RemoveItems();

    std::vector<KeyDef> keys_;
    HMENU menu_ = nullptr;
    UINT appended_ = 0;
};
