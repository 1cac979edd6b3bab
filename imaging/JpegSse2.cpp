// SSE2 kernels of the JPEG encoder. They compute exactly the integers of the
// scalar kernels (JpegScalar.cpp), only eight or four lanes at a time, so the
// output file is the same whichever set ran.
#include "imaging/JpegKernels.h"

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#define MRV_JPEG_HAVE_SSE2 1
#include <emmintrin.h>
#endif

namespace mrv::imaging::jpeg {

#if defined(MRV_JPEG_HAVE_SSE2)

namespace {

// Two 16-bit factors per 32-bit lane for pmaddwd: lane = lo * a + hi * b.
inline __m128i Pair(int lo, int hi) {
    return _mm_set1_epi32(static_cast<int>((static_cast<unsigned>(hi) << 16) |
                                           (static_cast<unsigned>(lo) & 0xFFFFu)));
}

// --- Colour conversion ------------------------------------------------------
// Same sums as the scalar tables: with a pixel as the 32-bit lane B | G << 8 |
// R << 16 | X << 24, the masks give the 16-bit pairs (B, R) and (G, X) for
// pmaddwd. Factors that do not fit 16 bits (0.587 and 0.5 in 16-bit fixed
// point) are split as 32768 * channel, added as a shifted channel.
constexpr int kYR = 19595, kYG = 38470, kYB = 7471;
constexpr int kCbR = 11059, kCbG = 21709;
constexpr int kCrG = 27439, kCrB = 5329;
constexpr int kLumaBias = 1 << 15;
constexpr int kChromaBias = (128 << 16) + (1 << 15) - 1;

// Four pixels (one per 32-bit lane, top byte ignored) to four Y, Cb, Cr each.
inline void ConvertFour(__m128i p, __m128i& y, __m128i& cb, __m128i& cr) {
    const __m128i lowBytes = _mm_set1_epi32(0x00FF00FF);
    const __m128i br = _mm_and_si128(p, lowBytes);
    const __m128i gx = _mm_and_si128(_mm_srli_epi32(p, 8), lowBytes);
    const __m128i g15 = _mm_slli_epi32(_mm_and_si128(p, _mm_set1_epi32(0xFF00)), 7);
    const __m128i b15 = _mm_slli_epi32(_mm_and_si128(p, _mm_set1_epi32(0xFF)), 15);
    const __m128i r15 = _mm_and_si128(_mm_srli_epi32(p, 1), _mm_set1_epi32(0xFF << 15));

    __m128i v =
        _mm_add_epi32(_mm_madd_epi16(br, Pair(kYB, kYR)), _mm_madd_epi16(gx, Pair(kYG - 32768, 0)));
    v = _mm_add_epi32(v, _mm_add_epi32(g15, _mm_set1_epi32(kLumaBias)));
    y = _mm_srli_epi32(v, 16);

    v = _mm_add_epi32(_mm_madd_epi16(br, Pair(0, -kCbR)), _mm_madd_epi16(gx, Pair(-kCbG, 0)));
    v = _mm_add_epi32(v, _mm_add_epi32(b15, _mm_set1_epi32(kChromaBias)));
    cb = _mm_srli_epi32(v, 16);

    v = _mm_add_epi32(_mm_madd_epi16(br, Pair(-kCrB, 0)), _mm_madd_epi16(gx, Pair(-kCrG, 0)));
    v = _mm_add_epi32(v, _mm_add_epi32(r15, _mm_set1_epi32(kChromaBias)));
    cr = _mm_srli_epi32(v, 16);
}

// Eight pixels in two registers to eight bytes of each plane.
inline void ConvertEight(__m128i p0, __m128i p1, std::uint8_t* y, std::uint8_t* cb,
                         std::uint8_t* cr) {
    __m128i y0, cb0, cr0, y1, cb1, cr1;
    ConvertFour(p0, y0, cb0, cr0);
    ConvertFour(p1, y1, cb1, cr1);
    const auto store = [](std::uint8_t* dst, __m128i a, __m128i b) {
        const __m128i words = _mm_packs_epi32(a, b);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(dst), _mm_packus_epi16(words, words));
    };
    store(y, y0, y1);
    store(cb, cb0, cb1);
    store(cr, cr0, cr1);
}

// Twelve bytes B G R B G R ... at `src` (16 readable) to four 32-bit lanes.
inline __m128i LoadFour24(const std::uint8_t* src) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
    const __m128i p01 = _mm_unpacklo_epi32(v, _mm_srli_si128(v, 3));
    const __m128i p23 = _mm_unpacklo_epi32(_mm_srli_si128(v, 6), _mm_srli_si128(v, 9));
    return _mm_unpacklo_epi64(p01, p23);
}

void ConvertRow24(const std::uint8_t* src, int width, std::uint8_t* y, std::uint8_t* cb,
                  std::uint8_t* cr) {
    int x = 0;
    // The second load of a step reads bytes up to 3x + 28: stay inside the row.
    for (; x + 10 <= width; x += 8) {
        ConvertEight(LoadFour24(src + 3 * x), LoadFour24(src + 3 * x + 12), y + x, cb + x, cr + x);
    }
    if (x < width) ScalarKernels().convertRow24(src + 3 * x, width - x, y + x, cb + x, cr + x);
}

