// The one-character key field shared by the key editor and the macro editor: a combo box with an
// edit field that offers the named keys and takes one typed character.
#pragma once

#include <keyboard/named_keys.h>

// Shows keysym: a named key selects its entry (the field then shows its name), anything else
// selects nothing and shows the keysym as one character, as it is ("a" for 0x61).
void ShowKeysymInField(HWND combo, Keysym keysym);
// The selected entry's keysym or, with none selected, the first character of the text (read
// up to 100 characters), upper-cased when asked; 0 for an empty field.
Keysym KeysymFromField(HWND combo, bool upperCase);
// After the user typed into the field: a text of two or more characters, or a single lower-case
// letter, becomes its first character upper-cased; one other character or nothing stays.
void KeepOneCharacter(HWND combo);
