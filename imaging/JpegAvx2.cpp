// AVX2 kernels of the JPEG encoder, chosen at run time on processors that
// have AVX2. The same integers as the scalar and SSE2 kernels, twice as many
// lanes: sixteen pixels per step of the colour conversion, two blocks side
// by side per DCT (one in each 128-bit half, where the unpacks of the
// transpose stay anyway), a whole block of quantisation in four registers.
//
// Only the functions below are compiled for AVX2 (a target attribute, not a
// flag for the whole file), so that nothing shared with the rest of the
// program, such as an inline function from a header, can come out of this
// file with AVX2 instructions in it. The file uses no standard templates.
//
// MinGW-w64 GCC keeps the Windows stack at 16-byte alignment, yet spills
// 256-bit values with aligned moves: the Windows build assembles this file
// with -muse-unaligned-vector-move (see CMakeLists.txt), which turns every
// aligned move into an unaligned one.
#include "imaging/JpegKernels.h"
#include "imaging/JpegTables.h"

#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__)) && \
    !defined(MRV_JPEG_NO_AVX2)
#define MRV_JPEG_HAVE_AVX2 1
#define MRV_AVX2 __attribute__((target("avx2")))
#include <immintrin.h>
#elif defined(_MSC_VER) && defined(_M_X64) && !defined(MRV_JPEG_NO_AVX2)
#define MRV_JPEG_HAVE_AVX2 1
#define MRV_AVX2
#include <immintrin.h>
#include <intrin.h>
#endif

namespace mrv::imaging::jpeg {

#if defined(MRV_JPEG_HAVE_AVX2)

namespace {

// Two 16-bit factors per 32-bit lane for vpmaddwd: lane = lo * a + hi * b.
MRV_AVX2 inline __m256i Pair(int lo, int hi) {
    return _mm256_set1_epi32(static_cast<int>((static_cast<unsigned>(hi) << 16) |
                                              (static_cast<unsigned>(lo) & 0xFFFFu)));
}

// --- Colour conversion ------------------------------------------------------
// The sums of the scalar tables (see JpegScalar.cpp), each as two vpmaddwd of
// 16-bit channel pairs that one byte shuffle each takes straight from the
// loaded pixels. Factors that do not fit 16 bits are halved over a channel
// paired with itself: 38470 G = (G, G) . (19235, 19235), 32768 B =
// (B, B) . (16384, 16384).
//   Y  = (B, R) . (7471, 19595) + (G, G) . (19235, 19235) + 2^15
//   Cb = (B, B) . (16384, 16384) + (R, G) . (-11059, -21709) + bias
//   Cr = (R, R) . (16384, 16384) + (G, B) . (-27439, -5329) + bias
constexpr int kLumaBias = 1 << 15;
constexpr int kChromaBias = (128 << 16) + (1 << 15) - 1;
constexpr int kB = 0, kG = 1, kR = 2;  // byte of the channel within a pixel

struct Planes {
    __m256i y, cb, cr;
};

// Each 32-bit lane i of the result: the pair (channel a, channel b) of pixel
// i of its 128-bit half, pixels `bpp` bytes apart from the half's start.
MRV_AVX2 inline __m256i PairOf(__m256i pixels, int bpp, int a, int b) {
    const char p0 = 0, p1 = static_cast<char>(bpp), p2 = static_cast<char>(2 * bpp),
               p3 = static_cast<char>(3 * bpp);
    const char ca = static_cast<char>(a), cb = static_cast<char>(b);
    const __m256i spread =
        _mm256_setr_epi8(p0 + ca, -1, p0 + cb, -1, p1 + ca, -1, p1 + cb, -1, p2 + ca, -1, p2 + cb,
                         -1, p3 + ca, -1, p3 + cb, -1, p0 + ca, -1, p0 + cb, -1, p1 + ca, -1,
                         p1 + cb, -1, p2 + ca, -1, p2 + cb, -1, p3 + ca, -1, p3 + cb, -1);
    return _mm256_shuffle_epi8(pixels, spread);
}

// Eight pixels, four in each 128-bit half `bpp` (3 or 4) bytes apart, to
// eight Y, Cb, Cr in 32-bit lanes.
MRV_AVX2 inline Planes ConvertEight(__m256i pixels, int bpp) {
    Planes out;
    const __m256i half = Pair(16384, 16384);
    __m256i a = _mm256_madd_epi16(PairOf(pixels, bpp, kB, kR), Pair(7471, 19595));
    __m256i b = _mm256_madd_epi16(PairOf(pixels, bpp, kG, kG), Pair(19235, 19235));
    out.y = _mm256_srli_epi32(
        _mm256_add_epi32(_mm256_add_epi32(a, b), _mm256_set1_epi32(kLumaBias)), 16);
    a = _mm256_madd_epi16(PairOf(pixels, bpp, kB, kB), half);
    b = _mm256_madd_epi16(PairOf(pixels, bpp, kR, kG), Pair(-11059, -21709));
    out.cb = _mm256_srli_epi32(
        _mm256_add_epi32(_mm256_add_epi32(a, b), _mm256_set1_epi32(kChromaBias)), 16);
    a = _mm256_madd_epi16(PairOf(pixels, bpp, kR, kR), half);
    b = _mm256_madd_epi16(PairOf(pixels, bpp, kG, kB), Pair(-27439, -5329));
    out.cr = _mm256_srli_epi32(
        _mm256_add_epi32(_mm256_add_epi32(a, b), _mm256_set1_epi32(kChromaBias)), 16);
    return out;
}

// Sixteen 32-bit values 0..255 (pixels 0-7 in a, 8-15 in b) to sixteen bytes.
// The packs work within 128-bit halves; the permute puts the four quarters
// back in pixel order before the last pack.
MRV_AVX2 inline void StoreSixteen(std::uint8_t* dst, __m256i a, __m256i b) {
    const __m256i words = _mm256_permute4x64_epi64(_mm256_packs_epi32(a, b), 0xD8);
    _mm_storeu_si128(
        reinterpret_cast<__m128i*>(dst),
        _mm_packus_epi16(_mm256_castsi256_si128(words), _mm256_extracti128_si256(words, 1)));
}

MRV_AVX2 inline void ConvertSixteen(__m256i p0, __m256i p1, int bpp, std::uint8_t* y,
                                    std::uint8_t* cb, std::uint8_t* cr) {
    const Planes a = ConvertEight(p0, bpp);
    const Planes b = ConvertEight(p1, bpp);
    StoreSixteen(y, a.y, b.y);
    StoreSixteen(cb, a.cb, b.cb);
    StoreSixteen(cr, a.cr, b.cr);
}

// Asks for the cache line `ahead` bytes on from `p`, which may lie beyond the
// row (the address is only computed, never formed as a pointer into nothing).
MRV_AVX2 inline void Prefetch(const std::uint8_t* p, int ahead) {
    _mm_prefetch(reinterpret_cast<const char*>(reinterpret_cast<std::uintptr_t>(p) +
                                               static_cast<std::uintptr_t>(ahead)),
                 _MM_HINT_T0);
}

// Twenty-four bytes B G R ... at `src` (28 readable): four pixels in each
// 128-bit half.
MRV_AVX2 inline __m256i LoadEight24(const std::uint8_t* src) {
    return _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 12)), 1);
}

