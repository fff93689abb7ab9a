// The viewer window's defined keys: the key toolbar and the Keyboard menu's keys, their loading
// from the server's key and what they leave pressed on the server.
#include <viewer/viewer_window.h>

#include <app/define_keys_dialog.h>
#include <platform/menu.h>
#include <settings/viewer_messages.h>

namespace {

constexpr UINT kMenuButton = 40401;

}  // namespace

HMENU ViewerWindow::KeyboardMenu() const {
    HMENU menu = MenuBarPopup(kMenuButton);
    return menu != nullptr ? FindShowToolbarMenu(menu) : nullptr;
}

void ViewerWindow::OnKeyButton(KeyToolbar*, KeyDef& key, bool down) {
    key.Send(heldKeys_, down);
    AfterKeySent();
}

void ViewerWindow::AfterKeySent() {
    if (Rate() != kRateConstant) {
        RequestVisibleUpdate();
    }
}

void ViewerWindow::ReleaseHeldKeys() {
    // Each key's own release first (a macro key plays its up macro), then whatever a macro's
    // press left down.
    keyToolbar_.ReleaseKeys(heldKeys_);
    menuKeys_.ReleaseKeys(heldKeys_);
    heldKeys_.ReleaseAll();
}

void ViewerWindow::ReloadKeys() {
    std::unique_ptr<SettingsKey> key = OpenServerKey();
    if (!key) {
        return;
    }
    // The keys reloaded are all up: so must they be on the server.
    ReleaseHeldKeys();
    keyToolbar_.Layout(key.get());
    menuKeys_.Load(key.get());
    key->close();
    menuKeys_.BuildMenu(KeyboardMenu());
}

void ViewerWindow::DefineKeys() {
    std::unique_ptr<SettingsKey> key = OpenServerKey();
    if (!key) {
        return;
    }
    bool changed = RunDefineKeysDialog(Handle(), key.get());
    key->close();
    if (changed) {
        ReloadKeys();
    }
}

std::unique_ptr<SettingsKey> ViewerWindow::OpenServerKey() {
    auto* record = reinterpret_cast<ServerRecord*>(
        SendMessageW(list_, WM_VIEWER_RECORD, 0,
                     reinterpret_cast<LPARAM>(static_cast<ServerViewer*>(this))));
    if (record == nullptr) {
        return nullptr;
    }
    std::unique_ptr<SettingsKey> servers(OpenSettingsCollection(u"Servers"));
    return servers ? std::unique_ptr<SettingsKey>(servers->openSubkey(record->Id)) : nullptr;
}

void ViewerWindow::ToggleBar(ToolbarWidget& bar, std::atomic<bool>& shown, WORD command,
                             LPCWSTR value) {
    bool show = !shown;
    shown = show;
    bar.Show(show);
    if (show) {
        SetForegroundWindow(Handle());  // the bar never keeps the activation
    }
    if (HMENU menu = MenuBarPopup(kMenuButton)) {
        CheckMenuItem(menu, command, show ? MF_CHECKED : MF_UNCHECKED);
    }
    if (std::unique_ptr<SettingsKey> key = OpenServerKey()) {
        key->writeDword(value, show ? 1 : 0);
        key->close();
    }
}
