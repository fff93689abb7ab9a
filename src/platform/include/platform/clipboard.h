// The clipboard (text only: CF_UNICODETEXT in a LocalAlloc block) and local memory blocks.
#pragma once

#include <platform/core.h>

using HLOCAL = HANDLE;
constexpr UINT LMEM_FIXED = 0x0000;
constexpr UINT LMEM_ZEROINIT = 0x0040;
constexpr UINT LPTR = LMEM_FIXED | LMEM_ZEROINIT;
constexpr UINT CF_UNICODETEXT = 13;

// A fixed block: the handle is its address. Null when bytes cannot be had.
HLOCAL LocalAlloc(UINT flags, std::size_t bytes);
HLOCAL LocalFree(HLOCAL block);  // null on success

// One thread at a time has the clipboard open; owner may be null.
BOOL OpenClipboard(HWND owner);
BOOL CloseClipboard();
BOOL EmptyClipboard();  // only while open
// The clipboard takes data (a LocalAlloc block holding terminated UTF-16 text) and frees it when
// emptied; null on failure (then the caller keeps it).
HANDLE SetClipboardData(UINT format, HANDLE data);
// The clipboard's block (still the clipboard's), while open.
HANDLE GetClipboardData(UINT format);
BOOL IsClipboardFormatAvailable(UINT format);