MRV_AVX2 void ConvertRow24(const std::uint8_t* src, int width, std::uint8_t* y, std::uint8_t* cb,
                           std::uint8_t* cr) {
    int x = 0;
    // The last load of a step reads bytes up to 3x + 52: stay inside the row.
    // The encoder takes sixteen rows at a time, bottom-up in a DIB; reading
    // ahead within each row keeps the loads from waiting on memory (a
    // prefetch past the row's end is harmless: it never faults).
    for (; x + 18 <= width; x += 16) {
        Prefetch(src, 3 * x + 512);
        ConvertSixteen(LoadEight24(src + 3 * x), LoadEight24(src + 3 * x + 24), 3, y + x, cb + x,
                       cr + x);
    }
    if (x < width) Sse2Kernels()->convertRow24(src + 3 * x, width - x, y + x, cb + x, cr + x);
}

MRV_AVX2 void ConvertRow32(const std::uint8_t* src, int width, std::uint8_t* y, std::uint8_t* cb,
                           std::uint8_t* cr) {
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        Prefetch(src, 4 * x + 512);
        const __m256i p0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 4 * x));
        const __m256i p1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 4 * x + 32));
        ConvertSixteen(p0, p1, 4, y + x, cb + x, cr + x);
    }
    if (x < width) Sse2Kernels()->convertRow32(src + 4 * x, width - x, y + x, cb + x, cr + x);
}

