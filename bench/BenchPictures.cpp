#include "bench/BenchPictures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_set>

namespace mrv::bench {
namespace {

std::uint32_t Hash(std::uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352du;
    x ^= x >> 15;
    x *= 0x846ca68bu;
    x ^= x >> 16;
    return x;
}

// Small deterministic generator for the scene layout.
class Random {
public:
    explicit Random(std::uint32_t seed) : state_(seed) {}
    std::uint32_t Next() { return state_ = Hash(state_ + 0x9e3779b9u); }
    int Range(int lo, int hi) {
        return lo + static_cast<int>(Next() % static_cast<std::uint32_t>(hi - lo + 1));
    }

private:
    std::uint32_t state_;
};

struct Rgb {
    int r, g, b;
};

class Canvas {
public:
    explicit Canvas(Picture& p) : p_(p) {}

    void Set(int x, int y, Rgb c) {
        if (x < 0 || y < 0 || x >= p_.width || y >= p_.height) return;
        std::uint8_t* q = &p_.bgrx[(static_cast<std::size_t>(y) * p_.width + x) * 4];
        q[0] = static_cast<std::uint8_t>(std::clamp(c.b, 0, 255));
        q[1] = static_cast<std::uint8_t>(std::clamp(c.g, 0, 255));
        q[2] = static_cast<std::uint8_t>(std::clamp(c.r, 0, 255));
        q[3] = 0;
    }
    Rgb Get(int x, int y) const {
        const std::uint8_t* q = &p_.bgrx[(static_cast<std::size_t>(y) * p_.width + x) * 4];
        return Rgb{q[2], q[1], q[0]};
    }
    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < p_.width && y < p_.height; }

    void Fill(int x, int y, int w, int h, Rgb c) {
        for (int j = std::max(y, 0); j < std::min(y + h, p_.height); ++j)
            for (int i = std::max(x, 0); i < std::min(x + w, p_.width); ++i) Set(i, j, c);
    }
    void Frame(int x, int y, int w, int h, Rgb c) {
        Fill(x, y, w, 1, c);
        Fill(x, y + h - 1, w, 1, c);
        Fill(x, y, 1, h, c);
        Fill(x + w - 1, y, 1, h, c);
    }