void ConvertRow32(const std::uint8_t* src, int width, std::uint8_t* y, std::uint8_t* cb,
                  std::uint8_t* cr) {
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        const __m128i p0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 4 * x));
        const __m128i p1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 4 * x + 16));
        ConvertEight(p0, p1, y + x, cb + x, cr + x);
    }
    if (x < width) ScalarKernels().convertRow32(src + 4 * x, width - x, y + x, cb + x, cr + x);
}

void Downsample(const std::uint8_t* top, int fullWidth, std::uint8_t* out) {
    const std::uint8_t* bottom = top + fullWidth;
    const __m128i lowByte = _mm_set1_epi16(0x00FF);
    const __m128i bias = _mm_set_epi16(2, 1, 2, 1, 2, 1, 2, 1);  // 1 at even outputs
    const int outputs = fullWidth / 2;
    int x = 0;
    for (; x + 8 <= outputs; x += 8) {
        const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(top + 2 * x));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bottom + 2 * x));
        __m128i sum = _mm_add_epi16(_mm_and_si128(t, lowByte), _mm_srli_epi16(t, 8));
        sum = _mm_add_epi16(sum, _mm_add_epi16(_mm_and_si128(b, lowByte), _mm_srli_epi16(b, 8)));
        sum = _mm_srli_epi16(_mm_add_epi16(sum, bias), 2);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + x), _mm_packus_epi16(sum, sum));
    }
    for (; x < outputs; ++x) {
        const int sum = top[2 * x] + top[2 * x + 1] + bottom[2 * x] + bottom[2 * x + 1];
        out[x] = static_cast<std::uint8_t>((sum + 1 + (x & 1)) >> 2);
    }
}

// --- DCT --------------------------------------------------------------------
// The scalar LLM butterflies on eight rows (or columns) at once in 16-bit
// lanes. Every product sum of the scalar code is a fixed integer combination
// of two pairs of inputs, here one pmaddwd per pair, e.g. for frequency 1:
//   t7 * 12299 + (t4 + t7) * -7373 + (t5 + t7) * -3196 + (t4..t7) * 9633
//     = t4 * 2260 + t5 * 6437 + t6 * 9633 + t7 * 11363.
// Ranges: first-pass outputs stay within +-4096 and eight of them sum to at
// least -32768, so the second pass's even part fits 16 bits as well.

inline void Transpose(__m128i r[8]) {
    const __m128i a0 = _mm_unpacklo_epi16(r[0], r[1]), a1 = _mm_unpackhi_epi16(r[0], r[1]);
    const __m128i a2 = _mm_unpacklo_epi16(r[2], r[3]), a3 = _mm_unpackhi_epi16(r[2], r[3]);
    const __m128i a4 = _mm_unpacklo_epi16(r[4], r[5]), a5 = _mm_unpackhi_epi16(r[4], r[5]);
    const __m128i a6 = _mm_unpacklo_epi16(r[6], r[7]), a7 = _mm_unpackhi_epi16(r[6], r[7]);
    const __m128i b0 = _mm_unpacklo_epi32(a0, a2), b1 = _mm_unpackhi_epi32(a0, a2);
    const __m128i b2 = _mm_unpacklo_epi32(a1, a3), b3 = _mm_unpackhi_epi32(a1, a3);
    const __m128i b4 = _mm_unpacklo_epi32(a4, a6), b5 = _mm_unpackhi_epi32(a4, a6);
    const __m128i b6 = _mm_unpacklo_epi32(a5, a7), b7 = _mm_unpackhi_epi32(a5, a7);
    r[0] = _mm_unpacklo_epi64(b0, b4);
    r[1] = _mm_unpackhi_epi64(b0, b4);
    r[2] = _mm_unpacklo_epi64(b1, b5);
    r[3] = _mm_unpackhi_epi64(b1, b5);
    r[4] = _mm_unpacklo_epi64(b2, b6);
    r[5] = _mm_unpackhi_epi64(b2, b6);
    r[6] = _mm_unpacklo_epi64(b3, b7);
    r[7] = _mm_unpackhi_epi64(b3, b7);
}

// Interleaved (a, b) pairs, low and high four lanes.
struct Pairs {
    __m128i lo, hi;
};
inline Pairs Interleave(__m128i a, __m128i b) {
    return {_mm_unpacklo_epi16(a, b), _mm_unpackhi_epi16(a, b)};
}

// (sum of pair products + 2^(shift-1)) >> shift, back to 16 bits.
template <int kShift>
inline __m128i Round(__m128i lo, __m128i hi) {
    const __m128i round = _mm_set1_epi32(1 << (kShift - 1));
    lo = _mm_srai_epi32(_mm_add_epi32(lo, round), kShift);
    hi = _mm_srai_epi32(_mm_add_epi32(hi, round), kShift);
    return _mm_packs_epi32(lo, hi);
}

