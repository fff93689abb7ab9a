#include "font_engine.h"

#include <platform/core.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <mutex>

namespace {

constexpr const char* kRegularFont =
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";
// Unhinted outlines at the exact size (8 points at 96 dpi is 10.67 pixels to the em); the pen
// moves in 1/64 pixels and each character ends at the whole pixel it reached: "Only update visible
// portion of screen" measures 172 pixels.
constexpr FT_Int32 kLoadFlags = FT_LOAD_NO_HINTING;
constexpr const char* kBoldFont = "/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf";

class Faces {
  public:
    static Faces& Instance() {
        static auto* faces = new Faces;
        return *faces;
    }
    std::mutex mutex;

    // The face set to em pixels, or null; call with the mutex held.
    FT_Face Face(bool bold, int em) {
        FT_Face& face = bold ? bold_ : regular_;
        if (face == nullptr && !tried_[bold]) {
            tried_[bold] = true;
            if (library_ == nullptr && FT_Init_FreeType(&library_) != 0) {
                library_ = nullptr;
            }
            if (library_ == nullptr ||
                FT_New_Face(library_, bold ? kBoldFont : kRegularFont, 0, &face) != 0) {
                face = nullptr;
                OutputDebugStringW(
                    u"Fonts: Liberation Sans (fonts-liberation2) is missing; no text is drawn\r\n");
            }
        }
        if (face == nullptr || em <= 0 || em > 1000 * 64 ||
            FT_Set_Char_Size(face, 0, em, 72, 72) != 0) {
            return nullptr;
        }
        return face;
    }

  private:
    FT_Library library_ = nullptr;
    FT_Face regular_ = nullptr;
    FT_Face bold_ = nullptr;
    bool tried_[2] = {false, false};
};

// The code point starting at text[i]; advances i past a surrogate pair.
char32_t CodePoint(std::u16string_view text, std::size_t& i) {
    char32_t unit = text[i];
    if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
        ++i;
        return 0x10000 + ((unit - 0xD800) << 10) + (text[i] - 0xDC00);
    }
    return unit;
}

}  // namespace

int EmPixelsForHeight(long height, bool bold, int dpi) {
    if (height < 0) {
        return static_cast<int>(-height) * 64;
    }
    if (height == 0) {
        return (8 * 64 * dpi + 36) / 72;  // 8 points, in 1/64 pixels
    }
    Faces& faces = Faces::Instance();
    std::lock_guard lock(faces.mutex);
    FT_Face face = faces.Face(bold, 100 * 64);
    if (face == nullptr || face->ascender - face->descender <= 0) {
        return static_cast<int>(height) * 64;
    }
    return static_cast<int>(
        std::lround(64.0 * height * face->units_per_EM / (face->ascender - face->descender)));
}

bool GetFontMetrics(int em, bool bold, FontMetrics* metrics) {
    Faces& faces = Faces::Instance();
    std::lock_guard lock(faces.mutex);
    FT_Face face = faces.Face(bold, em);
    if (face == nullptr) {
        *metrics = FontMetrics{};
        return false;
    }
    metrics->ascent = static_cast<int>((face->size->metrics.ascender + 63) >> 6);
    metrics->descent = static_cast<int>((-face->size->metrics.descender + 63) >> 6);
    metrics->maxWidth = static_cast<int>((face->size->metrics.max_advance + 63) >> 6);
    long total = 0;  // 1/64 pixels
    for (char c = 'a'; c <= 'z'; ++c) {
        for (char letter : {c, static_cast<char>(c - 'a' + 'A')}) {
            if (FT_Load_Char(face, static_cast<FT_ULong>(letter), kLoadFlags) == 0) {
                total += face->glyph->advance.x;
            }
        }
    }
    metrics->averageWidth = static_cast<int>((total + 26 * 64) / (52 * 64));
    return true;
}

std::vector<int> TextAdvances(int em, bool bold, std::u16string_view text) {
    std::vector<int> advances(text.size(), 0);
    Faces& faces = Faces::Instance();
    std::lock_guard lock(faces.mutex);
    FT_Face face = faces.Face(bold, em);
    if (face == nullptr) {
        return advances;
    }
    long pen = 0;    // 1/64 pixels
    int placed = 0;  // whole pixels given out so far
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::size_t start = i;
        char32_t code = CodePoint(text, i);
        if (FT_Load_Char(face, code, kLoadFlags) == 0) {
            pen += face->glyph->advance.x;
        }
        int end = static_cast<int>(pen >> 6);
        advances[start] = end - placed;
        placed = end;
    }
    return advances;
}

void RenderText(int em, bool bold, std::u16string_view text,
                const std::function<void(int x, int y, int coverage)>& plot) {
    Faces& faces = Faces::Instance();
    std::lock_guard lock(faces.mutex);
    FT_Face face = faces.Face(bold, em);
    if (face == nullptr) {
        return;
    }
    int ascent = static_cast<int>((face->size->metrics.ascender + 63) >> 6);
    long pen = 0;  // 1/64 pixels
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t code = CodePoint(text, i);
        if (FT_Load_Char(face, code, FT_LOAD_RENDER | kLoadFlags) != 0) {
            continue;
        }
        FT_GlyphSlot glyph = face->glyph;
        const FT_Bitmap& bitmap = glyph->bitmap;
        if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
            for (unsigned row = 0; row < bitmap.rows; ++row) {
                const unsigned char* line = bitmap.buffer + static_cast<long>(row) * bitmap.pitch;
                for (unsigned column = 0; column < bitmap.width; ++column) {
                    if (line[column] != 0) {
                        plot(static_cast<int>((pen + 32) >> 6) + glyph->bitmap_left +
                                 static_cast<int>(column),
                             ascent - glyph->bitmap_top + static_cast<int>(row), line[column]);
                    }
                }
            }
        }
        pen += glyph->advance.x;
    }
}