MRV_AVX2 void Downsample(const std::uint8_t* top, int fullWidth, std::uint8_t* out) {
    const std::uint8_t* bottom = top + fullWidth;
    const __m256i lowByte = _mm256_set1_epi16(0x00FF);
    const __m256i bias = _mm256_setr_epi16(1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2);
    const int outputs = fullWidth / 2;
    int x = 0;
    for (; x + 16 <= outputs; x += 16) {
        const __m256i t = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(top + 2 * x));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bottom + 2 * x));
        __m256i sum = _mm256_add_epi16(_mm256_and_si256(t, lowByte), _mm256_srli_epi16(t, 8));
        sum = _mm256_add_epi16(
            sum, _mm256_add_epi16(_mm256_and_si256(b, lowByte), _mm256_srli_epi16(b, 8)));
        sum = _mm256_srli_epi16(_mm256_add_epi16(sum, bias), 2);
        _mm_storeu_si128(
            reinterpret_cast<__m128i*>(out + x),
            _mm_packus_epi16(_mm256_castsi256_si128(sum), _mm256_extracti128_si256(sum, 1)));
    }
    for (; x < outputs; ++x) {
        const int sum = top[2 * x] + top[2 * x + 1] + bottom[2 * x] + bottom[2 * x + 1];
        out[x] = static_cast<std::uint8_t>((sum + 1 + (x & 1)) >> 2);
    }
}

// --- DCT --------------------------------------------------------------------
// The SSE2 passes with each 128-bit half holding one block: the unpacks of the
// transpose and every multiply-add stay within their half.

MRV_AVX2 inline void Transpose(__m256i r[8]) {
    const __m256i a0 = _mm256_unpacklo_epi16(r[0], r[1]), a1 = _mm256_unpackhi_epi16(r[0], r[1]);
    const __m256i a2 = _mm256_unpacklo_epi16(r[2], r[3]), a3 = _mm256_unpackhi_epi16(r[2], r[3]);
    const __m256i a4 = _mm256_unpacklo_epi16(r[4], r[5]), a5 = _mm256_unpackhi_epi16(r[4], r[5]);
    const __m256i a6 = _mm256_unpacklo_epi16(r[6], r[7]), a7 = _mm256_unpackhi_epi16(r[6], r[7]);
    const __m256i b0 = _mm256_unpacklo_epi32(a0, a2), b1 = _mm256_unpackhi_epi32(a0, a2);
    const __m256i b2 = _mm256_unpacklo_epi32(a1, a3), b3 = _mm256_unpackhi_epi32(a1, a3);
    const __m256i b4 = _mm256_unpacklo_epi32(a4, a6), b5 = _mm256_unpackhi_epi32(a4, a6);
    const __m256i b6 = _mm256_unpacklo_epi32(a5, a7), b7 = _mm256_unpackhi_epi32(a5, a7);
    r[0] = _mm256_unpacklo_epi64(b0, b4);
    r[1] = _mm256_unpackhi_epi64(b0, b4);
    r[2] = _mm256_unpacklo_epi64(b1, b5);
    r[3] = _mm256_unpackhi_epi64(b1, b5);
    r[4] = _mm256_unpacklo_epi64(b2, b6);
    r[5] = _mm256_unpackhi_epi64(b2, b6);
    r[6] = _mm256_unpacklo_epi64(b3, b7);
    r[7] = _mm256_unpackhi_epi64(b3, b7);
}

struct Pairs {
    __m256i lo, hi;
};
MRV_AVX2 inline Pairs Interleave(__m256i a, __m256i b) {
    return {_mm256_unpacklo_epi16(a, b), _mm256_unpackhi_epi16(a, b)};
}

template <int kShift>
MRV_AVX2 inline __m256i Round(__m256i lo, __m256i hi) {
    const __m256i round = _mm256_set1_epi32(1 << (kShift - 1));
    lo = _mm256_srai_epi32(_mm256_add_epi32(lo, round), kShift);
    hi = _mm256_srai_epi32(_mm256_add_epi32(hi, round), kShift);
    return _mm256_packs_epi32(lo, hi);
}

template <int kShift>
MRV_AVX2 inline __m256i Rotate(const Pairs& p, __m256i k) {
    return Round<kShift>(_mm256_madd_epi16(p.lo, k), _mm256_madd_epi16(p.hi, k));
}

template <int kShift>
MRV_AVX2 inline __m256i Rotate(const Pairs& p, __m256i k, const Pairs& q, __m256i l) {
    return Round<kShift>(_mm256_add_epi32(_mm256_madd_epi16(p.lo, k), _mm256_madd_epi16(q.lo, l)),
                         _mm256_add_epi32(_mm256_madd_epi16(p.hi, k), _mm256_madd_epi16(q.hi, l)));
}

