#include "registry_file.h"

#include <platform/text.h>

#include <cstdio>

namespace {

constexpr std::string_view kHeader = "Tavrel registry 1";
constexpr std::string_view kTrailerStart = "; end: ";

bool IsLoneSurrogateAt(std::u16string_view text, std::size_t i) {
    WCHAR c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF) {
        return i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF;
    }
    if (c >= 0xDC00 && c <= 0xDFFF) {
        return i == 0 || text[i - 1] < 0xD800 || text[i - 1] > 0xDBFF;
    }
    return false;
}

// Quoted text: \\ \" \n \r \t and \u{XXXX} for other control units and lone surrogates.
std::string Quote(std::u16string_view text) {
    std::string out = "\"";
    std::size_t runStart = 0;
    auto flushRun = [&](std::size_t end) {
        out += Utf16ToUtf8(text.substr(runStart, end - runStart));
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        WCHAR c = text[i];
        const char* simple = c == u'\\'   ? "\\\\"
                             : c == u'"'  ? "\\\""
                             : c == u'\n' ? "\\n"
                             : c == u'\r' ? "\\r"
                             : c == u'\t' ? "\\t"
                                          : nullptr;
        bool escaped = simple != nullptr || c < 0x20 || c == 0x7F || IsLoneSurrogateAt(text, i);
        if (!escaped) {
            continue;
        }
        flushRun(i);
        if (simple != nullptr) {
            out += simple;
        } else {
            char code[16];
            std::snprintf(code, sizeof code, "\\u{%04X}", static_cast<unsigned>(c));
            out += code;
        }
        runStart = i + 1;
    }
    flushRun(text.size());
    return out + "\"";
}

// Key names: %XX for '%' and control units, %uXXXX for lone surrogates.
std::string EscapeKeyName(std::u16string_view name) {
    std::string out;
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        WCHAR c = name[i];
        bool lone = IsLoneSurrogateAt(name, i);
        if (c != u'%' && c >= 0x20 && c != 0x7F && !lone) {
            continue;
        }
        out += Utf16ToUtf8(name.substr(runStart, i - runStart));
        char code[16];
        std::snprintf(code, sizeof code, lone ? "%%u%04X" : "%%%02X", static_cast<unsigned>(c));
        out += code;
        runStart = i + 1;
    }
    return out + Utf16ToUtf8(name.substr(runStart));
}

std::string Hex(const std::vector<BYTE>& data) {
    std::string out;
    char byte[4];
    for (std::size_t i = 0; i < data.size(); ++i) {
        std::snprintf(byte, sizeof byte, i == 0 ? "%02x" : ",%02x", data[i]);
        out += byte;
    }
    return out;
}

// A REG_SZ value that is exactly text plus one terminator is written as text.
bool IsPlainString(const RegistryValue& value, std::u16string& text) {
    if (value.type != 1 || value.data.size() < 2 || value.data.size() % 2 != 0) {
        return false;
    }
    std::size_t units = value.data.size() / 2;
    text.resize(units - 1);
    for (std::size_t i = 0; i < units; ++i) {
        WCHAR c = static_cast<WCHAR>(value.data[2 * i] | (value.data[2 * i + 1] << 8));
        if (i + 1 == units) {
            return c == 0;
        }
        if (c == 0) {
            return false;
        }
        text[i] = c;
    }
    return true;
}

std::string ValueLine(const RegistryValue& value) {
    std::string line = Quote(value.name) + "=";
    std::u16string text;
    char buffer[32];
    if (value.type == 4 && value.data.size() == 4) {
        std::uint32_t v = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                          (static_cast<std::uint32_t>(value.data[3]) << 24);
        std::snprintf(buffer, sizeof buffer, "dword:%08x", v);
        line += buffer;
    } else if (IsPlainString(value, text)) {
        line += Quote(text);
    } else if (value.type == 3) {
        line += "hex:" + Hex(value.data);
    } else {
        std::snprintf(buffer, sizeof buffer, "hex(%x):", static_cast<unsigned>(value.type));
        line += buffer + Hex(value.data);
    }
    return line + "\n";
}

