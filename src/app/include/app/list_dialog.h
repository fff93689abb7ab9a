// ListDialog: the full-screen, one-column list behind the defined-key list and the macro list,
// with "Done" and a "Menu" pop-up on its soft-key bar. A ListProvider supplies the rows, the
// menu and what the commands do.
#pragma once

#include <platform/dialog.h>

class ListDialog;

// The data source of a ListDialog. Row values come from GetItemData and belong to the row until
// FreeItemData takes them back: every value handed out is freed exactly once, however the dialog
// ends.
class ListProvider {
  public:
    virtual ~ListProvider() = default;
    // The soft-key bar resource; its "Menu" pop-up has the same id.
    virtual UINT GetMenuBarId() = 0;
    // True when the command was handled.
    virtual bool OnCommand(ListDialog& dialog, WORD command) = 0;
    virtual void OnActivate(ListDialog& dialog, int row) = 0;
    // Enables the menu's commands for the selection; after every fill and selection change.
    virtual void UpdateMenu(ListDialog& dialog) = 0;
    // Column index's heading (text may be null) and its width in percent of the list; false
    // past the last column.
    virtual bool GetColumn(int index, LPWSTR text, int capacity, int* widthPercent) = 0;
    virtual void LoadItems(ListDialog& dialog) = 0;
    virtual void UnloadItems(ListDialog& dialog) = 0;
    virtual int GetItemCount(ListDialog& dialog) = 0;
    // False when the item has no text in that column (column 0: the item gets no row).
    virtual bool GetItemText(ListDialog& dialog, int item, int column, LPWSTR buffer,
                             int capacity) = 0;
    virtual LPARAM GetItemData(ListDialog& dialog, int item) = 0;
    // Takes back a value of GetItemData; 0 is ignored.
    virtual void FreeItemData(ListDialog& dialog, LPARAM value) = 0;
    virtual LPCWSTR GetHelpTopic() = 0;
};

class ListDialog {
  public:
    static constexpr int kListId = 1018;
    static constexpr WORD kDoneCommand = 40402;
    static constexpr WORD kMenuButton = 40401;

    explicit ListDialog(ListProvider& provider) : provider_(provider) {}
    ListDialog(const ListDialog&) = delete;
    ListDialog& operator=(const ListDialog&) = delete;

    // Runs the dialog modally over parent; when it is open already, brings it forward instead.
    void Show(HWND parent);
    // Frees the rows' values and builds the rows again from the provider.
    void Refill();

    HWND Window() const { return window_; }
    HWND List() const;
    int RowCount() const;
    // The first selected row in list order, -1 for none.
    int SelectedRow() const;
    LPARAM RowValue(int row) const;
    void SetRowValue(int row, LPARAM value);
    void SetRowText(int row, LPCWSTR text);
    // Enables or grays a command of the "Menu" pop-up.
    void EnableCommand(UINT command, bool enabled);

  private:
    static INT_PTR Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnInit(HWND dialog);
    void OnSize();
    void ClearRows();
    void End();

    ListProvider& provider_;
    HWND window_ = nullptr;
};
