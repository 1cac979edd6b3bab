// Portable kernels of the JPEG encoder, and what both kernel sets share.
#include <cstring>

#include "imaging/JpegKernels.h"
#include "imaging/JpegTables.h"

namespace mrv::imaging::jpeg {

namespace {

// --- Colour conversion ------------------------------------------------------
// JFIF YCbCr in 16-bit fixed point:
//   Y  =  0.299 R + 0.587 G + 0.114 B
//   Cb = -0.16874 R - 0.33126 G + 0.5 B + 128
//   Cr =  0.5 R - 0.41869 G - 0.08131 B + 128
// rounded to nearest. The factors of each line sum to exactly 1 (Y) or 0 (Cb,
// Cr) in fixed point, so grey stays grey. The chroma rounding constant is
// half minus one so that 255.5 (pure blue in Cb, pure red in Cr) gives 255.
constexpr std::int32_t kYR = 19595, kYG = 38470, kYB = 7471;
constexpr std::int32_t kCbR = 11059, kCbG = 21709;
constexpr std::int32_t kCrG = 27439, kCrB = 5329;
constexpr std::int32_t kHalfFactor = 1 << 15;  // 0.5
constexpr std::int32_t kLumaBias = 1 << 15;
constexpr std::int32_t kChromaBias = (128 << 16) + (1 << 15) - 1;

// Per channel value, its share of Y, Cb and Cr with the rounding folded into
// one of the three channels, so a pixel costs nine table reads and no
// multiplies. Four ints per entry keep an entry in one cache line.
struct Share {
    std::int32_t y, cb, cr, unused;
};
struct ColourTables {
    Share r[256], g[256], b[256];
};

constexpr ColourTables MakeColourTables() {
    ColourTables t{};
    for (std::int32_t v = 0; v < 256; ++v) {
        t.r[v] = {kYR * v, -kCbR * v, v * kHalfFactor + kChromaBias, 0};
        t.g[v] = {kYG * v, -kCbG * v, -kCrG * v, 0};
        t.b[v] = {kYB * v + kLumaBias, v * kHalfFactor + kChromaBias, -kCrB * v, 0};
    }
    return t;
}

constexpr ColourTables kColour = MakeColourTables();

template <int kBytesPerPixel>
void ConvertRow(const std::uint8_t* src, int width, std::uint8_t* y, std::uint8_t* cb,
                std::uint8_t* cr) {
    for (int x = 0; x < width; ++x, src += kBytesPerPixel) {
        const Share& b = kColour.b[src[0]];
        const Share& g = kColour.g[src[1]];
        const Share& r = kColour.r[src[2]];
        y[x] = static_cast<std::uint8_t>((r.y + g.y + b.y) >> 16);
        cb[x] = static_cast<std::uint8_t>((r.cb + g.cb + b.cb) >> 16);
        cr[x] = static_cast<std::uint8_t>((r.cr + g.cr + b.cr) >> 16);
    }
}

// 2 x 2 box average; the rounding constant alternates 1, 2 across columns so
// that exact halves do not all round the same way (no drift in flat areas).
void Downsample(const std::uint8_t* top, int fullWidth, std::uint8_t* out) {
    const std::uint8_t* bottom = top + fullWidth;
    for (int x = 0; x < fullWidth / 2; ++x) {
        const int sum = top[2 * x] + top[2 * x + 1] + bottom[2 * x] + bottom[2 * x + 1];
        out[x] = static_cast<std::uint8_t>((sum + 1 + (x & 1)) >> 2);
    }
}

// --- DCT --------------------------------------------------------------------
// Loeffler-Ligtenberg-Moschytz factorisation in 13-bit fixed point: the even
// half takes 3 multiplies, the odd half 9. Each 1-D pass scales by sqrt(8);
// the row pass keeps 2 extra fraction bits for the column pass, which drops
// them again, so the 2-D result is the DCT times 8.
constexpr int kConstBits = 13;
constexpr int kPass1Bits = 2;

// round(x * 2^13); with c_k = cos(k * pi / 16):
constexpr std::int32_t kF0_298631336 = 2446;   // sqrt2 (-c1 + c3 + c5 - c7)
constexpr std::int32_t kF0_390180644 = 3196;   // sqrt2 (c3 - c5)
constexpr std::int32_t kF0_541196100 = 4433;   // sqrt2 c6
constexpr std::int32_t kF0_765366865 = 6270;   // sqrt2 (c2 - c6)
constexpr std::int32_t kF0_899976223 = 7373;   // sqrt2 (c3 - c7)
constexpr std::int32_t kF1_175875602 = 9633;   // sqrt2 c3
constexpr std::int32_t kF1_501321110 = 12299;  // sqrt2 (c1 + c3 - c5 - c7)
constexpr std::int32_t kF1_847759065 = 15137;  // sqrt2 (c2 + c6)
constexpr std::int32_t kF1_961570560 = 16069;  // sqrt2 (c3 + c5)
constexpr std::int32_t kF2_053119869 = 16819;  // sqrt2 (c1 + c3 - c5 + c7)
constexpr std::int32_t kF2_562915447 = 20995;  // sqrt2 (c1 + c3)
constexpr std::int32_t kF3_072711026 = 25172;  // sqrt2 (c1 + c3 + c5 - c7)

// Rounding right shift. Right shifts of negative values are arithmetic on
// every compiler we build with.
inline std::int32_t Descale(std::int32_t x, int n) {
    return (x + (1 << (n - 1))) >> n;
}

// Odd half: from d0-d7, d1-d6, d2-d5, d3-d4 to the unscaled frequencies 1, 3,
// 5, 7.
struct Odd {
    std::int32_t o1, o3, o5, o7;
};

inline Odd OddPart(std::int32_t t7, std::int32_t t6, std::int32_t t5, std::int32_t t4) {
    std::int32_t z1 = t4 + t7;
    std::int32_t z2 = t5 + t6;
    std::int32_t z3 = t4 + t6;
    std::int32_t z4 = t5 + t7;
    const std::int32_t z5 = (z3 + z4) * kF1_175875602;
    t4 *= kF0_298631336;
    t5 *= kF2_053119869;
    t6 *= kF3_072711026;
    t7 *= kF1_501321110;
    z1 *= -kF0_899976223;
    z2 *= -kF2_562915447;
    z3 = z3 * -kF1_961570560 + z5;
    z4 = z4 * -kF0_390180644 + z5;
    return {t7 + z1 + z4, t6 + z2 + z3, t5 + z2 + z4, t4 + z1 + z3};
}

void ForwardDct(const std::uint8_t* samples, std::ptrdiff_t stride, std::int16_t out[64]) {
    std::int32_t ws[64];

    // Rows: scaled by sqrt(8) * 2^kPass1Bits.
    constexpr int kRowShift = kConstBits - kPass1Bits;
    std::int32_t* w = ws;
    for (int row = 0; row < 8; ++row, samples += stride, w += 8) {
        const std::uint8_t* s = samples;
        const std::int32_t t0 = s[0] + s[7], t7 = s[0] - s[7];
        const std::int32_t t1 = s[1] + s[6], t6 = s[1] - s[6];
        const std::int32_t t2 = s[2] + s[5], t5 = s[2] - s[5];
        const std::int32_t t3 = s[3] + s[4], t4 = s[3] - s[4];

        const std::int32_t t10 = t0 + t3, t13 = t0 - t3;
        const std::int32_t t11 = t1 + t2, t12 = t1 - t2;
        // The level shift by 128 touches only the sum of all eight samples.
        w[0] = (t10 + t11 - 8 * 128) * (1 << kPass1Bits);
        w[4] = (t10 - t11) * (1 << kPass1Bits);
        const std::int32_t z1 = (t12 + t13) * kF0_541196100;
        w[2] = Descale(z1 + t13 * kF0_765366865, kRowShift);
        w[6] = Descale(z1 - t12 * kF1_847759065, kRowShift);

        const Odd o = OddPart(t7, t6, t5, t4);
        w[1] = Descale(o.o1, kRowShift);
        w[3] = Descale(o.o3, kRowShift);
        w[5] = Descale(o.o5, kRowShift);
        w[7] = Descale(o.o7, kRowShift);
    }

    // Columns.
    constexpr int kColShift = kConstBits + kPass1Bits;
    for (int col = 0; col < 8; ++col) {
        const std::int32_t* c = ws + col;
        std::int16_t* o16 = out + col;
        const std::int32_t t0 = c[0] + c[56], t7 = c[0] - c[56];
        const std::int32_t t1 = c[8] + c[48], t6 = c[8] - c[48];
        const std::int32_t t2 = c[16] + c[40], t5 = c[16] - c[40];
        const std::int32_t t3 = c[24] + c[32], t4 = c[24] - c[32];

        const std::int32_t t10 = t0 + t3, t13 = t0 - t3;
        const std::int32_t t11 = t1 + t2, t12 = t1 - t2;
        o16[0] = static_cast<std::int16_t>(Descale(t10 + t11, kPass1Bits));
        o16[32] = static_cast<std::int16_t>(Descale(t10 - t11, kPass1Bits));
        const std::int32_t z1 = (t12 + t13) * kF0_541196100;
        o16[16] = static_cast<std::int16_t>(Descale(z1 + t13 * kF0_765366865, kColShift));
        o16[48] = static_cast<std::int16_t>(Descale(z1 - t12 * kF1_847759065, kColShift));

        const Odd o = OddPart(t7, t6, t5, t4);
        o16[8] = static_cast<std::int16_t>(Descale(o.o1, kColShift));
        o16[24] = static_cast<std::int16_t>(Descale(o.o3, kColShift));
        o16[40] = static_cast<std::int16_t>(Descale(o.o5, kColShift));
        o16[56] = static_cast<std::int16_t>(Descale(o.o7, kColShift));
    }
}

void ForwardDcts(const std::uint8_t* samples, std::ptrdiff_t stride, int count, std::int16_t* out) {
    for (int i = 0; i < count; ++i) ForwardDct(samples + 8 * i, stride, out + 64 * i);
}

// --- Quantisation -----------------------------------------------------------

// Byte i of the result is p[i].
inline std::uint64_t LoadLittle64(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    v = __builtin_bswap64(v);
#endif
    return v;
}

std::uint64_t Quantize(const std::int16_t coef[64], const Quantizer& quantizer,
                       std::int16_t out[64]) {
    std::uint8_t nonZero[64];
    for (int n = 0; n < 64; ++n) {
        const std::int32_t c = coef[n];
        const std::int32_t sign = c >> 31;  // 0 or -1
        const std::uint32_t magnitude = static_cast<std::uint32_t>((c ^ sign) - sign);
        const std::uint32_t y = (magnitude + quantizer.half[n]) >> 3;
        const std::uint32_t q = (y * quantizer.reciprocal[n]) >> 19;
        out[n] = static_cast<std::int16_t>((static_cast<std::int32_t>(q) ^ sign) - sign);
        nonZero[n] = q != 0;
    }
    // Eight 0/1 bytes to eight bits at once: the multiplier moves byte i's
    // bit to bit 56 + i, and no two partial products meet, so no carries.
    std::uint64_t mask = 0;
    for (int g = 0; g < 8; ++g) {
        mask |= ((LoadLittle64(nonZero + 8 * g) * 0x0102040810204080ull) >> 56) << (8 * g);
    }
    return NaturalToZigzagMask(mask);
}

// kZigzagBits[g][v]: the zigzag-order bits of the coefficients 8g..8g+7
// (row g) whose bits are set in v.
struct ZigzagBits {
    std::uint64_t bits[8][256];
};

constexpr ZigzagBits MakeZigzagBits() {
    std::uint8_t position[64] = {};  // natural index -> zigzag position
    for (int k = 0; k < 64; ++k) position[kZigzag[k]] = static_cast<std::uint8_t>(k);
    ZigzagBits t{};
    for (int g = 0; g < 8; ++g) {
        for (int v = 0; v < 256; ++v) {
            std::uint64_t m = 0;
            for (int i = 0; i < 8; ++i) {
                if (v & (1 << i)) m |= std::uint64_t{1} << position[8 * g + i];
            }
            t.bits[g][v] = m;
        }
    }
    return t;
}

constexpr ZigzagBits kZigzagBits = MakeZigzagBits();

}  // namespace

std::uint64_t NaturalToZigzagMask(std::uint64_t naturalMask) {
    std::uint64_t m = 0;
    for (int g = 0; g < 8; ++g) m |= kZigzagBits.bits[g][(naturalMask >> (8 * g)) & 0xFF];
    return m & ~std::uint64_t{1};
}

Quantizer MakeQuantizer(const std::array<std::uint8_t, 64>& table) {
    Quantizer q{};
    for (int n = 0; n < 64; ++n) {
        const std::uint32_t entry = table[n] ? table[n] : 1u;
        q.reciprocal[n] = ((1u << 19) + entry - 1) / entry;
        q.half[n] = static_cast<std::uint16_t>(4 * entry);
        int b = 1;
        while ((1u << b) < entry) ++b;
        q.multiplier[n] = static_cast<std::uint16_t>(((1u << (11 + b)) + entry - 1) / entry);
        q.postScale[n] = static_cast<std::uint16_t>(1u << (16 - b));
    }
    return q;
}

const Kernels& ScalarKernels() {
    static const Kernels kScalar = {ConvertRow<3>, ConvertRow<4>, Downsample, ForwardDcts,
                                    Quantize};
    return kScalar;
}

const Kernels& FastestKernels() {
    if (const Kernels* avx2 = Avx2Kernels()) return *avx2;
    const Kernels* sse2 = Sse2Kernels();
    return sse2 ? *sse2 : ScalarKernels();
}

}  // namespace mrv::imaging::jpeg
