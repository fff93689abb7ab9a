// The define-keys dialog: for one server, which defined keys have a toolbar button and which a
// Keyboard-menu item. One row per key with two check boxes, scrolled when they do not fit.
#pragma once

#include <keyboard/key_list.h>
#include <settings/settings_key.h>

// Runs the dialog over parent for the server whose store key is serverKey and, on OK, writes the
// changed placements into its "Keys" subkey (created when missing). True when the user left with
// OK. The caller then lays its toolbar and menu out again.
bool ShowDefineKeys(HWND parent, KeyList& keyList, SettingsKey& serverKey);
// The same with a KeyList of its own; false for a null key.
bool RunDefineKeysDialog(HWND owner, SettingsKey* serverKey);