template <bool kFirst>
MRV_AVX2 inline void DctPass(__m256i d[8]) {
    constexpr int kShift = kFirst ? 11 : 15;
    const __m256i t0 = _mm256_add_epi16(d[0], d[7]), t7 = _mm256_sub_epi16(d[0], d[7]);
    const __m256i t1 = _mm256_add_epi16(d[1], d[6]), t6 = _mm256_sub_epi16(d[1], d[6]);
    const __m256i t2 = _mm256_add_epi16(d[2], d[5]), t5 = _mm256_sub_epi16(d[2], d[5]);
    const __m256i t3 = _mm256_add_epi16(d[3], d[4]), t4 = _mm256_sub_epi16(d[3], d[4]);
    const __m256i t10 = _mm256_add_epi16(t0, t3), t13 = _mm256_sub_epi16(t0, t3);
    const __m256i t11 = _mm256_add_epi16(t1, t2), t12 = _mm256_sub_epi16(t1, t2);

    if (kFirst) {
        d[0] = _mm256_slli_epi16(
            _mm256_sub_epi16(_mm256_add_epi16(t10, t11), _mm256_set1_epi16(8 * 128)), 2);
        d[4] = _mm256_slli_epi16(_mm256_sub_epi16(t10, t11), 2);
    } else {
        const __m256i two = _mm256_set1_epi16(2);
        d[0] = _mm256_srai_epi16(_mm256_add_epi16(_mm256_add_epi16(t10, t11), two), 2);
        d[4] = _mm256_srai_epi16(_mm256_add_epi16(_mm256_sub_epi16(t10, t11), two), 2);
    }
    const Pairs even = Interleave(t12, t13);
    d[2] = Rotate<kShift>(even, Pair(4433, 4433 + 6270));
    d[6] = Rotate<kShift>(even, Pair(4433 - 15137, 4433));

    const Pairs p45 = Interleave(t4, t5), p67 = Interleave(t6, t7);
    d[1] = Rotate<kShift>(p45, Pair(2260, 6437), p67, Pair(9633, 11363));
    d[3] = Rotate<kShift>(p45, Pair(-6436, -11362), p67, Pair(-2259, 9633));
    d[5] = Rotate<kShift>(p45, Pair(9633, 2261), p67, Pair(-11362, 6437));
    d[7] = Rotate<kShift>(p45, Pair(-11363, 9633), p67, Pair(-6436, 2260));
}

// Two blocks side by side: 16 samples a row, eight rows.
MRV_AVX2 void ForwardDctPair(const std::uint8_t* samples, std::ptrdiff_t stride,
                             std::int16_t* out) {
    __m256i d[8];
    for (int r = 0; r < 8; ++r) {
        d[r] = _mm256_cvtepu8_epi16(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(samples + r * stride)));
    }
    Transpose(d);
    DctPass<true>(d);
    Transpose(d);
    DctPass<false>(d);
    for (int r = 0; r < 8; ++r) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8 * r), _mm256_castsi256_si128(d[r]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 64 + 8 * r),
                         _mm256_extracti128_si256(d[r], 1));
    }
}

MRV_AVX2 void ForwardDcts(const std::uint8_t* samples, std::ptrdiff_t stride, int count,
                          std::int16_t* out) {
    int i = 0;
    for (; i + 2 <= count; i += 2) ForwardDctPair(samples + 8 * i, stride, out + 64 * i);
    if (i < count) Sse2Kernels()->forwardDcts(samples + 8 * i, stride, count - i, out + 64 * i);
}

// --- Quantisation -----------------------------------------------------------

MRV_AVX2 inline __m256i Load16(const void* p) {
    return _mm256_loadu_si256(static_cast<const __m256i*>(p));
}

// Sixteen coefficients from `n` on; returns their lanes equal to zero.
MRV_AVX2 inline __m256i QuantizeSixteen(const std::int16_t* coef, const Quantizer& quantizer, int n,
                                        std::int16_t* out) {
    const __m256i c = Load16(coef + n);
    const __m256i sign = _mm256_srai_epi16(c, 15);
    const __m256i magnitude = _mm256_sub_epi16(_mm256_xor_si256(c, sign), sign);
    // y << 5 with y = (|c| + 4Q) >> 3 < 2^11: at most 16 unsigned bits.
    const __m256i y32 = _mm256_slli_epi16(
        _mm256_srli_epi16(_mm256_add_epi16(magnitude, Load16(quantizer.half + n)), 3), 5);
    const __m256i q = _mm256_mulhi_epu16(_mm256_mulhi_epu16(y32, Load16(quantizer.multiplier + n)),
                                         Load16(quantizer.postScale + n));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + n),
                        _mm256_sub_epi16(_mm256_xor_si256(q, sign), sign));
    return _mm256_cmpeq_epi16(q, _mm256_setzero_si256());
}

