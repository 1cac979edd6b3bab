// The encoder's kernels: exact quantisation, colour conversion and
// subsampling, and the SSE2 set against the scalar one (the file must not
// depend on which set ran).
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "JpegTestSupport.h"
#include "imaging/JpegKernels.h"
#include "imaging/JpegTables.h"

namespace mrv::imaging::jpeg {
namespace {

std::vector<const Kernels*> KernelSets() {
    std::vector<const Kernels*> sets = {&ScalarKernels()};
    if (Sse2Kernels()) sets.push_back(Sse2Kernels());
    return sets;
}

// Random blocks, then flat black and white and +-128 patterns.
std::vector<std::array<std::uint8_t, 64>> TestBlocks() {
    std::vector<std::array<std::uint8_t, 64>> blocks(300);
    std::mt19937 rng(7);
    for (auto& b : blocks) {
        for (auto& s : b) s = static_cast<std::uint8_t>(rng());
    }
    for (int pattern = 0; pattern < 5; ++pattern) {
        std::array<std::uint8_t, 64> b;
        for (int i = 0; i < 64; ++i) {
            const int x = i % 8, y = i / 8;
            const bool on = pattern == 0   ? false
                            : pattern == 1 ? true
                            : pattern == 2 ? (x + y) % 2
                            : pattern == 3 ? x % 2
                                           : (x >= 4) != (y >= 4);
            b[static_cast<std::size_t>(i)] = on ? 255 : 0;
        }
        blocks.push_back(b);
    }
    return blocks;
}

TEST(JpegKernels, QuantiserDividesExactlyRoundingHalvesAwayFromZero) {
    int zigzagPosition[64];
    for (int k = 0; k < 64; ++k) zigzagPosition[kZigzag[static_cast<std::size_t>(k)]] = k;
    for (const Kernels* k : KernelSets()) {
        int failures = 0;
        for (int q = 1; q <= 255 && failures < 10; ++q) {
            std::array<std::uint8_t, 64> table;
            table.fill(static_cast<std::uint8_t>(q));
            const Quantizer quantizer = MakeQuantizer(table);
            for (int start = -8192; start <= 8192; start += 64) {  // all DCT outputs
                alignas(16) std::int16_t coef[64], out[64];
                for (int i = 0; i < 64; ++i)
                    coef[i] = static_cast<std::int16_t>(std::min(start + i, 8192));
                const std::uint64_t mask = k->quantize(coef, quantizer, out);
                std::uint64_t expectedMask = 0;
                bool same = true;
                for (int i = 0; i < 64; ++i) {
                    const int expected =
                        (coef[i] < 0 ? -1 : 1) * ((std::abs(coef[i]) + 4 * q) / (8 * q));
                    same = same && out[i] == expected;
                    if (expected != 0 && i != 0) expectedMask |= 1ull << zigzagPosition[i];
                }
                if (!same || mask != expectedMask) {
                    ADD_FAILURE() << "Q=" << q << " coefficients from " << start;
                    ++failures;
                }
            }
        }
    }
}

TEST(JpegKernels, ColourFollowsJfifAndSubsamplingRoundsAlternately) {
    std::mt19937 rng(11);
    for (const Kernels* k : KernelSets()) {
        // Rows of every short width, sized exactly so that a read past the
        // end trips the sanitizer; the 32-bit rows carry junk in byte 4.
        for (int width = 1; width <= 40; ++width) {
            jpegtest::Bytes row24(width * 3u), row32(width * 4u), ycc(width * 3u), ycc4(width * 3u);
            for (int i = 0; i < width * 4; ++i) {
                row32[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(rng());
                if (i % 4 != 3) row24[static_cast<std::size_t>(i / 4 * 3 + i % 4)] = row32[i];
            }
            k->convertRow24(row24.data(), width, &ycc[0], &ycc[width], &ycc[2u * width]);
            k->convertRow32(row32.data(), width, &ycc4[0], &ycc4[width], &ycc4[2u * width]);
            EXPECT_EQ(ycc, ycc4);
            for (int x = 0; x < width; ++x) {
                const double b = row24[3u * x], g = row24[3u * x + 1], r = row24[3u * x + 2];
                EXPECT_NEAR(ycc[x], 0.299 * r + 0.587 * g + 0.114 * b, 0.51);
                EXPECT_NEAR(ycc[width + x], -0.1687 * r - 0.3313 * g + 0.5 * b + 128, 0.51);
                EXPECT_NEAR(ycc[2 * width + x], 0.5 * r - 0.4187 * g - 0.0813 * b + 128, 0.51);
            }
        }
        // Grey stays grey; pure blue and red reach 255 (not 256, which wraps).
        jpegtest::Bytes grey(256 * 3), y(256), cb(256), cr(256);
        for (int v = 0; v < 256; ++v) std::memset(&grey[v * 3u], v, 3);
        k->convertRow24(grey.data(), 256, y.data(), cb.data(), cr.data());
        for (int v = 0; v < 256; ++v) ASSERT_TRUE(y[v] == v && cb[v] == 128 && cr[v] == 128) << v;
        const std::uint8_t blueRed[6] = {255, 0, 0, 0, 0, 255};
        k->convertRow24(blueRed, 2, y.data(), cb.data(), cr.data());
        EXPECT_TRUE(cb[0] == 255 && cr[1] == 255);

        // Each 2 x 2 sum is 2, an exact half: rounds down, up, down, up...
        jpegtest::Bytes rows(64, 0), out(16);
        std::fill(rows.begin(), rows.begin() + 32, 1);
        k->downsample(rows.data(), 32, out.data());
        for (int x = 0; x < 16; ++x) EXPECT_EQ(out[x], x % 2) << x;
    }
}

TEST(JpegKernels, Sse2KernelsComputeTheScalarResults) {
    const Kernels* simd = Sse2Kernels();
    if (!simd) GTEST_SKIP() << "no SSE2 in this build";
    const Kernels& scalar = ScalarKernels();
    for (int quality : {1, 50, 90, 100}) {
        const Quantizer q = MakeQuantizer(ScaleQuantTable(kBaseLuminanceQuant, quality));
        for (const auto& block : TestBlocks()) {
            alignas(16) std::int16_t a[64], b[64], qa[64], qb[64];
            scalar.forwardDct(block.data(), 8, a);
            simd->forwardDct(block.data(), 8, b);
            ASSERT_TRUE(std::equal(a, a + 64, b));
            EXPECT_EQ(scalar.quantize(a, q, qa), simd->quantize(a, q, qb));
            ASSERT_TRUE(std::equal(qa, qa + 64, qb));
        }
    }
    std::mt19937 rng(3);
    for (int width : {2, 16, 30, 48, 66}) {
        jpegtest::Bytes rows(width * 2u), a(width / 2u), b(width / 2u);
        for (auto& v : rows) v = static_cast<std::uint8_t>(rng());
        scalar.downsample(rows.data(), width, a.data());
        simd->downsample(rows.data(), width, b.data());
        EXPECT_EQ(a, b) << width;
    }
    for (auto [w, h, quality] : {std::tuple{61, 35, 75}, {16, 16, 95}, {129, 70, 20}}) {
        const jpegtest::Picture pic = jpegtest::WavePicture(w, h, true);
        VectorSink fromScalar, fromSimd;
        ASSERT_TRUE(EncodeWith(scalar, pic.View(), quality, fromScalar));
        ASSERT_TRUE(EncodeWith(*simd, pic.View(), quality, fromSimd));
        EXPECT_EQ(fromScalar.bytes, fromSimd.bytes) << w << "x" << h;
    }
}

}  // namespace
}  // namespace mrv::imaging::jpeg
