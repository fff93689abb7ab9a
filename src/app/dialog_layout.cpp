#include <app/dialog_layout.h>

#include <platform/resources.h>

#include <cstring>
#include <string>

namespace {

constexpr WORD kOrdinalMarker = 0xFFFF;
constexpr WORD kNoId = 0xFFFF;
constexpr DWORD kSetFont = 0x40;
constexpr UINT LB_GETCURSEL = 0x0188, LB_SETCURSEL = 0x0186;  // list boxes (none are made yet)

// Reads the template's words; every read is checked against its end.
class TemplateReader {
  public:
    TemplateReader(const BYTE* data, std::size_t size) : data_(data), size_(size) {}
    bool Word(WORD& out) {
        if (offset_ + 2 > size_) {
            return false;
        }
        out = static_cast<WORD>(data_[offset_] | data_[offset_ + 1] << 8);
        offset_ += 2;
        return true;
    }
    bool Dword(DWORD& out) {
        WORD low = 0, high = 0;
        bool ok = Word(low) && Word(high);
        out = low | static_cast<DWORD>(high) << 16;
        return ok;
    }
    bool Short(int& out) {
        WORD value = 0;
        bool ok = Word(value);
        out = static_cast<short>(value);
        return ok;
    }
    // A name: the marker and an ordinal, or a terminated string (a lone 0: none). Returns where
    // it starts, or null when it runs past the end.
    const WORD* SkipName() {
        std::size_t start = offset_;
        WORD first = 0;
        if (!Word(first)) {
            return nullptr;
        }
        if (first == kOrdinalMarker) {
            WORD ordinal = 0;
            if (!Word(ordinal)) {
                return nullptr;
            }
        } else {
            for (WORD unit = first; unit != 0;) {
                if (!Word(unit)) {
                    return nullptr;
                }
            }
        }
        return reinterpret_cast<const WORD*>(data_ + start);
    }
    bool Skip(std::size_t bytes) {
        if (offset_ + bytes > size_) {
            return false;
        }
        offset_ += bytes;
        return true;
    }
    void Align4() { offset_ = (offset_ + 3) & ~static_cast<std::size_t>(3); }
    std::size_t Offset() const { return offset_; }

  private:
    const BYTE* data_;
    std::size_t size_;
    std::size_t offset_ = 0;
};

WORD ReadWord(const WORD* at, std::size_t index) {
    WORD value;
    std::memcpy(&value, at + index, sizeof value);
    return value;
}

std::u16string StringAt(const WORD* at) {
    std::u16string text;
    for (std::size_t i = 0; ReadWord(at, i) != 0; ++i) {
        text.push_back(static_cast<char16_t>(ReadWord(at, i)));
    }
    return text;
}

}  // namespace

ScreenShape CurrentScreenShape() {
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    return height > width   ? ScreenShape::Tall
           : width > height ? ScreenShape::Wide
                            : ScreenShape::Square;
}

UINT TemplateForShape(UINT square, UINT tall, UINT wide) {
    switch (CurrentScreenShape()) {
        case ScreenShape::Tall:
            return tall;
        case ScreenShape::Wide:
            return wide;
        default:
            return square;
    }
}

