// The defined-key list: the ListDialog over the stored keys, which adds, deletes and opens them
// in the key editor. Each row holds a copy of its key.
#pragma once

#include <app/list_dialog.h>
#include <keyboard/key_list.h>

class KeyListProvider : public ListProvider {
  public:
    // keys is not owned and must outlive this object.
    explicit KeyListProvider(KeyList& keys) : keys_(keys), dialog_(*this) {}
    ~KeyListProvider() override = default;

    void Show(HWND parent) { dialog_.Show(parent); }
    ListDialog& Dialog() { return dialog_; }
    // Row values handed out and not yet taken back.
    int LiveRowValues() const { return live_; }

    UINT GetMenuBarId() override;
    bool OnCommand(ListDialog& dialog, WORD command) override;
    void OnActivate(ListDialog& dialog, int row) override;
    // "Add" is grayed too once the list holds as many keys as can be placed.
    void UpdateMenu(ListDialog& dialog) override;
    bool GetColumn(int index, LPWSTR text, int capacity, int* widthPercent) override;
    void LoadItems(ListDialog& dialog) override;
    void UnloadItems(ListDialog& dialog) override;
    int GetItemCount(ListDialog& dialog) override;
    bool GetItemText(ListDialog& dialog, int item, int column, LPWSTR buffer,
                     int capacity) override;
    LPARAM GetItemData(ListDialog& dialog, int item) override;
    void FreeItemData(ListDialog& dialog, LPARAM value) override;
    LPCWSTR GetHelpTopic() override { return u"KeyEditor"; }

  private:
    KeyList& keys_;
    ListDialog dialog_;
    int live_ = 0;
};