    int Width() const { return p_.width; }
    int Height() const { return p_.height; }

private:
    Picture& p_;
};

// ---------------------------------------------------------------------------
// A made-up typeface on a pixel grid, like a hinted UI font: each character is
// two to four strokes (stems, bars, diagonals, a bowl) between points of a
// 5 x 10 lattice with one pixel per step. Plain text is the strokes at pixel
// centres, one pixel wide. Anti-aliased text is placed at fractional positions
// (thirds of a pixel) and sampled per red, green and blue third of each pixel,
// as sub-pixel rendering does, so its edges get coloured fringes.

constexpr int kGlyphW = 7;
constexpr int kGlyphH = 14;
constexpr int kLevels = 64;  // coverage 0..64 per channel
constexpr int kPhases = 3;   // sub-pixel positions

struct Glyph {
    // Coverage per phase, pixel and channel (R, G, B), 0..kLevels.
    std::array<std::array<std::array<std::uint8_t, 3>, kGlyphW * kGlyphH>, kPhases> cover{};
    // Pixels of plain text.
    std::array<std::array<bool, kGlyphW * kGlyphH>, kPhases> plain{};
};

struct Segment {
    float x0, y0, x1, y1;
};

float DistanceToSegment(float px, float py, const Segment& s) {
    const float dx = s.x1 - s.x0;
    const float dy = s.y1 - s.y0;
    const float len2 = dx * dx + dy * dy;
    float t = len2 > 0 ? ((px - s.x0) * dx + (py - s.y0) * dy) / len2 : 0;
    t = std::clamp(t, 0.0f, 1.0f);
    const float ex = s.x0 + t * dx - px;
    const float ey = s.y0 + t * dy - py;
    return std::sqrt(ex * ex + ey * ey);
}

std::vector<Segment> Strokes(int code) {
    Random rng(static_cast<std::uint32_t>(code) * 7919u + 17u);
    // Lowercase sits between x-height (lattice row 3) and baseline (row 8);
    // capitals, digits and ascenders reach row 0; descenders row 10.
    float top = 3;
    const float bottom = 8;
    const bool tall = (code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9') || code == 'b' ||
                      code == 'd' || code == 'f' || code == 'h' || code == 'k' || code == 'l' ||
                      code == 't';
    if (tall) top = 0;
    const bool descender = code == 'g' || code == 'j' || code == 'p' || code == 'q' || code == 'y';
    const float mid = std::floor((top + bottom) / 2);
    std::vector<Segment> strokes;
    const float left = 0, right = static_cast<float>(rng.Range(3, 4));
    // A stem on the left, the right or in the middle.
    const float stemX = std::array<float, 3>{left, right, 2}[rng.Range(0, 2)];
    strokes.push_back(Segment{stemX, descender ? 3.0f : top, stemX, descender ? 10.0f : bottom});
    const int more = rng.Range(1, 3);
    for (int i = 0; i < more; ++i) {
        switch (rng.Range(0, 4)) {
            case 0: {  // bar
                const float y = std::array<float, 3>{top, mid, bottom}[rng.Range(0, 2)];
                strokes.push_back(Segment{left, y, right, y});
                break;
            }
            case 1: {  // second stem
                const float x = stemX == left ? right : left;
                strokes.push_back(Segment{x, rng.Range(0, 1) ? top : mid, x, bottom});
                break;
            }
            case 2:  // diagonal
                strokes.push_back(Segment{left, rng.Range(0, 1) ? top : bottom, right, mid});
                break;
            default: {  // bowl: a box with cut corners
                const float y0 = rng.Range(0, 1) ? mid : top;
                strokes.push_back(Segment{left + 1, y0, right - 1, y0});
                strokes.push_back(Segment{left + 1, bottom, right - 1, bottom});
                strokes.push_back(Segment{left, y0 + 1, left, bottom - 1});
                strokes.push_back(Segment{right, y0 + 1, right, bottom - 1});
                break;
            }
        }
    }
    return strokes;
}

Glyph MakeGlyph(int code) {
    const std::vector<Segment> strokes = Strokes(code);
    Glyph g;
    constexpr int kPerThird = 8;  // samples across each sub-pixel third
    constexpr int kSy = 8;        // samples down each pixel
    constexpr int kThirds = 3 * kGlyphW;
    constexpr float kHalfWidth = 0.5f;
    for (int phase = 0; phase < kPhases; ++phase) {
        const float shift = static_cast<float>(phase) / kPhases;
        for (int py = 0; py < kGlyphH; ++py) {
            // Coverage of each sub-pixel third, 0..64.
            std::array<int, kThirds> third{};
            for (int t = 0; t < kThirds; ++t) {
                for (int sy = 0; sy < kSy; ++sy) {
                    for (int sx = 0; sx < kPerThird; ++sx) {
                        // Lattice point (i, j) is the centre of pixel (i + 1, j + 2).
                        const float x =
                            (static_cast<float>(t) + (sx + 0.5f) / kPerThird) / 3.0f - 1.5f - shift;
                        const float y = static_cast<float>(py) + (sy + 0.5f) / kSy - 2.5f;
                        for (const Segment& s : strokes) {
                            if (DistanceToSegment(x, y, s) <= kHalfWidth) {
                                ++third[t];
                                break;
                            }
                        }
                    }
                }
            }
            // Sub-pixel rendering spreads each third's coverage over its
            // neighbours (1 2 3 2 1) to tame the colour fringes.
            for (int px = 0; px < kGlyphW; ++px) {
                for (int c = 0; c < 3; ++c) {
                    const int t = 3 * px + c;
                    int sum = 0;
                    int weight = 0;
                    for (int k = -2; k <= 2; ++k) {
                        const int w = 3 - (k < 0 ? -k : k);
                        if (t + k >= 0 && t + k < kThirds) sum += w * third[t + k];
                        weight += w;
                    }
                    g.cover[phase][py * kGlyphW + px][c] =
                        static_cast<std::uint8_t>((sum + weight / 2) / weight);
                }
                // Plain text is drawn from the unspread coverage.
                const int whole = third[3 * px] + third[3 * px + 1] + third[3 * px + 2];
                g.plain[phase][py * kGlyphW + px] = whole >= 3 * kLevels / 2;
            }
        }
    }
    return g;
}

class Font {
public:
    Font() {
        for (int c = 0; c < 128; ++c) glyphs_[c] = MakeGlyph(c);
    }
    const Glyph& Of(char c) const { return glyphs_[static_cast<unsigned char>(c) & 127]; }

private:
    std::array<Glyph, 128> glyphs_;
};

const Font& TheFont() {
    static const Font font;
    return font;
}

class TextPainter {
public:
    TextPainter(Canvas& canvas, bool antialiased) : canvas_(canvas), antialiased_(antialiased) {}

    // Draws text with its top-left at (x, y), clipped to clipRight; returns the
    // end x. Anti-aliased text advances by 6 2/3 pixels, plain text by 7.
    int Draw(int x, int y, const std::string& text, Rgb fg, int clipRight = 1 << 30) {
        int thirds = 3 * x;
        for (char ch : text) {
            if (ch == ' ') {
                thirds += 3 * 4;
                continue;
            }
            const int px = thirds / 3;
            if (px + kGlyphW > clipRight) break;
            const int phase = antialiased_ ? thirds % 3 : 0;
            const Glyph& g = TheFont().Of(ch);
            for (int py = 0; py < kGlyphH; ++py) {
                for (int gx = 0; gx < kGlyphW; ++gx) {
                    const auto& cover = g.cover[phase][py * kGlyphW + gx];
                    const bool plain = g.plain[phase][py * kGlyphW + gx];
                    if (cover[0] == 0 && cover[1] == 0 && cover[2] == 0 && !plain) continue;
                    const int cx = px + gx;
                    const int cy = y + py;
                    if (!canvas_.Inside(cx, cy)) continue;
                    const Rgb bg = canvas_.Get(cx, cy);
                    if (antialiased_) {
                        canvas_.Set(cx, cy,
                                    Rgb{bg.r + (fg.r - bg.r) * cover[0] / kLevels,
                                        bg.g + (fg.g - bg.g) * cover[1] / kLevels,
                                        bg.b + (fg.b - bg.b) * cover[2] / kLevels});
                    } else if (plain) {
                        canvas_.Set(cx, cy, fg);
                    }
                }
            }
            thirds += antialiased_ ? 20 : 21;
        }
        return (thirds + 2) / 3;
    }

private:
    Canvas& canvas_;
    bool antialiased_;
};

std::string Words(Random& rng, int count) {
    std::string s;
    for (int w = 0; w < count; ++w) {
        if (w) s += ' ';
        const int len = rng.Range(2, 9);
        for (int i = 0; i < len; ++i) {
            const int k = static_cast<int>(rng.Next() % 40);
            if (i == 0 && k < 4) {
                s += static_cast<char>('A' + rng.Range(0, 25));
            } else if (k < 2) {
                s += static_cast<char>('0' + rng.Range(0, 9));
            } else {
                s += static_cast<char>('a' + rng.Range(0, 25));
            }
        }
    }
    return s;
}

// ---------------------------------------------------------------------------
// Photograph-like content: value noise in octaves, correlated channels, noise.

float Smooth(float t) {
    return t * t * (3 - 2 * t);
}

float ValueNoise(float x, float y, float cell, std::uint32_t seed) {
    const float gx = x / cell;
    const float gy = y / cell;
    const int ix = static_cast<int>(std::floor(gx));
    const int iy = static_cast<int>(std::floor(gy));
    const float fx = Smooth(gx - static_cast<float>(ix));
    const float fy = Smooth(gy - static_cast<float>(iy));
    const auto v = [seed](int i, int j) {
        return static_cast<float>(Hash(seed ^ Hash(static_cast<std::uint32_t>(i) * 73856093u ^
                                                   static_cast<std::uint32_t>(j) * 19349663u)) &
                                  0xFFFF) /
                   65535.0f * 2.0f -
               1.0f;
    };
    const float a = v(ix, iy) + (v(ix + 1, iy) - v(ix, iy)) * fx;
    const float b = v(ix, iy + 1) + (v(ix + 1, iy + 1) - v(ix, iy + 1)) * fx;
    return a + (b - a) * fy;
}

void PaintPhoto(Canvas& canvas, int x0, int y0, int w, int h, std::uint32_t seed) {
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const float fx = static_cast<float>(x);
            const float fy = static_cast<float>(y);
            const float light = 120 + 70 * ValueNoise(fx, fy, 260, seed) +
                                30 * ValueNoise(fx, fy, 90, seed + 1) +
                                10 * ValueNoise(fx, fy, 28, seed + 2);
            const float warm = 35 * ValueNoise(fx, fy, 320, seed + 3);
            const float green = 25 * ValueNoise(fx, fy, 200, seed + 4);
            const std::uint32_t n = Hash(seed * 31u + static_cast<std::uint32_t>(y * 8191 + x));
            // Roughly Gaussian sensor noise, sigma about 2.5 levels.
            const auto noise = [n](int shift) {
                const int a = static_cast<int>((n >> shift) & 7u);
                const int b = static_cast<int>((n >> (shift + 3)) & 7u);
                return a + b - 7;
            };
            canvas.Set(x0 + x, y0 + y,
                       Rgb{static_cast<int>(light + warm) + noise(0),
                           static_cast<int>(light + green) + noise(6),
                           static_cast<int>(light - warm) + noise(12)});
        }
    }
}

