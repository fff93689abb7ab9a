// LoadMenuW: a menu resource (header of two zero words, then items: flags, id unless a pop-up,
// text; a pop-up's items follow it; MF_END marks the last item of each level).
#include <platform_internal/menu_object.h>

#include <platform/resources.h>

namespace {

class MenuReader {
  public:
    MenuReader(const BYTE* data, std::size_t size) : data_(data), size_(size) {}

    bool Word(WORD* out) {
        if (offset_ + 2 > size_) {
            return false;
        }
        *out = static_cast<WORD>(data_[offset_] | data_[offset_ + 1] << 8);
        offset_ += 2;
        return true;
    }
    bool Text(std::u16string* out) {
        out->clear();
        for (WORD unit; Word(&unit);) {
            if (unit == 0) {
                return true;
            }
            out->push_back(static_cast<char16_t>(unit));
        }
        return false;
    }
    // Reads one level of items into menu; false when the data is malformed.
    bool Level(HMENU menu, int depth) {
        if (depth > 8) {
            return false;
        }
        for (;;) {
            WORD flags = 0, id = 0;
            std::u16string text;
            if (!Word(&flags)) {
                return false;
            }
            bool popup = (flags & MF_POPUP) != 0;
            if ((!popup && !Word(&id)) || !Text(&text)) {
                return false;
            }
            if (popup) {
                HMENU sub = CreatePopupMenu();
                if (!Level(sub, depth + 1)) {
                    DestroyMenu(sub);
                    return false;
                }
                AppendMenuW(menu, MF_POPUP | (flags & (MF_GRAYED | MF_CHECKED)),
                            reinterpret_cast<UINT_PTR>(sub), text.c_str());
            } else if (id == 0 && text.empty()) {
                AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            } else {
                AppendMenuW(menu, flags & (MF_GRAYED | MF_CHECKED), id, text.c_str());
            }
            if ((flags & MF_END) != 0) {
                return true;
            }
        }
    }

  private:
    const BYTE* data_;
    std::size_t size_;
    std::size_t offset_ = 4;  // past the header
};

}  // namespace

HMENU LoadMenuW(HINSTANCE module, LPCWSTR name) {
    HRSRC resource = FindResourceW(module, name, RT_MENU);
    auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, resource)));
    DWORD size = SizeofResource(module, resource);
    if (bytes == nullptr || size < 4) {
        return nullptr;
    }
    HMENU menu = CreatePopupMenu();
    MenuReader reader(bytes, size);
    if (!reader.Level(menu, 0)) {
        DestroyMenu(menu);
        return nullptr;
    }
    return menu;
}