void WriteKey(const RegistryKey& key, const std::string& path, std::string& out,
              std::size_t& count) {
    out += "[" + path + "]\n";
    ++count;
    for (const auto& value : key.Values()) {
        out += ValueLine(value);
    }
    for (const auto& child : key.Children()) {
        WriteKey(*child, path + "\\" + EscapeKeyName(child->Name()), out, count);
    }
}

// ---- parsing ----

class LineParser {
  public:
    LineParser(std::string_view line) : line_(line) {}
    bool AtEnd() const { return pos_ >= line_.size(); }
    bool Take(std::string_view literal) {
        if (line_.substr(pos_, literal.size()) == literal) {
            pos_ += literal.size();
            return true;
        }
        return false;
    }
    std::string_view Rest() const { return line_.substr(pos_); }

    bool Quoted(std::u16string& out) {
        if (!Take("\"")) {
            return false;
        }
        std::string run;
        out.clear();
        while (pos_ < line_.size()) {
            char c = line_[pos_++];
            if (c == '"') {
                out += Utf8ToUtf16(run);
                return true;
            }
            if (c != '\\') {
                run += c;
                continue;
            }
            if (pos_ >= line_.size()) {
                return false;
            }
            char e = line_[pos_++];
            char simple = e == '\\'  ? '\\'
                          : e == '"' ? '"'
                          : e == 'n' ? '\n'
                          : e == 'r' ? '\r'
                          : e == 't' ? '\t'
                                     : 0;
            if (simple != 0) {
                run += simple;
                continue;
            }
            unsigned code = 0;
            if (e != 'u' || !Take("{") || !HexNumber(4, code) || !Take("}")) {
                return false;
            }
            out += Utf8ToUtf16(run);
            run.clear();
            out += static_cast<WCHAR>(code);
        }
        return false;
    }

    bool HexNumber(std::size_t digits, unsigned& value) {
        value = 0;
        for (std::size_t i = 0; i < digits; ++i) {
            if (pos_ >= line_.size()) {
                return false;
            }
            int d = HexDigit(line_[pos_++]);
            if (d < 0) {
                return false;
            }
            value = value * 16 + static_cast<unsigned>(d);
        }
        return true;
    }

    bool HexBytes(std::vector<BYTE>& out) {
        out.clear();
        while (!AtEnd()) {
            unsigned byte = 0;
            if ((!out.empty() && !Take(",")) || !HexNumber(2, byte)) {
                return false;
            }
            out.push_back(static_cast<BYTE>(byte));
        }
        return true;
    }

    static int HexDigit(char c) {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

  private:
    std::string_view line_;
    std::size_t pos_ = 0;
};

bool UnescapeKeyName(std::string_view text, std::u16string& out) {
    std::string run;
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            run += text[i];
            continue;
        }
        out += Utf8ToUtf16(run);
        run.clear();
        LineParser code(text.substr(i + 1));
        unsigned value = 0;
        bool wide = code.Take("u");
        if (!code.HexNumber(wide ? 4 : 2, value)) {
            return false;
        }
        out += static_cast<WCHAR>(value);
        i += wide ? 5 : 2;
    }
    out += Utf8ToUtf16(run);
    return !out.empty() && out.find(u'\\') == std::u16string::npos;
}

bool ParseKeyLine(std::string_view line, RegistryRoots& roots, std::shared_ptr<RegistryKey>& key) {
    if (line.size() < 2 || line.front() != '[' || line.back() != ']') {
        return false;
    }
    std::string_view path = line.substr(1, line.size() - 2);
    std::size_t slash = path.find('\\');
    std::string_view rootName = path.substr(0, slash);
    key = rootName == "HKEY_CURRENT_USER"    ? roots.currentUser
          : rootName == "HKEY_LOCAL_MACHINE" ? roots.localMachine
                                             : nullptr;
    if (!key) {
        return false;
    }
    while (slash != std::string_view::npos) {
        path = path.substr(slash + 1);
        slash = path.find('\\');
        std::u16string name;
        if (!UnescapeKeyName(path.substr(0, slash), name)) {
            return false;
        }
        auto child = key->FindChild(name);
        key = child ? child : key->AddChild(name);
    }
    return true;
}

