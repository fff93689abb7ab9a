#include <platform_internal/dialog_template.h>

namespace {

class Reader {
  public:
    Reader(const BYTE* data, std::size_t size) : data_(data), size_(size) {}
    bool Word(WORD& out) {
        if (data_ == nullptr || position_ + 2 > size_) {
            return false;
        }
        out = static_cast<WORD>(data_[position_] | data_[position_ + 1] << 8);
        position_ += 2;
        return true;
    }
    bool Dword(DWORD& out) {
        WORD low = 0, high = 0;
        if (!Word(low) || !Word(high)) {
            return false;
        }
        out = low | static_cast<DWORD>(high) << 16;
        return true;
    }
    bool Short(short& out) {
        WORD value = 0;
        if (!Word(value)) {
            return false;
        }
        out = static_cast<short>(value);
        return true;
    }
    bool Text(std::u16string& out) {
        for (WORD unit = 0;;) {
            if (!Word(unit)) {
                return false;
            }
            if (unit == 0) {
                return true;
            }
            out.push_back(static_cast<char16_t>(unit));
        }
    }
    bool Name(NameOrOrdinal& out) {
        WORD first = 0;
        if (!Word(first)) {
            return false;
        }
        if (first == 0xFFFF) {
            out.isOrdinal = true;
            return Word(out.ordinal);
        }
        if (first == 0) {
            return true;
        }
        out.text.push_back(static_cast<char16_t>(first));
        return Text(out.text);
    }
    bool Align4() {
        position_ = (position_ + 3) & ~static_cast<std::size_t>(3);
        return position_ <= size_;
    }
    bool Bytes(std::size_t count, std::vector<BYTE>& out) {
        if (position_ + count > size_) {
            return false;
        }
        out.assign(data_ + position_, data_ + position_ + count);
        position_ += count;
        return true;
    }

  private:
    const BYTE* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

constexpr DWORD kSetFont = 0x40;

}  // namespace

std::optional<ParsedDialog> ParseDialogTemplate(const BYTE* data, std::size_t size) {
    Reader reader(data, size);
    ParsedDialog dialog;
    WORD count = 0;
    if (!reader.Dword(dialog.style) || !reader.Dword(dialog.exStyle) || !reader.Word(count) ||
        !reader.Short(dialog.x) || !reader.Short(dialog.y) || !reader.Short(dialog.cx) ||
        !reader.Short(dialog.cy) || !reader.Name(dialog.menu) || !reader.Name(dialog.windowClass)) {
        return std::nullopt;
    }
    NameOrOrdinal title;
    if (!reader.Name(title)) {
        return std::nullopt;
    }
    dialog.title = title.text;
    if ((dialog.style & kSetFont) != 0 &&
        (!reader.Word(dialog.pointSize) || !reader.Text(dialog.font))) {
        return std::nullopt;
    }
    for (WORD i = 0; i < count; ++i) {
        ParsedDialogItem item;
        WORD extra = 0;
        if (!reader.Align4() || !reader.Dword(item.style) || !reader.Dword(item.exStyle) ||
            !reader.Short(item.x) || !reader.Short(item.y) || !reader.Short(item.cx) ||
            !reader.Short(item.cy) || !reader.Word(item.id) || !reader.Name(item.windowClass) ||
            !reader.Name(item.title) || !reader.Word(extra)) {
            return std::nullopt;
        }
        // A non-zero size counts the bytes from the size word on.
        if (extra > 2 && !reader.Bytes(extra - 2u, item.creationData)) {
            return std::nullopt;
        }
        dialog.items.push_back(std::move(item));
    }
    return dialog;
}

std::u16string DialogClassName(const NameOrOrdinal& windowClass) {
    if (!windowClass.isOrdinal) {
        return windowClass.text;
    }
    switch (windowClass.ordinal) {
        case 0x80:
            return u"BUTTON";
        case 0x81:
            return u"EDIT";
        case 0x82:
            return u"STATIC";
        case 0x83:
            return u"LISTBOX";
        case 0x84:
            return u"SCROLLBAR";
        case 0x85:
            return u"COMBOBOX";
        default:
            return u"";
    }
}
