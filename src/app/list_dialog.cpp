#include <app/list_dialog.h>

#include <app/dialog_layout.h>
#include <widgets/help.h>
#include <app/modal_dialog.h>
#include <platform/commctrl.h>
#include <platform/menu.h>
#include <platform/resources.h>
#include <platform/shell.h>
#include <resources/resources.h>

namespace {

constexpr DWORD kFullScreenPanelDownEmptyMenu = 0x2C;
constexpr int kColumnTextCapacity = 100;
constexpr int kRowTextCapacity = 100;

int ListClientWidth(HWND list) {
    RECT client{};
    GetClientRect(list, &client);
    return client.right - client.left;
}

}  // namespace

void ListDialog::Show(HWND parent) {
    if (window_ != nullptr) {
        SetForegroundWindow(window_);
        return;
    }
    RunModalDialog(IDD_LIST_SQUARE, parent, Procedure, reinterpret_cast<LPARAM>(this));
    window_ = nullptr;
}

HWND ListDialog::List() const {
    return window_ != nullptr ? GetDlgItem(window_, kListId) : nullptr;
}

int ListDialog::RowCount() const {
    return static_cast<int>(SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0));
}

int ListDialog::SelectedRow() const {
    if (List() == nullptr) {
        return -1;
    }
    return static_cast<int>(
        SendMessageW(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

LPARAM ListDialog::RowValue(int row) const {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (List() == nullptr ||
        SendMessageW(List(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) == 0) {
        return 0;
    }
    return item.lParam;
}

void ListDialog::SetRowValue(int row, LPARAM value) {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    item.lParam = value;
    SendMessageW(List(), LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void ListDialog::SetRowText(int row, LPCWSTR text) {
    LVITEMW item{};
    item.iSubItem = 0;
    item.pszText = const_cast<LPWSTR>(text);
    SendMessageW(List(), LVM_SETITEMTEXTW, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
}

void ListDialog::EnableCommand(UINT command, bool enabled) {
    HWND bar = window_ != nullptr ? SHFindMenuBar(window_) : nullptr;
    auto menu = reinterpret_cast<HMENU>(SendMessageW(bar, SHCMBM_GETSUBMENU, 0, kMenuButton));
    if (menu != nullptr) {
        EnableMenuItem(menu, command, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    }
}

void ListDialog::ClearRows() {
    HWND list = List();
    if (list == nullptr) {
        return;
    }
    int count = RowCount();
    for (int row = 0; row < count; ++row) {
        LPARAM value = RowValue(row);
        SetRowValue(row, 0);  // freed once, even if the rows outlive this call
        provider_.FreeItemData(*this, value);
    }
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
}

void ListDialog::Refill() {
    HWND list = List();
    if (list == nullptr) {
        return;
    }
    ClearRows();
    provider_.LoadItems(*this);
    int count = provider_.GetItemCount(*this);
    for (int i = 0; i < count; ++i) {
        WCHAR text[kRowTextCapacity];
        if (!provider_.GetItemText(*this, i, 0, text, kRowTextCapacity)) {
            continue;
        }
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = RowCount();
        item.pszText = text;
        item.lParam = provider_.GetItemData(*this, i);
        auto row = static_cast<int>(
            SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        if (row < 0) {
            provider_.FreeItemData(*this, item.lParam);
            continue;
        }
        for (int column = 1; provider_.GetItemText(*this, i, column, text, kRowTextCapacity);
             ++column) {
            LVITEMW cell{};
            cell.iSubItem = column;
            cell.pszText = text;
            SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row),
                         reinterpret_cast<LPARAM>(&cell));
        }
    }
    provider_.UnloadItems(*this);
    provider_.UpdateMenu(*this);
}

void ListDialog::OnInit(HWND dialog) {
    window_ = dialog;
    SetWindowLongPtrW(dialog, GWL_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SHINITDLGINFO info{SHIDIM_FLAGS, dialog, kFullScreenPanelDownEmptyMenu};
    SHInitDialog(&info);
    SHMENUBARINFO bar{};
    bar.cbSize = sizeof bar;
    bar.hwndParent = dialog;
    bar.nToolBarId = provider_.GetMenuBarId();
    bar.hInstRes = GetModuleHandleW(nullptr);
    SHCreateMenuBar(&bar);
    HWND list = List();
    int width = ListClientWidth(list);
    WCHAR text[kColumnTextCapacity];
    int percent = 0;
    for (int index = 0; provider_.GetColumn(index, text, kColumnTextCapacity, &percent); ++index) {
        LVCOLUMNW column{
            LVCF_FMT | LVCF_WIDTH | LVCF_TEXT, LVCFMT_LEFT, percent * width / 100, text, 0, index};
        SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&column));
    }
    LRESULT extended = SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, extended | LVS_EX_FULLROWSELECT);
    Refill();
    // The shell sized the dialog before its columns existed.
    OnSize();
}

void ListDialog::OnSize() {
    RelayoutDialog(GetModuleHandleW(nullptr), window_,
                   TemplateForShape(IDD_LIST_SQUARE, IDD_LIST_TALL, IDD_LIST_WIDE));
    HWND list = List();
    int width = ListClientWidth(list);
    int percent = 0;
    for (int index = 0; provider_.GetColumn(index, nullptr, 0, &percent); ++index) {
        SendMessageW(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(index), percent * width / 100);
    }
}

void ListDialog::End() {
    ClearRows();
    HWND dialog = window_;
    window_ = nullptr;
    EndDialog(dialog, 1);
}

INT_PTR ListDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            OnSize();
            return 0;
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header == nullptr || header->idFrom != kListId) {
                return 0;
            }
            if (header->code == LVN_ITEMACTIVATE) {
                int row = reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem;
                if (row >= 0 && row < RowCount()) {
                    provider_.OnActivate(*this, row);
                }
            } else if (header->code == LVN_ITEMCHANGED) {
                provider_.UpdateMenu(*this);
            }
            return 0;
        }
        case WM_COMMAND:
            if (provider_.OnCommand(*this, LOWORD(wParam))) {
                return 1;
            }
            if (LOWORD(wParam) == kDoneCommand) {
                End();
                return 1;
            }
            return 0;
        case WM_CLOSE:
            End();
            return 1;
        case WM_HELP:
            ShowHelp(provider_.GetHelpTopic());
            return 1;
        case WM_DESTROY:
            // However the dialog goes (its owner may be destroyed under it), the rows' values go
            // back to the provider.
            ClearRows();
            window_ = nullptr;
            return 0;
        default:
            return 0;
    }
}

INT_PTR ListDialog::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        reinterpret_cast<ListDialog*>(lParam)->OnInit(dialog);
        return 1;
    }
    auto* self = reinterpret_cast<ListDialog*>(GetWindowLongPtrW(dialog, GWL_USERDATA));
    if (self == nullptr || self->window_ != dialog) {
        return 0;  // not yet started, or already ended
    }
    return self->OnMessage(message, wParam, lParam);
}
