// The macro list: the ListDialog over the stored macros, which adds, duplicates, deletes and
// opens them in the macro editor. Each row holds a copy of its macro's id.
#pragma once

#include <app/list_dialog.h>
#include <keyboard/macro_list.h>

class MacroListProvider : public ListProvider {
  public:
    // macros is not owned and must outlive this object.
    explicit MacroListProvider(MacroList& macros) : macros_(macros), dialog_(*this) {}
    ~MacroListProvider() override = default;

    void Show(HWND parent) { dialog_.Show(parent); }
    ListDialog& Dialog() { return dialog_; }
    // Row values handed out and not yet taken back.
    int LiveRowValues() const { return live_; }

    UINT GetMenuBarId() override;
    bool OnCommand(ListDialog& dialog, WORD command) override;
    void OnActivate(ListDialog& dialog, int row) override;
    void UpdateMenu(ListDialog& dialog) override;
    bool GetColumn(int index, LPWSTR text, int capacity, int* widthPercent) override;
    void LoadItems(ListDialog& dialog) override;
    void UnloadItems(ListDialog& dialog) override;
    int GetItemCount(ListDialog& dialog) override;
    bool GetItemText(ListDialog& dialog, int item, int column, LPWSTR buffer,
                     int capacity) override;
    LPARAM GetItemData(ListDialog& dialog, int item) override;
    void FreeItemData(ListDialog& dialog, LPARAM value) override;
    LPCWSTR GetHelpTopic() override { return u"Macro"; }

  private:
    MacroList& macros_;
    ListDialog dialog_;
    int live_ = 0;
};
