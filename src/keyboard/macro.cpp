#include <keyboard/macro.h>

#include <platform/core.h>
#include <platform/registry.h>
#include <platform/text.h>

#include <memory>

namespace {

std::vector<BYTE> EncodeEntries(const std::vector<MacroEntry>& entries) {
    std::vector<BYTE> bytes;
    bytes.reserve(entries.size() * kMacroEntryBytes);
    for (const MacroEntry& entry : entries) {
        const BYTE step[kMacroEntryBytes] = {static_cast<BYTE>(entry.KeySym),
                                             static_cast<BYTE>(entry.KeySym >> 8),
                                             0,
                                             0,
                                             static_cast<BYTE>(entry.Mode),
                                             static_cast<BYTE>(entry.Mode >> 8),
                                             static_cast<BYTE>(entry.Mode >> 16),
                                             static_cast<BYTE>(entry.Mode >> 24)};
        bytes.insert(bytes.end(), step, step + kMacroEntryBytes);
    }
    return bytes;
}

void DecodeEntries(const BYTE* data, DWORD length, std::vector<MacroEntry>& entries) {
    for (DWORD offset = 0; offset + kMacroEntryBytes <= length; offset += kMacroEntryBytes) {
        const BYTE* step = data + offset;
        MacroEntry entry;
        entry.KeySym = static_cast<Keysym>(step[0] | step[1] << 8);
        entry.Mode = step[4] | step[5] << 8 | step[6] << 16 | static_cast<DWORD>(step[7]) << 24;
        entries.push_back(entry);
    }
}

void ReportMalformed(LPCWSTR id, DWORD length) {
    WCHAR text[kTextCapacity];
    wsprintfW(text, u"Macro %s: %u bytes of steps are not 8-byte steps, at most %i; not loaded\r\n",
              id, static_cast<unsigned>(length), kMaxMacroEntries);
    OutputDebugStringW(text);
}

}  // namespace

Macro::Macro() {
    MakeRandomId(Id);
}

MacroLoadResult Macro::Load(SettingsKey& collection, LPCWSTR id) {
    Entries.clear();
    EditorWindow = nullptr;
    Title[0] = 0;
    Id[0] = 0;
    if (!IsItemId(id)) {
        return MacroLoadResult::kMissing;
    }
    lstrcpynW(Id, id, kItemIdCapacity);
    // Look before opening: the store's open creates what is missing, and a lookup of a deleted
    // macro must not bring back an empty one.
    HKEY existing = nullptr;
    if (collection.handle() == nullptr ||
        RegOpenKeyExW(collection.handle(), id, 0, 0, &existing) != ERROR_SUCCESS) {
        return MacroLoadResult::kMissing;
    }
    RegCloseKey(existing);
    std::unique_ptr<SettingsKey> key(collection.openSubkey(id));
    if (!key) {
        return MacroLoadResult::kMissing;
    }
    key->readString(u"Title", u"", Title);
    DWORD length = 0;
    if (RegQueryValueExW(key->handle(), u"Data", nullptr, nullptr, nullptr, &length) !=
        ERROR_SUCCESS) {
        return MacroLoadResult::kLoaded;  // a macro without steps
    }
    if (length % kMacroEntryBytes != 0 || length > kMaxMacroDataBytes) {
        ReportMalformed(id, length);
        return MacroLoadResult::kMalformed;
    }
    std::vector<BYTE> data(length);
    if (length != 0 && key->readBinary(u"Data", data.data(), length) != length) {
        ReportMalformed(id, length);
        return MacroLoadResult::kMalformed;
    }
    DecodeEntries(data.data(), length, Entries);
    return MacroLoadResult::kLoaded;
}

bool Macro::Save(SettingsKey& collection) const {
    if (!IsItemId(Id)) {
        return false;
    }
    if (Entries.size() > static_cast<std::size_t>(kMaxMacroEntries)) {
        WCHAR text[kTextCapacity];
        wsprintfW(text, u"Macro %s: %i steps, more than %i; not saved\r\n", Id,
                  static_cast<int>(Entries.size()), kMaxMacroEntries);
        OutputDebugStringW(text);
        return false;
    }
    std::unique_ptr<SettingsKey> key(collection.openSubkey(Id));
    if (!key || key->handle() == nullptr) {
        return false;
    }
    std::vector<BYTE> data = EncodeEntries(Entries);
    key->writeString(u"Title", Title);
    key->writeBinary(u"Data", data.data(), static_cast<DWORD>(data.size()));
    key->close();
    return true;
}

bool Macro::Play(KeyEventSink& session) const {
    for (const MacroEntry& entry : Entries) {
        if ((entry.Mode & kMacroDown) != 0 && !session.SendKeyEvent(true, entry.KeySym)) {
            return false;
        }
        if ((entry.Mode & kMacroUp) != 0 && !session.SendKeyEvent(false, entry.KeySym)) {
            return false;
        }
    }
    return true;
}
