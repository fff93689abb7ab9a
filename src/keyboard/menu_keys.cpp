#include <keyboard/menu_keys.h>

#include <resources/resources.h>

#include <platform/resources.h>

#include <algorithm>

namespace {

constexpr UINT IDS_EMPTY = 112;

}  // namespace

MenuKeys::~MenuKeys() {
    RemoveItems();
}

void MenuKeys::Load(SettingsKey* serverKey) {
    keys_.clear();
    if (serverKey != nullptr) {
        KeyList list;
        LoadKeysForServer(list, *serverKey, kPlacementMenu, keys_);
    }
}

void MenuKeys::RemoveItems() {
    if (menu_ == nullptr) {
        return;
    }
    for (UINT i = 0; i < appended_; ++i) {
        DeleteMenu(menu_, kFirstMenuKeyCommand + i, MF_BYCOMMAND);
    }
    menu_ = nullptr;
    appended_ = 0;
}

void MenuKeys::BuildMenu(HMENU keyboardMenu) {
    RemoveItems();
    if (keyboardMenu == nullptr) {
        return;
    }
    menu_ = keyboardMenu;
    if (keys_.empty()) {
        WCHAR empty[kTextCapacity] = {};
        LoadStringW(ModuleInstance(), IDS_EMPTY, empty, kTextCapacity);
        AppendMenuW(keyboardMenu, MF_STRING | MF_GRAYED, kFirstMenuKeyCommand, empty);
        appended_ = 1;
        return;
    }
    // Loading stops at kMaxDefinedKeys, so the commands stay below 60000 + kMaxDefinedKeys and
    // never wrap round into the viewer's own.
    UINT count = static_cast<UINT>(std::min<std::size_t>(keys_.size(), kMaxDefinedKeys));
    for (UINT i = 0; i < count; ++i) {
        AppendMenuW(keyboardMenu, MF_STRING | (keys_[i].Down ? MF_CHECKED : MF_UNCHECKED),
                    kFirstMenuKeyCommand + i, keys_[i].Title);
    }
    appended_ = count;
    if (count == static_cast<UINT>(kMaxDefinedKeys)) {
        AppendMenuW(keyboardMenu, MF_STRING | MF_GRAYED, kFirstMenuKeyCommand + count,
                    u"Keys past 1000 are not shown");
        ++appended_;
    }
}

bool MenuKeys::OnCommand(HMENU menu, KeyEventSink& session, UINT command) {
    std::size_t count = std::min<std::size_t>(keys_.size(), kMaxDefinedKeys);
    if (command < kFirstMenuKeyCommand || command - kFirstMenuKeyCommand >= count) {
        return false;
    }
    KeyDef& key = keys_[command - kFirstMenuKeyCommand];
    key.Send(session, true);
    key.Send(session, false);
    if (menu != nullptr) {
        CheckMenuItem(menu, command, key.Down ? MF_CHECKED : MF_UNCHECKED);
    }
    return true;
}

void MenuKeys::ReleaseKeys(KeyEventSink& session) {
    for (std::size_t i = 0; i < keys_.size(); ++i) {
        if (keys_[i].Release(session) && menu_ != nullptr) {
            CheckMenuItem(menu_, kFirstMenuKeyCommand + static_cast<UINT>(i), MF_UNCHECKED);
        }
    }
}
