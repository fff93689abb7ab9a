#include "recorded_session.h"

#include "hextile_encoder.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace {

struct Rect {
    int x, y, w, h;
};

// The server's screen and the encoders that turn an area of it into rectangles, for pixels of
// sizeof(Pixel) bytes sent most significant byte first.
template <typename Pixel>
class Recorder {
  public:
    Recorder(RaceEncoding encoding, int width, int height)
        : encoding_(encoding),
          width_(width),
          height_(height),
          screen_(static_cast<std::size_t>(width) * height) {}

    Pixel& At(int x, int y) { return screen_[static_cast<std::size_t>(y) * width_ + x]; }

    void Fill(Rect r, Pixel p) {
        for (int y = r.y; y < r.y + r.h; ++y) {
            std::fill_n(&At(r.x, y), r.w, p);
        }
    }
    // Glyph-like marks: a seeded pattern of short strokes in ink on the paper colour.
    void Text(Rect r, Pixel paper, Pixel ink, unsigned seed) {
        Fill(r, paper);
        for (int y = r.y + 2; y + 10 < r.y + r.h; y += 14) {
            for (int x = r.x + 2; x + 6 < r.x + r.w; x += 7) {
                seed = seed * 1103515245 + 12345;
                if ((seed >> 16) % 9 == 0) {
                    continue;  // a space
                }
                for (int s = 0; s < 4; ++s) {
                    unsigned bits = (seed >> (s * 5)) & 31;
                    int sx = x + (bits % 5), sy = y + (bits / 5) * 2;
                    At(sx, sy) = ink;
                    At(sx, sy + 1) = ink;
                    At(sx + 1, sy + 1) = ink;
                }
            }
        }
    }
    void Gradient(Rect r, int phase) {
        for (int y = r.y; y < r.y + r.h; ++y) {
            for (int x = r.x; x < r.x + r.w; ++x) {
                int red = ((x - r.x + phase) * 31 / std::max(1, r.w)) & 31;
                int green = ((y - r.y) * 63 / std::max(1, r.h)) & 63;
                int blue = ((x + y + phase) / 8) & 31;
                At(x, y) = static_cast<Pixel>((red << 11) | (green << 5) | blue);
            }
        }
    }
    void Window(Rect r, unsigned seed) {
        Fill(r, 0x8410);
        Fill({r.x + 1, r.y + 1, r.w - 2, 18}, 0x001F);
        Text({r.x + 1, r.y + 20, r.w - 2, r.h - 21}, 0xFFFF, 0x0000, seed);
    }

    // One update of the given areas.
    void Update(const std::vector<Rect>& areas) {
        std::vector<std::uint8_t> rects;
        int count = 0;
        for (const Rect& r : areas) {
            count += EncodeArea(r, rects);
        }
        Put8(out_, 0);
        Put8(out_, 0);
        Put16(out_, count);
        out_.insert(out_.end(), rects.begin(), rects.end());
        ++updates_;
    }
    // A window moved: the content moves, the uncovered strip is repainted.
    void MoveWindow(Rect from, int dx, int dy, Pixel background) {
        Rect to{from.x + dx, from.y + dy, from.w, from.h};
        std::vector<Pixel> copy;
        for (int y = 0; y < from.h; ++y) {
            copy.insert(copy.end(), &At(from.x, from.y + y), &At(from.x, from.y + y) + from.w);
        }
        Fill(from, background);
        for (int y = 0; y < from.h; ++y) {
            std::memcpy(&At(to.x, to.y + y), &copy[static_cast<std::size_t>(y) * from.w],
                        from.w * sizeof(Pixel));
        }
        Rect exposedX{dx > 0 ? from.x : to.x + to.w, from.y, std::abs(dx), from.h};
        Rect exposedY{from.x, dy > 0 ? from.y : to.y + to.h, from.w, std::abs(dy)};
        if (encoding_ == RaceEncoding::CopyRectRaw) {
            std::vector<std::uint8_t> rects;
            Header(rects, to, 1);
            Put16(rects, from.x);
            Put16(rects, from.y);
            int count = 1 + EncodeArea(exposedX, rects) + EncodeArea(exposedY, rects);
            Put8(out_, 0);
            Put8(out_, 0);
            Put16(out_, count);
            out_.insert(out_.end(), rects.begin(), rects.end());
            ++updates_;
        } else {
            Update({Rect{std::min(from.x, to.x), std::min(from.y, to.y), from.w + std::abs(dx),
                         from.h + std::abs(dy)}});
        }
    }

