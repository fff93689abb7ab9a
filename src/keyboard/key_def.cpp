#include <keyboard/key_def.h>

#include <keyboard/macro_list.h>

#include <platform/text.h>

#include <memory>

namespace {

void ReadMacroId(SettingsKey& key, LPCWSTR name, WCHAR (&id)[kItemIdCapacity]) {
    WCHAR text[kTextCapacity];
    key.readString(name, u"", text);
    lstrcpynW(id, IsItemId(text) ? text : u"", kItemIdCapacity);
}

void PlayMacro(KeyEventSink& session, LPCWSTR id) {
    if (id[0] == 0) {
        return;
    }
    std::unique_ptr<Macro> macro;
    {
        MacroList macros;
        macro = FindMacro(macros, id);
    }
    if (macro) {
        macro->Play(session);
    }
}

}  // namespace

KeyDef::KeyDef() {
    MakeRandomId(Id);
}

bool KeyDef::Save(SettingsKey& collection) const {
    if (!IsItemId(Id)) {
        return false;
    }
    std::unique_ptr<SettingsKey> key(collection.openSubkey(Id));
    if (!key) {
        return false;
    }
    key->writeString(u"Title", Title);
    key->writeDword(u"Type", Type);
    key->writeDword(u"Latch", Latch ? 1 : 0);
    bool macroKey = Type == kMacroKey;
    if (macroKey) {
        key->deleteValue(u"KeySym");
    } else {
        key->writeDword(u"KeySym", KeySym);
    }
    if (macroKey && MacroDown[0] != 0) {
        key->writeString(u"MacroDown", MacroDown);
    } else {
        key->deleteValue(u"MacroDown");
    }
    if (macroKey && MacroUp[0] != 0) {
        key->writeString(u"MacroUp", MacroUp);
    } else {
        key->deleteValue(u"MacroUp");
    }
    key->close();
    return true;
}

bool KeyDef::Load(SettingsKey& collection, LPCWSTR id) {
    if (!IsItemId(id)) {
        return false;
    }
    *this = KeyDef();
    lstrcpynW(Id, id, kItemIdCapacity);
    std::unique_ptr<SettingsKey> key(collection.openSubkey(id));
    if (!key) {
        return true;  // all defaults
    }
    key->readString(u"Title", u"", Title);
    Latch = key->readDword(u"Latch", 0) != 0;
    Type = key->readDword(u"Type", kPlainKey);
    if (Type == kMacroKey) {
        KeySym = 0;
        ReadMacroId(*key, u"MacroDown", MacroDown);
        ReadMacroId(*key, u"MacroUp", MacroUp);
    } else {
        KeySym = static_cast<Keysym>(key->readDword(u"KeySym", 0));
    }
    key->close();
    return true;
}

void KeyDef::ReadPlacement(SettingsKey& serverKeys) {
    DWORD placement = serverKeys.readDword(Id, 0);
    InMenu = (placement & kPlacementMenu) != 0;
    InToolbar = (placement & kPlacementToolbar) != 0;
}

void KeyDef::WritePlacement(SettingsKey& serverKeys) const {
    DWORD placement = Placement();
    if (serverKeys.readDword(Id, 0) != placement) {
        serverKeys.writeDword(Id, placement);
    }
}

DWORD KeyDef::Placement() const {
    return (InToolbar ? kPlacementToolbar : 0) | (InMenu ? kPlacementMenu : 0);
}

void KeyDef::Send(KeyEventSink& session, bool down) {
    if (Latch) {
        if (!down) {
            return;
        }
        down = !Down;
    }
    SendState(session, down);
}

bool KeyDef::Release(KeyEventSink& session) {
    if (!Down) {
        return false;
    }
    SendState(session, false);
    return true;
}

void KeyDef::SendState(KeyEventSink& session, bool down) {
    if (Type == kMacroKey) {
        PlayMacro(session, down ? MacroDown : MacroUp);
    } else {
        session.SendKeyEvent(down, KeySym);
    }
    Down = down;
}