bool RelayoutDialog(HINSTANCE module, HWND dialog, UINT templateId) {
    HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(templateId), RT_DIALOG);
    auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, resource)));
    if (resource == nullptr || bytes == nullptr) {
        return false;
    }
    TemplateReader reader(bytes, SizeofResource(module, resource));
    DWORD style = 0, exStyle = 0;
    WORD count = 0;
    int x, y, cx, cy;
    if (!reader.Dword(style) || !reader.Dword(exStyle) || !reader.Word(count) || !reader.Short(x) ||
        !reader.Short(y) || !reader.Short(cx) || !reader.Short(cy)) {
        return false;
    }
    HDWP positions = BeginDeferWindowPos(count);
    if (positions == nullptr) {
        return false;
    }
    bool result = reader.SkipName() && reader.SkipName() && reader.SkipName();
    if (result && (style & kSetFont) != 0) {
        WORD points = 0;
        result = reader.Word(points) && reader.SkipName();
    }
    int withoutId = 0;
    for (WORD i = 0; result && i < count; ++i) {
        reader.Align4();
        DialogItemHeader item;
        WORD id = 0;
        if (!reader.Dword(item.style) || !reader.Dword(exStyle) || !reader.Short(x) ||
            !reader.Short(y) || !reader.Short(cx) || !reader.Short(cy) || !reader.Word(id)) {
            result = false;
            break;
        }
        item.id = id;
        HWND control = GetDlgItem(dialog, id);
        RECT box{x, y, x + cx, y + cy};
        if (control == nullptr || !MapDialogRect(dialog, &box)) {
            result = false;  // this item and all later ones stay where they are
            break;
        }
        positions =
            DeferWindowPos(positions, control, nullptr, box.left, box.top, box.right - box.left,
                           box.bottom - box.top, SWP_NOZORDER | SWP_NOACTIVATE);
        if (positions == nullptr) {
            return false;  // the failed deferral freed the set
        }
        const WORD* itemClass = reader.SkipName();
        const WORD* itemTitle = itemClass != nullptr ? reader.SkipName() : nullptr;
        WORD extra = 0;
        if (itemTitle == nullptr || !reader.Word(extra) ||
            (extra != 0 && !reader.Skip(extra > 2 ? extra - 2u : 0))) {
            result = false;
            break;
        }
        FixupDialogItem(module, dialog, item, itemClass, itemTitle);
        if (id == kNoId) {
            ++withoutId;
        }
    }
    if (!EndDeferWindowPos(positions)) {
        result = false;
    }
    return withoutId < 2 && result;
}

void FixupDialogItem(HINSTANCE module, HWND dialog, const DialogItemHeader& item,
                     const WORD* itemClass, const WORD* itemTitle) {
    if (itemClass == nullptr || ReadWord(itemClass, 0) != kOrdinalMarker) {
        return;
    }
    HWND control = GetDlgItem(dialog, item.id);
    if (control == nullptr) {
        return;
    }
    WORD classOrdinal = ReadWord(itemClass, 1);
    if (classOrdinal == 0x80 || classOrdinal == 0x82) {
        if (itemTitle != nullptr && ReadWord(itemTitle, 0) == kOrdinalMarker) {
            LPCWSTR name = MAKEINTRESOURCEW(ReadWord(itemTitle, 1));
            if ((item.style & 0x3) == 0x3) {  // an icon static
                HICON previous = reinterpret_cast<HICON>(
                    SendMessageW(control, STM_SETIMAGE, IMAGE_ICON,
                                 reinterpret_cast<LPARAM>(LoadIconW(module, name))));
                if (previous != nullptr) {
                    DestroyIcon(previous);
                }
            } else if ((item.style & 0xE) == 0xE) {  // a bitmap static
                HBITMAP previous = reinterpret_cast<HBITMAP>(
                    SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP,
                                 reinterpret_cast<LPARAM>(LoadBitmapW(module, name))));
                if (previous != nullptr) {
                    DeleteObject(previous);
                }
            }
        } else if (itemTitle != nullptr) {
            SetWindowTextW(control, StringAt(itemTitle).c_str());
        }
    } else if (classOrdinal == 0x83 || classOrdinal == 0x85) {
        UINT get = classOrdinal == 0x83 ? LB_GETCURSEL : CB_GETCURSEL;
        UINT set = classOrdinal == 0x83 ? LB_SETCURSEL : CB_SETCURSEL;
        LRESULT selection = SendMessageW(control, get, 0, 0);
        if (selection >= 0) {
            SendMessageW(control, set, static_cast<WPARAM>(selection), 0);
        }
    }
}
