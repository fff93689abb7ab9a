#include <resources/dialog_builder.h>

#include "byte_writer.h"

namespace {

constexpr DWORD kChild = 0x40000000 | 0x10000000;  // WS_CHILD | WS_VISIBLE
constexpr DWORD kSetFont = 0x40;

void PutText(std::vector<BYTE>& out, const std::u16string& text) {
    for (char16_t unit : text) {
        Put16(out, unit);
    }
    Put16(out, 0);
}

void PutOrdinal(std::vector<BYTE>& out, WORD ordinal) {
    Put16(out, 0xFFFF);
    Put16(out, ordinal);
}

DialogItemSpec Make(WORD classOrdinal, std::u16string title, DWORD style, WORD id, short x, short y,
                    short w, short h) {
    DialogItemSpec item;
    item.style = style | kChild;
    item.x = x, item.y = y, item.width = w, item.height = h;
    item.id = id;
    item.classOrdinal = classOrdinal;
    item.title = std::move(title);
    return item;
}

}  // namespace

std::vector<BYTE> BuildDialog(const DialogDefinition& dialog) {
    std::vector<BYTE> out;
    Put32(out, dialog.style | kSetFont);
    Put32(out, 0);
    Put16(out, static_cast<WORD>(dialog.items.size()));
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, static_cast<WORD>(dialog.width));
    Put16(out, static_cast<WORD>(dialog.height));
    Put16(out, 0);  // no menu
    Put16(out, 0);  // the standard dialog class
    PutText(out, dialog.title);
    Put16(out, dialog.pointSize);
    PutText(out, dialog.font);
    for (const DialogItemSpec& item : dialog.items) {
        while (out.size() % 4 != 0) {
            out.push_back(0);
        }
        Put32(out, item.style);
        Put32(out, 0);
        Put16(out, static_cast<WORD>(item.x));
        Put16(out, static_cast<WORD>(item.y));
        Put16(out, static_cast<WORD>(item.width));
        Put16(out, static_cast<WORD>(item.height));
        Put16(out, item.id);
        if (item.classOrdinal != 0) {
            PutOrdinal(out, item.classOrdinal);
        } else {
            PutText(out, item.className);
        }
        if (item.titleOrdinal != 0) {
            PutOrdinal(out, item.titleOrdinal);
        } else {
            PutText(out, item.title);
        }
        Put16(out, 0);  // no creation data
    }
    return out;
}

DialogItemSpec DialogText(std::u16string text, DWORD style, short x, short y, short w, short h,
                          WORD id) {
    return Make(0x82, std::move(text), style, id, x, y, w, h);
}

DialogItemSpec DialogIcon(WORD icon, WORD id, short x, short y, short w, short h) {
    DialogItemSpec item = Make(0x82, u"", 0x3 /* SS_ICON */, id, x, y, w, h);
    item.titleOrdinal = icon;
    return item;
}

DialogItemSpec DialogButton(std::u16string text, DWORD style, WORD id, short x, short y, short w,
                            short h) {
    return Make(0x80, std::move(text), style | 0x00010000 /* WS_TABSTOP */, id, x, y, w, h);
}

DialogItemSpec DialogEdit(DWORD style, WORD id, short x, short y, short w, short h) {
    return Make(0x81, u"", style | 0x00800000 /* WS_BORDER */ | 0x00010000, id, x, y, w, h);
}

DialogItemSpec DialogCombo(DWORD style, WORD id, short x, short y, short w, short h) {
    return Make(0x85, u"", style | 0x00010000, id, x, y, w, h);
}

DialogItemSpec DialogControl(std::u16string className, DWORD style, WORD id, short x, short y,
                             short w, short h) {
    DialogItemSpec item = Make(0, u"", style, id, x, y, w, h);
    item.className = std::move(className);
    return item;
}