    RecordedSession Finish() {
        return {std::move(out_), updates_, width_, height_, static_cast<int>(sizeof(Pixel)) * 8};
    }

    // One update holding the rectangles that encode the whole screen, passes times over, as a
    // plain server encodes them: Hextile tiles with foreground colours and merged subrectangles;
    // RRE in squares of 256 pixels and CoRRE in squares of 255, each sent as Raw where that is
    // smaller (most clients cannot take more subrectangles than a raw rectangle's bytes).
    void RepeatedScreen(int passes) {
        rawWhenSmaller_ = true;
        std::vector<std::uint8_t> rects;
        int count = 0;
        if (encoding_ == RaceEncoding::Hextile) {
            Header(rects, {0, 0, width_, height_}, 5);
            hextile_encoder::BasicTileState<Pixel> state;
            for (int ty = 0; ty < height_; ty += 16) {
                for (int tx = 0; tx < width_; tx += 16) {
                    hextile_encoder::EncodeTile([&](int x, int y) { return At(tx + x, ty + y); },
                                                std::min(16, width_ - tx),
                                                std::min(16, height_ - ty), false, state, rects);
                }
            }
            count = 1;
        } else if (encoding_ == RaceEncoding::Rre) {
            for (int y = 0; y < height_; y += 256) {
                for (int x = 0; x < width_; x += 256) {
                    count += EncodeArea(
                        {x, y, std::min(256, width_ - x), std::min(256, height_ - y)}, rects);
                }
            }
        } else {
            count = EncodeArea({0, 0, width_, height_}, rects);
        }
        Put8(out_, 0);
        Put8(out_, 0);
        Put16(out_, count * passes);
        for (int pass = 0; pass < passes; ++pass) {
            out_.insert(out_.end(), rects.begin(), rects.end());
        }
        ++updates_;
    }