template <int kShift>
inline __m128i Rotate(const Pairs& p, __m128i k) {
    return Round<kShift>(_mm_madd_epi16(p.lo, k), _mm_madd_epi16(p.hi, k));
}

template <int kShift>
inline __m128i Rotate(const Pairs& p, __m128i k, const Pairs& q, __m128i l) {
    return Round<kShift>(_mm_add_epi32(_mm_madd_epi16(p.lo, k), _mm_madd_epi16(q.lo, l)),
                         _mm_add_epi32(_mm_madd_epi16(p.hi, k), _mm_madd_epi16(q.hi, l)));
}

// One 1-D pass over the eight registers; lane i of the inputs is one line.
// The first pass levels by 128 and keeps two fraction bits, the second
// drops them.
template <bool kFirst>
inline void DctPass(__m128i d[8]) {
    constexpr int kShift = kFirst ? 11 : 15;
    const __m128i t0 = _mm_add_epi16(d[0], d[7]), t7 = _mm_sub_epi16(d[0], d[7]);
    const __m128i t1 = _mm_add_epi16(d[1], d[6]), t6 = _mm_sub_epi16(d[1], d[6]);
    const __m128i t2 = _mm_add_epi16(d[2], d[5]), t5 = _mm_sub_epi16(d[2], d[5]);
    const __m128i t3 = _mm_add_epi16(d[3], d[4]), t4 = _mm_sub_epi16(d[3], d[4]);
    const __m128i t10 = _mm_add_epi16(t0, t3), t13 = _mm_sub_epi16(t0, t3);
    const __m128i t11 = _mm_add_epi16(t1, t2), t12 = _mm_sub_epi16(t1, t2);

    if (kFirst) {
        d[0] = _mm_slli_epi16(_mm_sub_epi16(_mm_add_epi16(t10, t11), _mm_set1_epi16(8 * 128)), 2);
        d[4] = _mm_slli_epi16(_mm_sub_epi16(t10, t11), 2);
    } else {
        const __m128i two = _mm_set1_epi16(2);
        d[0] = _mm_srai_epi16(_mm_add_epi16(_mm_add_epi16(t10, t11), two), 2);
        d[4] = _mm_srai_epi16(_mm_add_epi16(_mm_sub_epi16(t10, t11), two), 2);
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

void ForwardDct(const std::uint8_t* samples, std::ptrdiff_t stride, std::int16_t out[64]) {
    const __m128i zero = _mm_setzero_si128();
    __m128i d[8];
    for (int r = 0; r < 8; ++r) {
        const __m128i bytes =
            _mm_loadl_epi64(reinterpret_cast<const __m128i*>(samples + r * stride));
        d[r] = _mm_unpacklo_epi8(bytes, zero);
    }
    Transpose(d);  // lanes = rows: the first pass runs along each row
    DctPass<true>(d);
    Transpose(d);  // lanes = columns
    DctPass<false>(d);
    for (int r = 0; r < 8; ++r) _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8 * r), d[r]);
}

void ForwardDcts(const std::uint8_t* samples, std::ptrdiff_t stride, int count, std::int16_t* out) {
    for (int i = 0; i < count; ++i) ForwardDct(samples + 8 * i, stride, out + 64 * i);
}

// --- Quantisation -----------------------------------------------------------

std::uint64_t Quantize(const std::int16_t coef[64], const Quantizer& quantizer,
                       std::int16_t out[64]) {
    const __m128i zero = _mm_setzero_si128();
    std::uint64_t zeroMask = 0;
    for (int i = 0; i < 8; i += 2) {
        __m128i isZero[2];
        for (int j = 0; j < 2; ++j) {
            const int n = 8 * (i + j);
            const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(coef + n));
            const __m128i half =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(quantizer.half + n));
            const __m128i mul =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(quantizer.multiplier + n));
            const __m128i post =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(quantizer.postScale + n));
            const __m128i sign = _mm_srai_epi16(c, 15);
            const __m128i magnitude = _mm_sub_epi16(_mm_xor_si128(c, sign), sign);
            // y << 5 with y = (|c| + 4Q) >> 3 < 2^11: at most 16 unsigned bits.
            const __m128i y32 =
                _mm_slli_epi16(_mm_srli_epi16(_mm_add_epi16(magnitude, half), 3), 5);
            const __m128i q = _mm_mulhi_epu16(_mm_mulhi_epu16(y32, mul), post);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + n),
                             _mm_sub_epi16(_mm_xor_si128(q, sign), sign));
            isZero[j] = _mm_cmpeq_epi16(q, zero);
        }
        const unsigned bits =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(isZero[0], isZero[1])));
        zeroMask |= static_cast<std::uint64_t>(bits) << (8 * i);
    }
    return NaturalToZigzagMask(~zeroMask);
}

}  // namespace

const Kernels* Sse2Kernels() {
    static const Kernels kSse2 = {ConvertRow24, ConvertRow32, Downsample, ForwardDcts, Quantize};
    return &kSse2;
}

#else

const Kernels* Sse2Kernels() {
    return nullptr;
}

#endif

}  // namespace mrv::imaging::jpeg
