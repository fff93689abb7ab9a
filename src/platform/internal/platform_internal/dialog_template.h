// The binary dialog template, parsed: the header, the font and each item with its class and
// title given as an ordinal or a string. Parsing checks every length against the size it is given.
#pragma once

#include <platform/types.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

struct NameOrOrdinal {
    bool isOrdinal = false;
    WORD ordinal = 0;
    std::u16string text;
};

struct ParsedDialogItem {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    WORD id = 0;
    NameOrOrdinal windowClass;
    NameOrOrdinal title;
    std::vector<BYTE> creationData;
};

struct ParsedDialog {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    NameOrOrdinal menu;
    NameOrOrdinal windowClass;
    std::u16string title;
    WORD pointSize = 0;
    std::u16string font;
    std::vector<ParsedDialogItem> items;
};

// size: the bytes available (a template from a resource knows its size; one passed by pointer is
// read up to a generous bound and must end inside it).
std::optional<ParsedDialog> ParseDialogTemplate(const BYTE* data, std::size_t size);
// The class name of an ordinal class (0x80 "BUTTON" ... 0x85 "COMBOBOX"), empty when unknown.
std::u16string DialogClassName(const NameOrOrdinal& windowClass);
