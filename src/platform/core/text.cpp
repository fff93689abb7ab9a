#include <platform/text.h>

#include <cstring>

int lstrlenW(LPCWSTR text) {
    if (text == nullptr) {
        return 0;
    }
    int length = 0;
    while (text[length] != 0) {
        ++length;
    }
    return length;
}

LPWSTR lstrcpynW(LPWSTR destination, LPCWSTR source, int count) {
    if (destination == nullptr || count <= 0) {
        return destination;
    }
    int i = 0;
    if (source != nullptr) {
        for (; i < count - 1 && source[i] != 0; ++i) {
            destination[i] = source[i];
        }
    }
    destination[i] = 0;
    return destination;
}

int lstrcmpW(LPCWSTR a, LPCWSTR b) {
    a = a ? a : u"";
    b = b ? b : u"";
    for (;; ++a, ++b) {
        if (*a != *b) {
            return *a < *b ? -1 : 1;
        }
        if (*a == 0) {
            return 0;
        }
    }
}

WCHAR towupper(WCHAR c) {
    if (c >= u'a' && c <= u'z') {
        return static_cast<WCHAR>(c - 32);
    }
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) {  // Latin-1 letters
        return static_cast<WCHAR>(c - 32);
    }
    if (c == 0xFF) {
        return 0x178;
    }
    // Latin Extended-A: pairs of upper and lower case letters.
    bool evenUpper =
        (c >= 0x100 && c <= 0x137 && c != 0x130 && c != 0x131) || (c >= 0x14A && c <= 0x177);
    bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if ((evenUpper && (c & 1)) || (oddUpper && !(c & 1))) {
        return static_cast<WCHAR>(c - 1);
    }
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) {  // Greek
        return static_cast<WCHAR>(c - 32);
    }
    if (c >= 0x430 && c <= 0x44F) {  // Cyrillic
        return static_cast<WCHAR>(c - 32);
    }
    if (c >= 0x450 && c <= 0x45F) {
        return static_cast<WCHAR>(c - 80);
    }
    return c;
}

int lstrcmpiW(LPCWSTR a, LPCWSTR b) {
    a = a ? a : u"";
    b = b ? b : u"";
    for (;; ++a, ++b) {
        WCHAR ua = towupper(*a);
        WCHAR ub = towupper(*b);
        if (ua != ub) {
            return ua < ub ? -1 : 1;
        }
        if (*a == 0) {
            return 0;
        }
    }
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        int extra = lead < 0x80         ? 0
                    : (lead >> 5) == 6  ? 1
                    : (lead >> 4) == 14 ? 2
                    : (lead >> 3) == 30 ? 3
                                        : -1;
        char32_t c = extra == 0   ? lead
                     : extra == 1 ? (lead & 0x1F)
                     : extra == 2 ? (lead & 0x0F)
                                  : (lead & 0x07);
        bool valid = extra >= 0 && i + static_cast<std::size_t>(extra) < text.size();
        for (int k = 1; valid && k <= extra; ++k) {
            unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                valid = false;
            } else {
                c = (c << 6) | (next & 0x3F);
            }
        }
        static const char32_t minimum[4] = {0, 0x80, 0x800, 0x10000};
        if (valid &&
            (c < minimum[extra < 0 ? 0 : extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))) {
            valid = false;
        }
        if (!valid) {
            out += u'\xFFFD';
            ++i;
            continue;
        }
        i += static_cast<std::size_t>(extra) + 1;
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}