  private:
    static void Put8(std::vector<std::uint8_t>& b, int v) {
        b.push_back(static_cast<std::uint8_t>(v));
    }
    static void Put16(std::vector<std::uint8_t>& b, int v) {
        b.push_back(static_cast<std::uint8_t>(v >> 8));
        b.push_back(static_cast<std::uint8_t>(v));
    }
    static void Put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
        Put16(b, static_cast<int>(v >> 16));
        Put16(b, static_cast<int>(v & 0xFFFF));
    }
    static void Header(std::vector<std::uint8_t>& b, Rect r, int encoding) {
        Put16(b, r.x);
        Put16(b, r.y);
        Put16(b, r.w);
        Put16(b, r.h);
        Put32(b, static_cast<std::uint32_t>(encoding));
    }
    void PutPixel(std::vector<std::uint8_t>& b, Pixel p) { hextile_encoder::PutPixel(b, p); }

    Pixel Background(Rect r) {
        std::map<Pixel, int> counts;
        for (int y = r.y; y < r.y + r.h; y += 2) {
            for (int x = r.x; x < r.x + r.w; x += 2) {
                ++counts[At(x, y)];
            }
        }
        return std::max_element(counts.begin(), counts.end(),
                                [](auto& a, auto& b) { return a.second < b.second; })
            ->first;
    }
    // Horizontal runs of one colour that differ from the background.
    std::vector<std::pair<Rect, Pixel>> Runs(Rect r, Pixel background) {
        std::vector<std::pair<Rect, Pixel>> runs;
        for (int y = r.y; y < r.y + r.h; ++y) {
            for (int x = r.x; x < r.x + r.w;) {
                Pixel p = At(x, y);
                int end = x + 1;
                while (end < r.x + r.w && At(end, y) == p) {
                    ++end;
                }
                if (p != background) {
                    runs.push_back({Rect{x - r.x, y - r.y, end - x, 1}, p});
                }
                x = end;
            }
        }
        return runs;
    }

    int EncodeArea(Rect r, std::vector<std::uint8_t>& b) {
        if (r.w <= 0 || r.h <= 0) {
            return 0;
        }
        switch (encoding_) {
            case RaceEncoding::Raw:
            case RaceEncoding::CopyRectRaw:
                EncodeRaw(r, b);
                return 1;
            case RaceEncoding::Rre:
                EncodeRre(r, b, false);
                return 1;
            case RaceEncoding::CoRre: {
                int count = 0;
                for (int y = r.y; y < r.y + r.h; y += 255) {
                    for (int x = r.x; x < r.x + r.w; x += 255) {
                        EncodeRre(
                            {x, y, std::min(255, r.x + r.w - x), std::min(255, r.y + r.h - y)}, b,
                            true);
                        ++count;
                    }
                }
                return count;
            }
            case RaceEncoding::Hextile:
                EncodeHextile(r, b);
                return 1;
        }
        return 0;
    }
    void EncodeRaw(Rect r, std::vector<std::uint8_t>& b) {
        Header(b, r, 0);
        for (int y = r.y; y < r.y + r.h; ++y) {
            for (int x = r.x; x < r.x + r.w; ++x) {
                PutPixel(b, At(x, y));
            }
        }
    }
    void EncodeRre(Rect r, std::vector<std::uint8_t>& b, bool compact) {
        if (rawWhenSmaller_) {
            // As a plain server does: a rectangle whose subrectangles would take more bytes
            // than its pixels goes as Raw.
            std::vector<std::uint8_t> rre;
            rawWhenSmaller_ = false;
            EncodeRre(r, rre, compact);
            rawWhenSmaller_ = true;
            if (rre.size() > 12 + static_cast<std::size_t>(r.w) * r.h * sizeof(Pixel)) {
                EncodeRaw(r, b);
            } else {
                b.insert(b.end(), rre.begin(), rre.end());
            }
            return;
        }
        Pixel background = Background(r);
        auto runs = Runs(r, background);
        Header(b, r, compact ? 4 : 2);
        Put32(b, static_cast<std::uint32_t>(runs.size()));
        PutPixel(b, background);
        for (auto& [run, p] : runs) {
            PutPixel(b, p);
            if (compact) {
                Put8(b, run.x);
                Put8(b, run.y);
                Put8(b, run.w);
                Put8(b, run.h);
            } else {
                Put16(b, run.x);
                Put16(b, run.y);
                Put16(b, run.w);
                Put16(b, run.h);
            }
        }
    }
    void EncodeHextile(Rect r, std::vector<std::uint8_t>& b) {
        Header(b, r, 5);
        bool first = true;
        Pixel lastBackground = 0;
        for (int ty = r.y; ty < r.y + r.h; ty += 16) {
            for (int tx = r.x; tx < r.x + r.w; tx += 16) {
                Rect tile{tx, ty, std::min(16, r.x + r.w - tx), std::min(16, r.y + r.h - ty)};
                Pixel background = Background(tile);
                auto runs = Runs(tile, background);
                std::size_t coloured = runs.size() * (2 + sizeof(Pixel));
                std::size_t raw = static_cast<std::size_t>(tile.w) * tile.h * sizeof(Pixel);
                if (runs.size() > 255 || coloured >= raw) {
                    Put8(b, 1);
                    for (int y = tile.y; y < tile.y + tile.h; ++y) {
                        for (int x = tile.x; x < tile.x + tile.w; ++x) {
                            PutPixel(b, At(x, y));
                        }
                    }
                    first = true;  // a raw tile leaves the background undefined for the next
                    continue;
                }
                int subencoding = 0;
                bool newBackground = first || background != lastBackground;
                if (newBackground) {
                    subencoding |= 2;
                }
                if (!runs.empty()) {
                    subencoding |= 8 | 16;
                }
                Put8(b, subencoding);
                if (newBackground) {
                    PutPixel(b, background);
                }
                lastBackground = background;
                first = false;
                if (!runs.empty()) {
                    Put8(b, static_cast<int>(runs.size()));
                    for (auto& [run, p] : runs) {
                        PutPixel(b, p);
                        Put8(b, (run.x << 4) | run.y);
                        Put8(b, ((run.w - 1) << 4) | (run.h - 1));
                    }
                }
            }
        }
    }

    RaceEncoding encoding_;
    int width_, height_;
    std::vector<Pixel> screen_;
    std::vector<std::uint8_t> out_;
    int updates_ = 0;
    bool rawWhenSmaller_ = false;
};

}  // namespace

