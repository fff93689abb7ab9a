// Identities of defined keys and macros: 10 random characters, also the name of the item's key
// in the settings store.
#pragma once

#include <platform/types.h>

constexpr int kItemIdLength = 10;
constexpr int kItemIdCapacity = kItemIdLength + 1;  // with the terminator

// Writes kItemIdLength characters drawn with rand() from "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"
// and a terminator. Existing ids are not checked.
void MakeRandomId(WCHAR (&out)[kItemIdCapacity]);

// Whether text can name an item: 1 to kItemIdLength units, none of them a backslash (which the
// store would take as a path). Null is not an id.
bool IsItemId(LPCWSTR text);
