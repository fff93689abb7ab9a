#include <app/server_editor.h>

#include <widgets/help.h>
#include <app/modal_dialog.h>
#include <platform/dialog.h>
#include <platform/shell.h>
#include <platform/text.h>
#include <resources/resources.h>
#include <settings/password.h>

#include <iterator>

namespace {

constexpr DWORD kFullScreenWithDoneAndPanelDown = 0x2D;

constexpr int kPortCombo = 1005;
constexpr int kPasswordEdit = 1007;
constexpr int kSharedCheck = 1008;
constexpr int kVideoModeList = 1009;
constexpr int kRateList = 1010;
constexpr int kTitleEdit = 1011;
constexpr int kHostEdit = 1012;
constexpr int kActiveUpdateCheck = 1013;
constexpr int kSavePasswordCheck = 1014;

constexpr int kPortFieldCapacity = 100;  // 99 characters read
constexpr int kDisplayItems = 5;         // ":0" to ":4"

struct EditorParameter {
    LPWSTR title;
    ServerSettings* settings;
};

void AddItems(HWND dialog, int id, std::initializer_list<const char16_t*> items) {
    for (const char16_t* item : items) {
        SendDlgItemMessageW(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
}

void Select(HWND dialog, int id, int index) {
    SendDlgItemMessageW(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

// The selected item, or the old value when nothing is selected.
DWORD SelectedOr(HWND dialog, int id, DWORD old) {
    auto index = static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0));
    return index < 0 ? old : static_cast<DWORD>(index);
}

void ShowPort(HWND dialog, LONG port) {
    WCHAR text[32];
    if (port > 0) {
        FormatW(text, 32, u"%u", static_cast<unsigned>(port));
        SetDlgItemTextW(dialog, kPortCombo, text);
        return;
    }
    long long display = -static_cast<long long>(port);
    if (display < kDisplayItems) {
        Select(dialog, kPortCombo, static_cast<int>(display));
        return;
    }
    // A display without an item of its own shows as typed, so OK keeps it.
    FormatW(text, 32, u":%u", static_cast<unsigned>(display));
    SetDlgItemTextW(dialog, kPortCombo, text);
}

void Initialise(HWND dialog, const EditorParameter& parameter) {
    SHINITDLGINFO info{SHIDIM_FLAGS, dialog, kFullScreenWithDoneAndPanelDown};
    SHInitDialog(&info);
    const ServerSettings& s = *parameter.settings;
    AddItems(dialog, kPortCombo, {u":0", u":1", u":2", u":3", u":4"});
    AddItems(dialog, kVideoModeList, {u"PocketPC Native video", u"8-bit lower bandwidth"});
    AddItems(dialog, kRateList,
             {u"Constant", u"Events", u"1 minute", u"5 minutes", u"30 seconds"});
    SetDlgItemTextW(dialog, kTitleEdit, parameter.title);
    SetDlgItemTextW(dialog, kHostEdit, s.Hostname);
    ShowPort(dialog, s.Port);
    // The store keeps no more of a password than this: the field takes no more.
    SendDlgItemMessageW(dialog, kPasswordEdit, EM_LIMITTEXT, kMaxSavedPasswordLength, 0);
    CheckDlgButton(dialog, kSavePasswordCheck, s.SavePassword ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemTextW(dialog, kPasswordEdit, s.Password);
    EnableWindow(GetDlgItem(dialog, kPasswordEdit), s.SavePassword);
    CheckDlgButton(dialog, kSharedCheck, s.Shared ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, kActiveUpdateCheck, s.ActiveUpdate ? BST_CHECKED : BST_UNCHECKED);
    Select(dialog, kVideoModeList, static_cast<int>(s.VideoMode));
    int rate = 0;
    for (int i = 0; i < static_cast<int>(std::size(kRateTable)); ++i) {
        if (kRateTable[i] == s.Rate) {
            rate = i;
            break;
        }
    }
    Select(dialog, kRateList, rate);
}

void Confirm(HWND dialog, const EditorParameter& parameter) {
    ServerSettings& s = *parameter.settings;
    GetDlgItemTextW(dialog, kTitleEdit, parameter.title, kTextCapacity);
    GetDlgItemTextW(dialog, kHostEdit, s.Hostname, kTextCapacity);
    WCHAR port[kPortFieldCapacity];
    GetDlgItemTextW(dialog, kPortCombo, port, kPortFieldCapacity);
    s.Port = ParsePortField(port);
    s.SavePassword = IsDlgButtonChecked(dialog, kSavePasswordCheck) == BST_CHECKED;
    if (s.SavePassword) {
        GetDlgItemTextW(dialog, kPasswordEdit, s.Password, kTextCapacity);
    } else {
        s.Password[0] = 0;
    }
    s.Shared = IsDlgButtonChecked(dialog, kSharedCheck) == BST_CHECKED;
    s.ActiveUpdate = IsDlgButtonChecked(dialog, kActiveUpdateCheck) == BST_CHECKED;
    s.VideoMode = SelectedOr(dialog, kVideoModeList, s.VideoMode);
    auto rate = static_cast<int>(SendDlgItemMessageW(dialog, kRateList, CB_GETCURSEL, 0, 0));
    if (rate >= 0 && rate < static_cast<int>(std::size(kRateTable))) {
        s.Rate = kRateTable[rate];
    }
}

INT_PTR EditorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* parameter = reinterpret_cast<EditorParameter*>(GetWindowLongPtrW(dialog, GWL_USERDATA));
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, GWL_USERDATA, lParam);
            Initialise(dialog, *reinterpret_cast<EditorParameter*>(lParam));
            return 1;
        case WM_COMMAND:
            if (LOWORD(wParam) == kSavePasswordCheck) {
                EnableWindow(GetDlgItem(dialog, kPasswordEdit),
                             IsDlgButtonChecked(dialog, kSavePasswordCheck) == BST_CHECKED);
                return 0;
            }
            if (LOWORD(wParam) == IDOK && parameter != nullptr) {
                Confirm(dialog, *parameter);
                EndDialog(dialog, 1);
                return 1;
            }
            return 0;
        case WM_CLOSE:
            EndDialog(dialog, 2);
            return 1;
        case WM_HELP:
            ShowHelp(u"AddServer");
            return 1;
        default:
            return 0;
    }
}

}  // namespace

LONG ParsePortField(LPCWSTR text) {
    bool display = text[0] == u':';
    const WCHAR* digit = display ? text + 1 : text;
    LONG value = 0;
    for (; *digit >= u'0' && *digit <= u'9'; ++digit) {
        value = value * 10 + (*digit - u'0');
        if (value > 0xFFFF) {
            value = 0x10000 + value % 0x10000;  // below 2 x 65536: the next step cannot overflow
        }
    }
    if (*digit != 0) {
        return 0;
    }
    return display ? -value : value;
}

bool ServerEditor::Run(HWND owner, LPWSTR title, ServerSettings* settings) {
    if (title == nullptr || settings == nullptr) {
        return false;
    }
    EditorParameter parameter{title, settings};
    return RunModalDialog(IDD_SERVER_EDITOR, owner, EditorProc,
                          reinterpret_cast<LPARAM>(&parameter)) == 1;
}
