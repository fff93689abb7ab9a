// printf-style formatting of UTF-16 text, as the device runtime's wsprintf does it.
#include <platform/text.h>

#include <cstdarg>

namespace {

class Output {
  public:
    Output(LPWSTR buffer, std::size_t capacity) : buffer_(buffer), capacity_(capacity) {}
    void Put(WCHAR c) {
        if (buffer_ != nullptr && length_ + 1 < capacity_) {
            buffer_[length_++] = c;
        }
    }
    int Finish() {
        if (buffer_ != nullptr && capacity_ > 0) {
            buffer_[length_] = 0;
        }
        return static_cast<int>(length_);
    }

  private:
    LPWSTR buffer_;
    std::size_t capacity_;
    std::size_t length_ = 0;
};

struct FieldFormat {
    bool left = false, plus = false, space = false, zero = false, alternate = false;
    int width = 0;
    int precision = -1;
};

void PutPadded(Output& out, const FieldFormat& field, std::u16string_view prefix,
               std::u16string_view body, bool numeric) {
    int length = static_cast<int>(prefix.size() + body.size());
    int pad = field.width > length ? field.width - length : 0;
    bool zeroPad = numeric && field.zero && !field.left && field.precision < 0;
    if (!field.left && !zeroPad) {
        for (int i = 0; i < pad; ++i)
            out.Put(u' ');
    }
    for (WCHAR c : prefix)
        out.Put(c);
    if (zeroPad) {
        for (int i = 0; i < pad; ++i)
            out.Put(u'0');
    }
    for (WCHAR c : body)
        out.Put(c);
    if (field.left) {
        for (int i = 0; i < pad; ++i)
            out.Put(u' ');
    }
}

void PutNumber(Output& out, const FieldFormat& field, unsigned long long magnitude, bool negative,
               unsigned base, bool upper) {
    std::u16string digits;
    const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    while (magnitude != 0) {
        digits.insert(digits.begin(), static_cast<WCHAR>(set[magnitude % base]));
        magnitude /= base;
    }
    int minimum = field.precision < 0 ? 1 : field.precision;
    while (static_cast<int>(digits.size()) < minimum) {
        digits.insert(digits.begin(), u'0');
    }
    std::u16string prefix;
    if (negative) {
        prefix = u"-";
    } else if (field.plus && base == 10) {
        prefix = u"+";
    } else if (field.space && base == 10) {
        prefix = u" ";
    }
    if (field.alternate && base == 16 && !digits.empty() && digits != u"0") {
        prefix += upper ? u"0X" : u"0x";
    }
    PutPadded(out, field, prefix, digits, true);
}

}  // namespace

int wvsprintfW(LPWSTR buffer, std::size_t capacity, LPCWSTR format, std::va_list args) {
    Output out(buffer, capacity);
    if (format == nullptr) {
        return out.Finish();
    }
    for (const WCHAR* p = format; *p != 0; ++p) {
        if (*p != u'%') {
            out.Put(*p);
            continue;
        }
        ++p;
        FieldFormat field;
        for (;; ++p) {
            if (*p == u'-')
                field.left = true;
            else if (*p == u'+')
                field.plus = true;
            else if (*p == u' ')
                field.space = true;
            else if (*p == u'0')
                field.zero = true;
            else if (*p == u'#')
                field.alternate = true;
            else
                break;
        }
        if (*p == u'*') {
            field.width = va_arg(args, int);
            ++p;
        } else {
            while (*p >= u'0' && *p <= u'9')
                field.width = field.width * 10 + (*p++ - u'0');
        }
        if (*p == u'.') {
            ++p;
            field.precision = 0;
            if (*p == u'*') {
                field.precision = va_arg(args, int);
                ++p;
            } else {
                while (*p >= u'0' && *p <= u'9')
                    field.precision = field.precision * 10 + (*p++ - u'0');
            }
        }
        bool longArg = false;
        while (*p == u'l' || *p == u'h' || *p == u'w') {
            longArg = longArg || *p == u'l';
            ++p;
        }
        switch (*p) {
            case u'd':
            case u'i': {
                long long value = longArg ? va_arg(args, long) : va_arg(args, int);
                unsigned long long magnitude =
                    value < 0 ? 0ULL - static_cast<unsigned long long>(value) : value;
                PutNumber(out, field, magnitude, value < 0, 10, false);
                break;
            }
            case u'u':
            case u'x':
            case u'X': {
                unsigned long long value =
                    longArg ? va_arg(args, unsigned long) : va_arg(args, unsigned);
                PutNumber(out, field, value, false, *p == u'u' ? 10 : 16, *p == u'X');
                break;
            }
            case u'c': {
                WCHAR c = static_cast<WCHAR>(va_arg(args, int));
                PutPadded(out, field, u"", std::u16string_view(&c, 1), false);
                break;
            }
            case u's':
            case u'S': {
                const WCHAR* text = va_arg(args, const WCHAR*);
                std::u16string_view body = text ? text : u"(null)";
                if (field.precision >= 0 &&
                    body.size() > static_cast<std::size_t>(field.precision)) {
                    body = body.substr(0, field.precision);
                }
                PutPadded(out, field, u"", body, false);
                break;
            }
            case u'%':
                out.Put(u'%');
                break;
            case 0:
                return out.Finish();
            default:
                out.Put(u'%');
                out.Put(*p);
                break;
        }
    }
    return out.Finish();
}

int FormatW(LPWSTR buffer, std::size_t capacity, LPCWSTR format, ...) {
    std::va_list args;
    va_start(args, format);
    int length = wvsprintfW(buffer, capacity, format, args);
    va_end(args);
    return length;
}

int wsprintfW(LPWSTR buffer, LPCWSTR format, ...) {
    std::va_list args;
    va_start(args, format);
    int length = wvsprintfW(buffer, 1024, format, args);  // the device's wsprintf limit
    va_end(args);
    return length;
}
