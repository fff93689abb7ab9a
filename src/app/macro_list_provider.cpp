#include <app/macro_list_provider.h>

#include <app/macro_editor.h>
#include <platform/resources.h>
#include <platform/text.h>
#include <resources/resources.h>

#include <memory>

namespace {

constexpr WORD kAdd = 32804, kDuplicate = 32805, kDelete = 32806;
constexpr UINT kNewMacroText = 107, kCopySuffixText = 108;

std::u16string LoadText(UINT id) {
    WCHAR text[kTextCapacity] = {};
    LoadStringW(GetModuleHandleW(nullptr), id, text, kTextCapacity);
    return text;
}

}  // namespace

UINT MacroListProvider::GetMenuBarId() {
    return IDR_MACRO_LIST_BAR;
}

bool MacroListProvider::OnCommand(ListDialog& dialog, WORD command) {
    if (command != kAdd && command != kDuplicate && command != kDelete) {
        return false;
    }
    if (command == kAdd) {
        macros_.Add(LoadText(kNewMacroText).c_str());
    } else {
        int row = dialog.SelectedRow();
        auto* id = reinterpret_cast<LPCWSTR>(row >= 0 ? dialog.RowValue(row) : 0);
        if (id != nullptr && command == kDuplicate) {
            macros_.Duplicate(id, LoadText(kCopySuffixText).c_str());
        } else if (id != nullptr) {
            macros_.Delete(id);
        }
    }
    dialog.Refill();
    return true;
}

void MacroListProvider::OnActivate(ListDialog& dialog, int row) {
    auto* id = reinterpret_cast<LPCWSTR>(dialog.RowValue(row));
    std::unique_ptr<Macro> macro = id != nullptr ? FindMacro(macros_, id) : nullptr;
    if (!macro || !MacroEditor::Edit(*macro, dialog.Window())) {
        return;
    }
    if (macros_.Collection() != nullptr) {
        macro->Save(*macros_.Collection());
    }
    if (dialog.Window() != nullptr) {
        dialog.SetRowText(row, macro->Title);
    }
}

void MacroListProvider::UpdateMenu(ListDialog& dialog) {
    bool selected = dialog.SelectedRow() >= 0;
    dialog.EnableCommand(kDuplicate, selected);
    dialog.EnableCommand(kDelete, selected);
}

bool MacroListProvider::GetColumn(int index, LPWSTR text, int capacity, int* widthPercent) {
    if (index != 0) {
        return false;
    }
    if (text != nullptr) {
        lstrcpynW(text, u"Item", capacity);
    }
    *widthPercent = 100;
    return true;
}

void MacroListProvider::LoadItems(ListDialog&) {
    macros_.LoadAll();
}

void MacroListProvider::UnloadItems(ListDialog&) {
    macros_.Clear();
}

int MacroListProvider::GetItemCount(ListDialog&) {
    return static_cast<int>(macros_.Items().size());
}

bool MacroListProvider::GetItemText(ListDialog&, int item, int column, LPWSTR buffer,
                                    int capacity) {
    if (column != 0 || item < 0 || item >= GetItemCount(dialog_)) {
        return false;
    }
    lstrcpynW(buffer, macros_.Items()[static_cast<std::size_t>(item)].Title, capacity);
    return true;
}

LPARAM MacroListProvider::GetItemData(ListDialog&, int item) {
    auto* copy = new WCHAR[kItemIdCapacity];
    lstrcpynW(copy, macros_.Items()[static_cast<std::size_t>(item)].Id, kItemIdCapacity);
    ++live_;
    return reinterpret_cast<LPARAM>(copy);
}

void MacroListProvider::FreeItemData(ListDialog&, LPARAM value) {
    if (value != 0) {
        delete[] reinterpret_cast<WCHAR*>(value);
        --live_;
    }
}