// ---------------------------------------------------------------------------
// The desktop scene

const Rgb kWhite{255, 255, 255};
const Rgb kBlack{0, 0, 0};
const Rgb kFace{240, 240, 240};
const Rgb kBorder{100, 100, 100};

enum class Kind { kText, kList, kForm, kCode, kPhoto };

struct WindowSpec {
    int x, y, w, h;
    Rgb title;
    Kind kind;
};

void PaintWindow(Canvas& canvas, TextPainter& text, const WindowSpec& s, Random& rng) {
    canvas.Fill(s.x, s.y, s.w, s.h, kFace);
    canvas.Frame(s.x, s.y, s.w, s.h, kBorder);
    canvas.Fill(s.x + 1, s.y + 1, s.w - 2, 30, s.title);
    text.Draw(s.x + 12, s.y + 9, Words(rng, 3), kWhite, s.x + s.w - 150);
    for (int b = 0; b < 3; ++b) {
        const int bx = s.x + s.w - 1 - 46 * (b + 1);
        canvas.Fill(bx + 18, s.y + 15, 10, 1, kWhite);
        if (b == 1) canvas.Frame(bx + 18, s.y + 10, 10, 10, kWhite);
    }
    // Menu bar.
    int mx = s.x + 8;
    for (int i = 0; i < 5; ++i) mx = text.Draw(mx, s.y + 35, Words(rng, 1), kBlack) + 14;
    const int cx = s.x + 1;
    const int cy = s.y + 55;
    const int cw = s.w - 2 - 17;
    const int ch = s.h - 56;
    // Scroll bar.
    canvas.Fill(cx + cw, cy, 17, ch, kFace);
    canvas.Fill(cx + cw + 4, cy + 20, 9, ch / 3, Rgb{192, 192, 192});

    switch (s.kind) {
        case Kind::kText: {
            canvas.Fill(cx, cy, cw, ch, kWhite);
            for (int y = cy + 10; y + 17 < cy + ch; y += 17) {
                if (rng.Range(0, 6) == 0) continue;  // paragraph break
                int x = cx + 14;
                const int words = rng.Range(4, 14);
                for (int w = 0; w < words && x < cx + cw - 80; ++w) {
                    const bool link = rng.Range(0, 12) == 0;
                    x = text.Draw(x, y, Words(rng, 1), link ? Rgb{0, 102, 204} : Rgb{30, 30, 30},
                                  cx + cw - 10) +
                        5;
                }
            }
            break;
        }
        case Kind::kList: {
            canvas.Fill(cx, cy, cw, ch, kWhite);
            canvas.Fill(cx, cy, cw, 24, Rgb{225, 225, 225});
            for (int c = 0; c < 4; ++c)
                text.Draw(cx + 8 + c * (cw / 4), cy + 5, Words(rng, 1), kBlack);
            int row = 0;
            for (int y = cy + 25; y + 22 < cy + ch; y += 22, ++row) {
                const bool selected = row == 3;
                const Rgb bg =
                    selected ? Rgb{204, 232, 255} : (row % 2 ? Rgb{245, 248, 252} : kWhite);
                canvas.Fill(cx, y, cw, 22, bg);
                canvas.Fill(cx + 8, y + 4, 14, 14, Rgb{230, 180, 60});  // file icon
                for (int c = 0; c < 4; ++c) {
                    text.Draw(cx + 30 + c * (cw / 4), y + 4, Words(rng, c == 0 ? 2 : 1),
                              c == 0 ? kBlack : Rgb{90, 90, 90}, cx + 20 + (c + 1) * (cw / 4));
                }
            }
            break;
        }
        case Kind::kForm: {
            for (int y = cy + 16; y + 30 < cy + ch; y += 38) {
                text.Draw(cx + 16, y + 6, Words(rng, 2), kBlack);
                const int ex = cx + 160;
                const int ew = std::min(260, cw - 180);
                if (ew <= 20) continue;
                if (rng.Range(0, 2) == 0) {
                    canvas.Fill(ex, y, ew, 24, kWhite);
                    canvas.Frame(ex, y, ew, 24, Rgb{122, 122, 122});
                    text.Draw(ex + 6, y + 5, Words(rng, 2), kBlack, ex + ew - 4);
                } else {
                    canvas.Fill(ex, y, 13, 13, kWhite);
                    canvas.Frame(ex, y, 13, 13, Rgb{51, 51, 51});
                    if (rng.Range(0, 1)) canvas.Fill(ex + 3, y + 3, 7, 7, Rgb{0, 95, 184});
                    text.Draw(ex + 20, y, Words(rng, 3), kBlack);
                }
            }
            for (int b = 0; b < 2; ++b) {
                const int bx = cx + cw - 100 * (b + 1) - 10;
                const int by = cy + ch - 40;
                canvas.Fill(bx, by, 90, 28, Rgb{225, 225, 225});
                canvas.Frame(bx, by, 90, 28, b == 0 ? Rgb{0, 120, 215} : Rgb{173, 173, 173});
                text.Draw(bx + 22, by + 7, Words(rng, 1), kBlack, bx + 86);
            }
            break;
        }
        case Kind::kCode: {
            canvas.Fill(cx, cy, cw, ch, Rgb{30, 30, 30});
            canvas.Fill(cx, cy, 44, ch, Rgb{37, 37, 38});
            const Rgb colours[] = {
                {86, 156, 214}, {206, 145, 120}, {106, 153, 85}, {212, 212, 212}, {197, 134, 192}};
            int line = 1;
            for (int y = cy + 6; y + 16 < cy + ch; y += 16, ++line) {
                text.Draw(cx + 8, y, std::to_string(line), Rgb{133, 133, 133});
                int x = cx + 54 + 14 * rng.Range(0, 3);
                const int tokens = rng.Range(0, 7);
                for (int t = 0; t < tokens; ++t) {
                    x = text.Draw(x, y, Words(rng, 1), colours[rng.Range(0, 4)], cx + cw - 8) + 5;
                }
            }
            break;
        }
        case Kind::kPhoto: {
            canvas.Fill(cx, cy, cw, ch, Rgb{43, 43, 43});
            PaintPhoto(canvas, cx + 10, cy + 10, cw - 20, ch - 20, 991);
            break;
        }
    }
}

