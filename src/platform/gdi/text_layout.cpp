#include "text_layout.h"

#include <platform/gdi.h>

namespace {

std::u16string StripPrefixes(std::u16string_view text) {
    std::u16string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size()) {
            ++i;
        }
        out.push_back(text[i]);
    }
    return out;
}

void WrapWords(const std::u16string& paragraph, int width,
               const std::function<int(std::u16string_view)>& measure,
               std::vector<std::u16string>& lines) {
    std::u16string line;
    std::size_t i = 0;
    while (i < paragraph.size()) {
        std::size_t end = paragraph.find(u' ', i);
        std::u16string word =
            paragraph.substr(i, end == std::u16string::npos ? std::u16string::npos : end - i);
        std::u16string candidate = line.empty() ? word : line + u' ' + word;
        if (!line.empty() && measure(candidate) > width) {
            lines.push_back(line);
            line = word;
        } else {
            line = candidate;
        }
        i = end == std::u16string::npos ? paragraph.size() : end + 1;
    }
    lines.push_back(line);
}

std::u16string WithEllipsis(const std::u16string& line, int width,
                            const std::function<int(std::u16string_view)>& measure) {
    if (measure(line) <= width) {
        return line;
    }
    std::u16string cut = line;
    while (!cut.empty() && measure(cut + u"...") > width) {
        cut.pop_back();
    }
    return cut + u"...";
}

}  // namespace

std::vector<std::u16string> LayOutText(std::u16string_view text, UINT format, int width,
                                       const std::function<int(std::u16string_view)>& measure) {
    std::u16string plain = (format & DT_NOPREFIX) != 0 ? std::u16string(text) : StripPrefixes(text);
    std::vector<std::u16string> lines;
    if ((format & DT_SINGLELINE) != 0) {
        for (auto& unit : plain) {
            if (unit == u'\r' || unit == u'\n') {
                unit = u' ';
            }
        }
        lines.push_back((format & DT_END_ELLIPSIS) != 0 ? WithEllipsis(plain, width, measure)
                                                        : plain);
        return lines;
    }
    std::size_t start = 0;
    while (start <= plain.size()) {
        std::size_t end = plain.find(u'\n', start);
        std::u16string paragraph =
            plain.substr(start, end == std::u16string::npos ? std::u16string::npos : end - start);
        if (!paragraph.empty() && paragraph.back() == u'\r') {
            paragraph.pop_back();
        }
        if ((format & DT_WORDBREAK) != 0) {
            WrapWords(paragraph, width, measure, lines);
        } else {
            lines.push_back(paragraph);
        }
        if (end == std::u16string::npos) {
            break;
        }
        start = end + 1;
    }
    return lines;
}