bool ParseValueLine(std::string_view line, RegistryKey& key) {
    LineParser parser(line);
    RegistryValue value;
    if (!parser.Quoted(value.name) || !parser.Take("=")) {
        return false;
    }
    if (parser.Take("dword:")) {
        unsigned v = 0;
        if (!parser.HexNumber(8, v) || !parser.AtEnd()) {
            return false;
        }
        value.type = 4;
        value.data = {static_cast<BYTE>(v), static_cast<BYTE>(v >> 8), static_cast<BYTE>(v >> 16),
                      static_cast<BYTE>(v >> 24)};
    } else if (parser.Take("hex:")) {
        value.type = 3;
        if (!parser.HexBytes(value.data)) {
            return false;
        }
    } else if (parser.Take("hex(")) {
        std::string_view rest = parser.Rest();
        std::size_t close = rest.find("):");
        if (close == 0 || close == std::string_view::npos || close > 8) {
            return false;
        }
        unsigned type = 0;
        if (!parser.HexNumber(close, type) || !parser.Take("):") || !parser.HexBytes(value.data)) {
            return false;
        }
        value.type = type;
    } else {
        std::u16string text;
        if (!parser.Quoted(text) || !parser.AtEnd()) {
            return false;
        }
        value.type = 1;
        for (WCHAR c : text) {
            value.data.push_back(static_cast<BYTE>(c & 0xFF));
            value.data.push_back(static_cast<BYTE>(c >> 8));
        }
        value.data.push_back(0);
        value.data.push_back(0);
    }
    if (key.FindValue(value.name) != nullptr) {
        return false;
    }
    key.SetValue(std::move(value));
    return true;
}

}  // namespace

std::string SerializeRegistry(const RegistryRoots& roots) {
    std::string out = std::string(kHeader) + "\n";
    std::size_t count = 0;
    WriteKey(*roots.currentUser, "HKEY_CURRENT_USER", out, count);
    WriteKey(*roots.localMachine, "HKEY_LOCAL_MACHINE", out, count);
    out += std::string(kTrailerStart) + std::to_string(count) + " keys\n";
    return out;
}

bool ParseRegistry(std::string_view text, RegistryRoots& roots, std::string& error) {
    roots = RegistryRoots();
    std::shared_ptr<RegistryKey> key;
    std::size_t keys = 0;
    std::size_t number = 0;
    bool ended = false;
    while (!text.empty()) {
        std::size_t newline = text.find('\n');
        if (newline == std::string_view::npos) {
            error =
                "line " + std::to_string(number + 1) + ": the file ends in the middle of a line";
            return false;
        }
        std::string_view line = text.substr(0, newline);
        text = text.substr(newline + 1);
        ++number;
        auto fail = [&](const char* what) {
            error = "line " + std::to_string(number) + ": " + what;
            return false;
        };
        if (ended) {
            return fail("text after the end line");
        }
        if (number == 1) {
            if (line != kHeader) {
                return fail("not a Tavrel registry file");
            }
            continue;
        }
        if (line.substr(0, kTrailerStart.size()) == kTrailerStart) {
            if (line != std::string(kTrailerStart) + std::to_string(keys) + " keys") {
                return fail("the key count does not match");
            }
            ended = true;
        } else if (!line.empty() && line.front() == '[') {
            if (!ParseKeyLine(line, roots, key)) {
                return fail("bad key line");
            }
            ++keys;
        } else if (!key || !ParseValueLine(line, *key)) {
            return fail("bad value line");
        }
    }
    if (!ended) {
        error = number == 0 ? "the file is empty" : "the file is incomplete (no end line)";
        return false;
    }
    return true;
}