std::string RaceEncodingName(RaceEncoding encoding) {
    switch (encoding) {
        case RaceEncoding::Raw:
            return "Raw";
        case RaceEncoding::Rre:
            return "RRE";
        case RaceEncoding::CoRre:
            return "CoRRE";
        case RaceEncoding::Hextile:
            return "Hextile";
        case RaceEncoding::CopyRectRaw:
            return "CopyRect+Raw";
    }
    return "";
}

namespace {

// The test picture: colour bars in the top third; an 8 x 8 checkerboard and a gradient in the
// middle; a flat colour and noise at the bottom.
template <typename Pixel>
RecordedSession PatternSession(RaceEncoding encoding, int passes) {
    Recorder<Pixel> r(encoding, 1024, 768);
    auto pixel = [](unsigned red, unsigned green, unsigned blue) {
        if constexpr (sizeof(Pixel) == 2) {
            return static_cast<Pixel>((red >> 3) << 11 | (green >> 2) << 5 | blue >> 3);
        } else {
            return static_cast<Pixel>(red << 16 | green << 8 | blue);
        }
    };
    std::uint32_t noise = 12345;
    for (int y = 0; y < 768; ++y) {
        for (int x = 0; x < 1024; ++x) {
            Pixel p;
            if (y < 256) {
                int bar = 7 - x / 128;  // white, yellow, cyan, green, magenta, red, blue, black
                p = pixel(bar & 2 ? 255 : 0, bar & 4 ? 255 : 0, bar & 1 ? 255 : 0);
            } else if (y < 512 && x < 512) {
                p = ((x / 8 + y / 8) & 1) != 0 ? pixel(255, 255, 255) : pixel(0, 0, 0);
            } else if (y < 512) {
                p = pixel((x - 512) / 2, y - 256, (x + y) / 6);
            } else if (x < 512) {
                p = pixel(64, 96, 160);
            } else {
                noise = noise * 1103515245u + 12345u;
                p = pixel(noise >> 24, (noise >> 16) & 0xFF, (noise >> 8) & 0xFF);
            }
            r.At(x, y) = p;
        }
    }
    r.RepeatedScreen(passes);
    return r.Finish();
}

}  // namespace

RecordedSession PatternSession(RaceEncoding encoding, int bitsPerPixel, int passes) {
    return bitsPerPixel == 32 ? PatternSession<std::uint32_t>(encoding, passes)
                              : PatternSession<std::uint16_t>(encoding, passes);
}

RecordedSession RecordSession(RaceEncoding encoding) {
    using Pixel = std::uint16_t;
    Recorder<Pixel> r(encoding, 1024, 768);
    const Pixel desktop = 0x3A9F;
    const Rect all{0, 0, 1024, 768};
    // The first full screen: desktop, a task bar, two windows, a picture with a gradient.
    r.Fill(all, desktop);
    r.Fill({0, 740, 1024, 28}, 0xC618);
    r.Window({40, 40, 500, 360}, 1);
    r.Window({420, 260, 480, 300}, 2);
    r.Gradient({600, 40, 360, 180}, 0);
    r.Update({all});
    // Typing: one line of text at a time.
    for (int line = 0; line < 20; ++line) {
        Rect text{42, 62 + (line % 20) * 14, 496, 14};
        r.Text(text, 0xFFFF, 0x0000, 100 + line);
        r.Update({text});
    }
    // Dragging a window across the desktop.
    Rect window{100, 420, 300, 200};
    r.Window(window, 3);
    r.Update({window});
    for (int step = 0; step < 30; ++step) {
        r.MoveWindow(window, 12, -6, desktop);
        window.x += 12;
        window.y -= 6;
    }
    // An animated gradient.
    for (int frame = 0; frame < 10; ++frame) {
        Rect picture{600, 40, 360, 180};
        r.Gradient(picture, frame * 7);
        r.Update({picture});
    }
    // A full repaint.
    r.Fill(all, desktop);
    r.Window({200, 100, 600, 500}, 4);
    r.Update({all});
    return r.Finish();
}