void PaintDesktop(Canvas& canvas, bool antialiased, bool withPhoto) {
    TextPainter text(canvas, antialiased);
    Random rng(12345);
    const int w = canvas.Width();
    const int h = canvas.Height();
    canvas.Fill(0, 0, w, h, Rgb{58, 110, 165});
    // Desktop icons.
    const Rgb iconColours[] = {{240, 200, 80}, {80, 160, 230}, {220, 80, 70}, {90, 180, 90}};
    for (int i = 0; i < 6; ++i) {
        const int ix = 28;
        const int iy = 24 + 96 * i;
        canvas.Fill(ix, iy, 44, 40, iconColours[i % 4]);
        canvas.Fill(ix + 6, iy + 8, 32, 4, kWhite);
        canvas.Fill(ix + 6, iy + 16, 24, 4, kWhite);
        text.Draw(ix - 6, iy + 50, Words(rng, 1), kWhite);
    }
    const Rgb titles[] = {{0, 84, 153}, {43, 87, 154}, {16, 124, 16}, {80, 80, 80}, {0, 120, 215}};
    std::vector<WindowSpec> windows = {
        {140, 40, 900, 620, titles[0], Kind::kText},  {620, 120, 760, 520, titles[1], Kind::kList},
        {1180, 60, 700, 760, titles[2], Kind::kCode}, {260, 520, 640, 470, titles[3], Kind::kForm},
        {980, 560, 880, 440, titles[4], Kind::kText},
    };
    if (withPhoto) windows.push_back({520, 180, 900, 650, titles[3], Kind::kPhoto});
    for (WindowSpec s : windows) {
        s.w = std::min(s.w, w - s.x - 4);
        s.h = std::min(s.h, h - 44 - s.y);
        if (s.w < 200 || s.h < 120) continue;
        PaintWindow(canvas, text, s, rng);
    }
    // Task bar.
    canvas.Fill(0, h - 40, w, 40, Rgb{32, 32, 40});
    canvas.Fill(0, h - 40, 48, 40, Rgb{0, 120, 215});
    for (int i = 0; i < 6; ++i) {
        const int bx = 60 + 170 * i;
        canvas.Fill(bx, h - 36, 160, 32, i == 0 ? Rgb{70, 70, 84} : Rgb{50, 50, 60});
        canvas.Fill(bx + 8, h - 28, 16, 16, iconColours[i % 4]);
        text.Draw(bx + 32, h - 28, Words(rng, 2), kWhite, bx + 156);
    }
    text.Draw(w - 80, h - 28, "12 34", kWhite);
}

