// Keysyms and the named keys: the keys without a character of their own that the key editor and
// the macro editor offer, and how a keysym is shown to the user.
#pragma once

#include <platform/types.h>
#include <platform/window.h>

// An X11 key code of 16 bits. A printable character is its own UTF-16 code unit; named keys use
// 0xFF00 to 0xFFFF. It goes zero-extended into the 32-bit key field of a KeyEvent.
using Keysym = WORD;

struct NamedKey {
    DWORD keysym;
    const WCHAR* name;
};

// In the order of the drop-down lists that offer them.
constexpr int kNamedKeyCount = 34;
extern const NamedKey NamedKeys[kNamedKeyCount];

// Units that FormatKeyName needs for any keysym: "(Control (Right))" and the terminator.
constexpr int kKeyNameCapacity = 18;

// Index of the first row of NamedKeys with this keysym, or -1 when it is not a named key.
int FindNamedKey(Keysym keysym);

// The display text of a keysym: a named key's name in parentheses, else the keysym as one
// character, upper-cased (0x0061 shows as "A"; 0 gives the empty text). Writes at most
// capacity - 1 units and a terminator (nothing when capacity < 1); returns the units written.
int FormatKeyName(Keysym keysym, WCHAR* buffer, int capacity);

// Appends the named keys to a combo box in table order, each shown as FormatKeyName shows it and
// carrying its keysym as the item's data.
void FillNamedKeyCombo(HWND combo);
