// The module and its resources. The application's resource library installs them into the main
// module at start; FindResourceW / LoadResource and the typed loaders read them.
#pragma once

#include <platform/types.h>

#include <string>
#include <vector>

using HRSRC = struct ResourceObject*;
using HGLOBAL = void*;

// Resource types, as MAKEINTRESOURCE numbers.
inline LPCWSTR const RT_BITMAP = MAKEINTRESOURCEW(2);
inline LPCWSTR const RT_MENU = MAKEINTRESOURCEW(4);
inline LPCWSTR const RT_DIALOG = MAKEINTRESOURCEW(5);
inline LPCWSTR const RT_STRING = MAKEINTRESOURCEW(6);
inline LPCWSTR const RT_RCDATA = MAKEINTRESOURCEW(10);
inline LPCWSTR const RT_GROUP_ICON = MAKEINTRESOURCEW(14);

HINSTANCE GetModuleHandleW(LPCWSTR name);  // null: the program's own module

// Adds (or replaces) a resource of the module; types and names are numbers.
void AddResource(HINSTANCE module, LPCWSTR type, unsigned id, std::vector<BYTE> bytes);
// One string of the string table, by id.
void AddStringResource(HINSTANCE module, unsigned id, const std::u16string& text);

HRSRC FindResourceW(HINSTANCE module, LPCWSTR name, LPCWSTR type);
HGLOBAL LoadResource(HINSTANCE module, HRSRC resource);
DWORD SizeofResource(HINSTANCE module, HRSRC resource);
LPVOID LockResource(HGLOBAL data);
// Copies the string into buffer (capacity units, terminated); returns its length, 0 when missing.
int LoadStringW(HINSTANCE module, UINT id, LPWSTR buffer, int capacity);