// Thirty-two 16-bit flags (0 or -1; a: 0-15, b: 16-31) to bytes in order.
// The pack works within 128-bit halves, giving [0-7, 16-23 | 8-15, 24-31]:
// the permute puts the quarters in order.
MRV_AVX2 inline __m256i FlagBytes(__m256i a, __m256i b) {
    return _mm256_permute4x64_epi64(_mm256_packs_epi16(a, b), 0xD8);
}

// Byte shuffles that gather 64 bytes in natural order into zigzag order:
// entry 2s + h is for source quarter s (bytes 16s .. 16s + 15) and output
// half h (zigzag positions 32h .. 32h + 31), taking from that quarter the
// bytes that land there and zero elsewhere (high bit set).
struct ZigzagShuffles {
    std::int8_t bytes[8][32];
};
constexpr ZigzagShuffles MakeZigzagShuffles() {
    ZigzagShuffles t{};
    for (int s = 0; s < 4; ++s) {
        for (int h = 0; h < 2; ++h) {
            for (int j = 0; j < 32; ++j) {
                const int from = kZigzag[static_cast<std::size_t>(32 * h + j)];
                t.bytes[2 * s + h][j] = static_cast<std::int8_t>(from / 16 == s ? from % 16 : -128);
            }
        }
    }
    return t;
}
constexpr ZigzagShuffles kZigzagShuffles = MakeZigzagShuffles();

// Bit k of the result is byte kZigzag[k] of (low, high), taken as the top bit.
MRV_AVX2 inline std::uint64_t ZigzagBits(__m256i low, __m256i high) {
    // Each source quarter in both halves, as the shuffles work within halves.
    const __m256i quarters[4] = {
        _mm256_permute2x128_si256(low, low, 0x00), _mm256_permute2x128_si256(low, low, 0x11),
        _mm256_permute2x128_si256(high, high, 0x00), _mm256_permute2x128_si256(high, high, 0x11)};
    std::uint64_t bits = 0;
    for (int h = 0; h < 2; ++h) {
        __m256i out = _mm256_setzero_si256();
        for (int s = 0; s < 4; ++s) {
            out = _mm256_or_si256(
                out, _mm256_shuffle_epi8(quarters[s],
                                         _mm256_loadu_si256(reinterpret_cast<const __m256i*>(
                                             kZigzagShuffles.bytes[2 * s + h]))));
        }
        bits |= static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(out)))
                << (32 * h);
    }
    return bits;
}

MRV_AVX2 std::uint64_t Quantize(const std::int16_t coef[64], const Quantizer& quantizer,
                                std::int16_t out[64]) {
    const __m256i z0 = QuantizeSixteen(coef, quantizer, 0, out);
    const __m256i z1 = QuantizeSixteen(coef, quantizer, 16, out);
    const __m256i z2 = QuantizeSixteen(coef, quantizer, 32, out);
    const __m256i z3 = QuantizeSixteen(coef, quantizer, 48, out);
    // The zero flags in zigzag order, turned into the AC terms' mask.
    return ~ZigzagBits(FlagBytes(z0, z1), FlagBytes(z2, z3)) & ~std::uint64_t{1};
}

bool HasAvx2() {
#if defined(_MSC_VER) && !defined(__clang__)
    int info[4];
    __cpuid(info, 0);
    if (info[0] < 7) return false;
    __cpuid(info, 1);
    const bool osSavesYmm = (info[2] & (1 << 27)) && (info[2] & (1 << 28)) &&
                            (_xgetbv(0) & 6) == 6;  // OSXSAVE, AVX; XMM and YMM state
    __cpuidex(info, 7, 0);
    return osSavesYmm && (info[1] & (1 << 5));
#else
    // Also asks whether the system saves the YMM registers.
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
#endif
}

}  // namespace

const Kernels* Avx2Kernels() {
    static const Kernels kAvx2 = {ConvertRow24, ConvertRow32, Downsample, ForwardDcts, Quantize};
    static const bool usable = HasAvx2() && Sse2Kernels() != nullptr;
    return usable ? &kAvx2 : nullptr;
}

#else

const Kernels* Avx2Kernels() {
    return nullptr;
}

#endif

}  // namespace mrv::imaging::jpeg