void PaintGradient(Canvas& canvas) {
    const int w = canvas.Width();
    const int h = canvas.Height();
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const float fx = static_cast<float>(x) / static_cast<float>(w - 1);
            const float fy = static_cast<float>(y) / static_cast<float>(h - 1);
            const float dx = static_cast<float>(x - w / 3);
            const float dy = static_cast<float>(y - h / 2);
            const float radial = std::sqrt(dx * dx + dy * dy) / static_cast<float>(w);
            canvas.Set(x, y,
                       Rgb{static_cast<int>(std::lround(30 + 200 * fx)),
                           static_cast<int>(std::lround(60 + 150 * fy * (1 - 0.5f * fx))),
                           static_cast<int>(std::lround(220 - 180 * radial))});
        }
    }
}

}  // namespace

Picture MakePicture(const std::string& name, int width, int height) {
    Picture p;
    p.name = name;
    p.width = width;
    p.height = height;
    p.bgrx.assign(static_cast<std::size_t>(width) * height * 4, 0);
    Canvas canvas(p);
    if (name == "ui") {
        PaintDesktop(canvas, true, false);
    } else if (name == "flat") {
        PaintDesktop(canvas, false, false);
    } else if (name == "gradient") {
        PaintGradient(canvas);
    } else if (name == "photo") {
        PaintPhoto(canvas, 0, 0, width, height, 4242);
    } else if (name == "mixed") {
        PaintDesktop(canvas, true, true);
    }
    return p;
}

int CountColours(const Picture& picture) {
    std::unordered_set<std::uint32_t> colours;
    const std::size_t n = static_cast<std::size_t>(picture.width) * picture.height;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t* q = &picture.bgrx[i * 4];
        colours.insert(q[0] | (q[1] << 8) | (q[2] << 16));
    }
    return static_cast<int>(colours.size());
}

}  // namespace mrv::bench
