#include <app/key_list_provider.h>

#include <app/key_editor.h>
#include <platform/resources.h>
#include <platform/text.h>
#include <resources/resources.h>

namespace {

constexpr WORD kAdd = 32812, kDelete = 32813;
constexpr UINT kNewKeyText = 109;

}  // namespace

UINT KeyListProvider::GetMenuBarId() {
    return IDR_KEY_LIST_BAR;
}

bool KeyListProvider::OnCommand(ListDialog& dialog, WORD command) {
    if (command == kAdd) {
        WCHAR title[kTextCapacity] = {};
        LoadStringW(GetModuleHandleW(nullptr), kNewKeyText, title, kTextCapacity);
        keys_.Add(title);
    } else if (command == kDelete) {
        int row = dialog.SelectedRow();
        auto* key = reinterpret_cast<KeyDef*>(row >= 0 ? dialog.RowValue(row) : 0);
        if (key != nullptr) {
            keys_.Delete(key->Id);
            dialog.SetRowValue(row, 0);
            FreeItemData(dialog, reinterpret_cast<LPARAM>(key));
        }
    } else {
        return false;
    }
    dialog.Refill();
    return true;
}

void KeyListProvider::OnActivate(ListDialog& dialog, int row) {
    auto* stored = reinterpret_cast<KeyDef*>(dialog.RowValue(row));
    if (stored == nullptr) {
        return;
    }
    // The editor works on a copy: the row's own copy goes when the list does, and the list may
    // go while the editor runs (its owner closed under it).
    KeyDef key = *stored;
    bool confirmed = KeyEditor::Edit(key, dialog.Window());
    if (!confirmed || dialog.Window() == nullptr ||
        dialog.RowValue(row) != reinterpret_cast<LPARAM>(stored)) {
        return;
    }
    keys_.Save(key);
    *stored = key;
    dialog.SetRowText(row, key.Title);
}

void KeyListProvider::UpdateMenu(ListDialog& dialog) {
    dialog.EnableCommand(kAdd, dialog.RowCount() < kMaxDefinedKeys);
    dialog.EnableCommand(kDelete, dialog.SelectedRow() >= 0);
}

bool KeyListProvider::GetColumn(int index, LPWSTR text, int capacity, int* widthPercent) {
    if (index != 0) {
        return false;
    }
    if (text != nullptr) {
        lstrcpynW(text, u"Item", capacity);
    }
    *widthPercent = 100;
    return true;
}

void KeyListProvider::LoadItems(ListDialog&) {
    keys_.LoadAll();
}

void KeyListProvider::UnloadItems(ListDialog&) {
    keys_.Clear();
}

int KeyListProvider::GetItemCount(ListDialog&) {
    return static_cast<int>(keys_.Keys().size());
}

bool KeyListProvider::GetItemText(ListDialog&, int item, int column, LPWSTR buffer, int capacity) {
    if (column != 0 || item < 0 || item >= GetItemCount(dialog_)) {
        return false;
    }
    lstrcpynW(buffer, keys_.Keys()[static_cast<std::size_t>(item)].Title, capacity);
    return true;
}

LPARAM KeyListProvider::GetItemData(ListDialog&, int item) {
    ++live_;
    return reinterpret_cast<LPARAM>(new KeyDef(keys_.Keys()[static_cast<std::size_t>(item)]));
}

void KeyListProvider::FreeItemData(ListDialog&, LPARAM value) {
    if (value != 0) {
        delete reinterpret_cast<KeyDef*>(value);
        --live_;
    }
}
