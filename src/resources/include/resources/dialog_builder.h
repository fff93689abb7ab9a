// Builds dialog templates in the binary format that the dialog manager and the re-layout parse:
// the header (style, extended style, item count, x, y, width, height), the menu, the class and the
// title (each 0xFFFF and an ordinal, or a terminated UTF-16 string), the point size and font name
// when the style has DS_SETFONT; then the items, each aligned to 4 bytes: style, extended style,
// x, y, width, height, id, class, title, creation-data size (always 0 here).
#pragma once

#include <platform/types.h>

#include <string>
#include <vector>

struct DialogItemSpec {
    DWORD style = 0;
    short x = 0, y = 0, width = 0, height = 0;
    WORD id = 0xFFFF;
    WORD classOrdinal = 0;  // 0x80 button ... 0x85 combo box; 0: className is used
    std::u16string className;
    std::u16string title;
    WORD titleOrdinal = 0;  // non-zero: the title is this resource ordinal
};

struct DialogDefinition {
    DWORD style = 0;
    short width = 0, height = 0;
    std::u16string title;
    WORD pointSize = 8;
    std::u16string font = u"MS Shell Dlg";
    std::vector<DialogItemSpec> items;
};

std::vector<BYTE> BuildDialog(const DialogDefinition& dialog);

// Item helpers (WS_CHILD | WS_VISIBLE are added).
DialogItemSpec DialogText(std::u16string text, DWORD style, short x, short y, short w, short h,
                          WORD id = 0xFFFF);
DialogItemSpec DialogIcon(WORD icon, WORD id, short x, short y, short w, short h);
DialogItemSpec DialogButton(std::u16string text, DWORD style, WORD id, short x, short y, short w,
                            short h);
DialogItemSpec DialogEdit(DWORD style, WORD id, short x, short y, short w, short h);
DialogItemSpec DialogCombo(DWORD style, WORD id, short x, short y, short w, short h);
DialogItemSpec DialogControl(std::u16string className, DWORD style, WORD id, short x, short y,
                             short w, short h);
