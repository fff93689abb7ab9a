// Glyphs from FreeType: Liberation Sans (regular and bold), measured and rendered in pixels.
#pragma once

#include <functional>
#include <string_view>
#include <vector>

struct FontMetrics {
    int ascent = 0;
    int descent = 0;
    int averageWidth = 0;
    int maxWidth = 0;
};

// Size of the em square in 1/64 pixels for a logical font height (negative: the em in pixels;
// positive: the cell, ascent plus descent; 0: the default 8 points) at the given dpi. Every
// function below takes the em in 1/64 pixels.
int EmPixelsForHeight(long height, bool bold, int dpi);
// False when the font cannot be loaded (then every text is empty).
bool GetFontMetrics(int em, bool bold, FontMetrics* metrics);
// Advance of each UTF-16 unit in pixels (0 for the second unit of a surrogate pair).
std::vector<int> TextAdvances(int em, bool bold, std::u16string_view text);
// Renders text with the pen starting at x = 0 and the top of the cell at y = 0; plot receives
// each covered pixel with its coverage (1 to 255).
void RenderText(int em, bool bold, std::u16string_view text,
                const std::function<void(int x, int y, int coverage)>& plot);
