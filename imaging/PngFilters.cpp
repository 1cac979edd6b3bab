#include "imaging/PngFilters.h"

#include <cstdlib>
#include <cstring>
#include <new>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define MRV_PNG_SSE2 1
#else
#define MRV_PNG_SSE2 0
#endif

namespace mrv::imaging {
namespace {

constexpr std::size_t kBpp = 3;

// |v| with v taken as a signed byte.
inline unsigned SignedMagnitude(unsigned v) {
    return v < 128 ? v : 256 - v;
}

inline int PaethPredictor(int a, int b, int c) {
    const int pa = std::abs(b - c);
    const int pb = std::abs(a - c);
    const int pc = std::abs(a + b - 2 * c);
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

#if MRV_PNG_SSE2
inline __m128i Magnitude(__m128i v) {
    // min(v, 256 - v) as unsigned bytes is |v| as a signed byte (128 stays 128).
    return _mm_min_epu8(v, _mm_sub_epi8(_mm_setzero_si128(), v));
}

inline __m128i Abs16(__m128i v) {
    return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v));
}

// Paeth predictor for 8 pixels' bytes held in 16-bit lanes.
inline __m128i Paeth16(__m128i a, __m128i b, __m128i c) {
    const __m128i bc = _mm_sub_epi16(b, c);
    const __m128i ac = _mm_sub_epi16(a, c);
    const __m128i pa = Abs16(bc);
    const __m128i pb = Abs16(ac);
    const __m128i pc = Abs16(_mm_add_epi16(bc, ac));
    // Not a: pa > pb or pa > pc. Then c if pb > pc, else b.
    const __m128i notA = _mm_or_si128(_mm_cmpgt_epi16(pa, pb), _mm_cmpgt_epi16(pa, pc));
    const __m128i takeC = _mm_cmpgt_epi16(pb, pc);
    const __m128i bOrC = _mm_or_si128(_mm_and_si128(takeC, c), _mm_andnot_si128(takeC, b));
    return _mm_or_si128(_mm_and_si128(notA, bOrC), _mm_andnot_si128(notA, a));
}

inline __m128i PaethPredictor16(__m128i a, __m128i b, __m128i c) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i lo =
        Paeth16(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero), _mm_unpacklo_epi8(c, zero));
    const __m128i hi =
        Paeth16(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero), _mm_unpackhi_epi8(c, zero));
    return _mm_packus_epi16(lo, hi);
}
#endif

}  // namespace

bool RowFilter::Allocate() {
    const std::size_t each = length_ + 1;
    storage_.reset(new (std::nothrow) std::uint8_t[5 * each]);
    if (!storage_) return false;
    for (int f = 0; f < 5; ++f) {
        outputs_[f] = storage_.get() + static_cast<std::size_t>(f) * each;
        outputs_[f][0] = static_cast<std::uint8_t>(f);
    }
    return true;
}

const std::uint8_t* RowFilter::Adaptive(const std::uint8_t* cur, const std::uint8_t* prev) {
    std::uint8_t* sub = outputs_[kFilterSub] + 1;
    std::uint8_t* up = outputs_[kFilterUp] + 1;
    std::uint8_t* avg = outputs_[kFilterAverage] + 1;
    std::uint8_t* paeth = outputs_[kFilterPaeth] + 1;
    std::uint64_t sums[5] = {0, 0, 0, 0, 0};
    std::size_t i = 0;
#if MRV_PNG_SSE2
    {
        const __m128i zero = _mm_setzero_si128();
        const __m128i one = _mm_set1_epi8(1);
        __m128i s0 = zero, s1 = zero, s2 = zero, s3 = zero, s4 = zero;
        for (; i + 16 <= length_; i += 16) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cur + i));
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cur + i - kBpp));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(prev + i));
            const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(prev + i - kBpp));
            const __m128i vSub = _mm_sub_epi8(x, a);
            const __m128i vUp = _mm_sub_epi8(x, b);
            // floor((a + b) / 2): pavgb rounds up, so take back the odd bit.
            const __m128i mean =
                _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), one));
            const __m128i vAvg = _mm_sub_epi8(x, mean);
            const __m128i vPaeth = _mm_sub_epi8(x, PaethPredictor16(a, b, c));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(sub + i), vSub);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(up + i), vUp);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(avg + i), vAvg);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(paeth + i), vPaeth);
            s0 = _mm_add_epi64(s0, _mm_sad_epu8(Magnitude(x), zero));
            s1 = _mm_add_epi64(s1, _mm_sad_epu8(Magnitude(vSub), zero));
            s2 = _mm_add_epi64(s2, _mm_sad_epu8(Magnitude(vUp), zero));
            s3 = _mm_add_epi64(s3, _mm_sad_epu8(Magnitude(vAvg), zero));
            s4 = _mm_add_epi64(s4, _mm_sad_epu8(Magnitude(vPaeth), zero));
        }
        const __m128i* all[5] = {&s0, &s1, &s2, &s3, &s4};
        for (int f = 0; f < 5; ++f) {
            alignas(16) std::uint64_t halves[2];
            _mm_store_si128(reinterpret_cast<__m128i*>(halves), *all[f]);
            sums[f] = halves[0] + halves[1];
        }
    }
#endif
    for (; i < length_; ++i) {
        const int x = cur[i];
        const int a = cur[i - kBpp];
        const int b = prev[i];
        const int c = prev[i - kBpp];
        sub[i] = static_cast<std::uint8_t>(x - a);
        up[i] = static_cast<std::uint8_t>(x - b);
        avg[i] = static_cast<std::uint8_t>(x - ((a + b) >> 1));
        paeth[i] = static_cast<std::uint8_t>(x - PaethPredictor(a, b, c));
        sums[0] += SignedMagnitude(static_cast<unsigned>(x));
        sums[1] += SignedMagnitude(sub[i]);
        sums[2] += SignedMagnitude(up[i]);
        sums[3] += SignedMagnitude(avg[i]);
        sums[4] += SignedMagnitude(paeth[i]);
    }
    int best = 0;
    for (int f = 1; f < 5; ++f) {
        if (sums[f] < sums[best]) best = f;
    }
    if (best == kFilterNone) std::memcpy(outputs_[kFilterNone] + 1, cur, length_);
    return outputs_[best];
}

}  // namespace mrv::imaging
