#include <keyboard/macro_list.h>

#include <platform/text.h>

MacroList::MacroList() : collection_(OpenSettingsCollection(u"Macros")) {}

MacroList::~MacroList() = default;

void MacroList::LoadAll() {
    if (!collection_) {
        return;
    }
    WCHAR name[kTextCapacity];
    for (DWORD index = 0; collection_->enumSubkey(index, name); ++index) {
        if (!IsItemId(name)) {
            continue;
        }
        std::unique_ptr<SettingsKey> key(collection_->openSubkey(name));
        if (!key) {
            continue;
        }
        MacroListItem item;
        lstrcpynW(item.Id, name, kItemIdCapacity);
        key->readString(u"Title", u"", item.Title);
        items_.push_back(item);
    }
}

std::unique_ptr<Macro> MacroList::Add(LPCWSTR title) {
    auto macro = std::make_unique<Macro>();
    lstrcpynW(macro->Title, title != nullptr ? title : u"", kTextCapacity);
    if (!collection_ || !macro->Save(*collection_)) {
        return nullptr;
    }
    return macro;
}

std::unique_ptr<Macro> MacroList::Duplicate(LPCWSTR id, LPCWSTR suffix) {
    std::unique_ptr<Macro> macro = FindMacro(*this, id);
    if (!macro) {
        return nullptr;
    }
    std::u16string title = std::u16string(macro->Title) + (suffix != nullptr ? suffix : u"");
    lstrcpynW(macro->Title, title.c_str(), kTextCapacity);  // cut to 259 units
    MakeRandomId(macro->Id);
    if (!macro->Save(*collection_)) {
        return nullptr;
    }
    return macro;
}

void MacroList::Delete(LPCWSTR id) {
    if (collection_ && IsItemId(id)) {
        collection_->deleteSubkey(id);
    }
}

std::unique_ptr<Macro> FindMacro(MacroList& macroList, LPCWSTR id) {
    SettingsKey* collection = macroList.Collection();
    if (collection == nullptr) {
        return nullptr;
    }
    auto macro = std::make_unique<Macro>();
    if (macro->Load(*collection, id) != MacroLoadResult::kLoaded) {
        return nullptr;
    }
    return macro;
}
