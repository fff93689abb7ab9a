// The defined keys model: the "Keys" collection of the settings store and the keys loaded from it,
// and the loading of one server's keys with their placement.
#pragma once

#include <keyboard/key_def.h>

#include <memory>
#include <vector>

// The most keys any list, toolbar or menu loads. Commands and control ids are made from a key's
// position (the Keyboard menu counts up from 60000 within 16 bits, the define-keys rows use
// 10000 + i, 20000 + i and 30000 + i), so positions must stay below this to keep them distinct
// from each other and from every other command. Keys past it in the store are not loaded, and
// Add refuses to make more.
constexpr int kMaxDefinedKeys = 1000;

class KeyList {
  public:
    // Opens "Keys" under the application key, creating it when missing.
    KeyList();
    virtual ~KeyList();
    KeyList(const KeyList&) = delete;
    KeyList& operator=(const KeyList&) = delete;

    // Appends every stored key in the store's order, at most kMaxDefinedKeys in all (names that
    // cannot be ids are skipped).
    void LoadAll();
    void Clear() { keys_.clear(); }
    std::vector<KeyDef>& Keys() { return keys_; }

    // A new key with a fresh id and the given title, saved at once; null when the store already
    // holds kMaxDefinedKeys keys or the key could not be saved.
    std::unique_ptr<KeyDef> Add(LPCWSTR title);
    // Writes key into the collection.
    bool Save(const KeyDef& key);
    // Removes key id from the store. Servers' placements of it and macros are left alone.
    void Delete(LPCWSTR id);

    // The open "Keys" key; null only without memory.
    SettingsKey* Collection() const { return collection_.get(); }

  private:
    std::unique_ptr<SettingsKey> collection_;
    std::vector<KeyDef> keys_;
};

// Appends to target the keys of keyList's collection whose placement under serverKey\"Keys"
// (created when missing) matches filter, each with its InMenu and InToolbar: filter 1 the
// Keyboard-menu keys, 2 the toolbar keys, 3 every key. Stops when target holds kMaxDefinedKeys.
void LoadKeysForServer(KeyList& keyList, SettingsKey& serverKey, DWORD filter,
                       std::vector<KeyDef>& target);
