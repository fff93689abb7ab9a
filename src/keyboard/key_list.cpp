#include <keyboard/key_list.h>

#include <platform/core.h>
#include <platform/text.h>

namespace {

constexpr std::size_t kMaxKeys = kMaxDefinedKeys;

// Calls visit(id) for each stored key in the store's order while it returns true.
template <typename Visit>
void ForEachKeyId(SettingsKey& collection, Visit visit) {
    WCHAR name[kTextCapacity];
    for (DWORD index = 0; collection.enumSubkey(index, name); ++index) {
        if (IsItemId(name) && !visit(static_cast<LPCWSTR>(name))) {
            return;
        }
    }
}

void ReportCap() {
    OutputDebugStringW(u"More defined keys than a list can hold; the rest are not loaded\r\n");
}

}  // namespace

KeyList::KeyList() : collection_(OpenSettingsCollection(u"Keys")) {}

KeyList::~KeyList() = default;

void KeyList::LoadAll() {
    if (!collection_) {
        return;
    }
    ForEachKeyId(*collection_, [this](LPCWSTR id) {
        if (keys_.size() >= kMaxKeys) {
            ReportCap();
            return false;
        }
        KeyDef key;
        if (key.Load(*collection_, id)) {
            keys_.push_back(key);
        }
        return true;
    });
}

std::unique_ptr<KeyDef> KeyList::Add(LPCWSTR title) {
    if (!collection_) {
        return nullptr;
    }
    std::size_t stored = 0;
    ForEachKeyId(*collection_, [&stored](LPCWSTR) { return ++stored < kMaxKeys; });
    if (stored >= kMaxKeys) {
        ReportCap();
        return nullptr;
    }
    auto key = std::make_unique<KeyDef>();
    lstrcpynW(key->Title, title != nullptr ? title : u"", kTextCapacity);
    if (!key->Save(*collection_)) {
        return nullptr;
    }
    return key;
}

bool KeyList::Save(const KeyDef& key) {
    return collection_ && key.Save(*collection_);
}

void KeyList::Delete(LPCWSTR id) {
    if (collection_ && IsItemId(id)) {
        collection_->deleteSubkey(id);
    }
}

void LoadKeysForServer(KeyList& keyList, SettingsKey& serverKey, DWORD filter,
                       std::vector<KeyDef>& target) {
    SettingsKey* collection = keyList.Collection();
    std::unique_ptr<SettingsKey> placements(serverKey.openSubkey(u"Keys"));
    if (collection == nullptr || !placements) {
        return;
    }
    ForEachKeyId(*collection, [&](LPCWSTR id) {
        DWORD placement = placements->readDword(id, 0);
        if (filter != kPlacementBoth && (filter & placement & kPlacementBoth) == 0) {
            return true;
        }
        if (target.size() >= kMaxKeys) {
            ReportCap();
            return false;
        }
        KeyDef key;
        if (key.Load(*collection, id)) {
            key.ReadPlacement(*placements);
            target.push_back(key);
        }
        return true;
    });
}
