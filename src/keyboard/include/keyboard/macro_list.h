// The macros model: the "Macros" collection of the settings store, with the ids and titles of its
// macros for the macro list. Whole macros are loaded one at a time, when needed.
#pragma once

#include <keyboard/macro.h>

#include <memory>
#include <vector>

struct MacroListItem {
    WCHAR Id[kItemIdCapacity] = {};
    WCHAR Title[kTextCapacity] = {};
};

class MacroList {
  public:
    // Opens "Macros" under the application key, creating it when missing.
    MacroList();
    virtual ~MacroList();
    MacroList(const MacroList&) = delete;
    MacroList& operator=(const MacroList&) = delete;

    // Appends an item per stored macro, in the store's order (names that cannot be ids are
    // skipped).
    void LoadAll();
    void Clear() { items_.clear(); }
    const std::vector<MacroListItem>& Items() const { return items_; }

    // A new macro with a fresh id, the given title and no steps, saved at once; null when it could
    // not be saved.
    std::unique_ptr<Macro> Add(LPCWSTR title);
    // A copy of macro id under a fresh id, its title followed by suffix (cut to 259 units), saved
    // at once; null when id is missing or malformed (no copy is made of what could not be read).
    std::unique_ptr<Macro> Duplicate(LPCWSTR id, LPCWSTR suffix);
    // Removes macro id from the store. Keys that name it keep the id and then play nothing.
    void Delete(LPCWSTR id);

    // The open "Macros" key (for Load and Save of a Macro); null only without memory.
    SettingsKey* Collection() const { return collection_.get(); }

  private:
    std::unique_ptr<SettingsKey> collection_;
    std::vector<MacroListItem> items_;
};

// The macro named id, loaded whole; null when there is no such macro (nothing is created in the
// store) or its stored steps are malformed.
std::unique_ptr<Macro> FindMacro(MacroList& macroList, LPCWSTR id);
