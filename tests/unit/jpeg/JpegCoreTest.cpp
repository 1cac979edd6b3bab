// The encoder's building blocks: standard tables, DCT accuracy, exact
// quantisation, colour conversion, and the SSE2 kernels against the scalar
// ones (the file must not depend on which set ran).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <set>

#include "JpegTestSupport.h"
#include "imaging/JpegKernels.h"
#include "imaging/JpegTables.h"

namespace mrv::imaging::jpeg {
namespace {

std::vector<const Kernels*> AllKernelSets() {
    std::vector<const Kernels*> sets = {&ScalarKernels()};
    if (Sse2Kernels()) sets.push_back(Sse2Kernels());
    return sets;
}

TEST(JpegTables, StandardHuffmanTablesAreCompletePrefixCodes) {
    std::set<int> acSymbols = {0x00, 0xF0};
    for (int run = 0; run < 16; ++run) {
        for (int size = 1; size <= 10; ++size) acSymbols.insert(run << 4 | size);
    }
    const std::set<int> dcSymbols = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    for (const HuffmanSpec* spec : {&kDcLuminanceHuffman, &kAcLuminanceHuffman,
                                    &kDcChrominanceHuffman, &kAcChrominanceHuffman}) {
        int total = 0;
        for (int count : spec->counts) total += count;
        ASSERT_EQ(total, spec->symbolCount);
        const std::set<int> symbols(spec->symbols, spec->symbols + spec->symbolCount);
        EXPECT_EQ(symbols, spec->symbolCount == 12 ? dcSymbols : acSymbols);

        const auto codes = BuildHuffmanCodes(*spec);
        std::vector<HuffmanCode> used;
        for (int s : symbols) used.push_back(codes[static_cast<std::size_t>(s)]);
        for (const HuffmanCode& a : used) {
            // No code is all ones (reserved), none is a prefix of another.
            EXPECT_NE(a.code, (1u << a.length) - 1);
            for (const HuffmanCode& b : used) {
                if (&a == &b || a.length > b.length) continue;
                EXPECT_NE(b.code >> (b.length - a.length), a.code);
            }
        }
    }
}

constexpr double kPi = 3.14159265358979323846;

// 8 x the orthonormal 2-D DCT of the level-shifted block, in doubles.
std::vector<double> ExactDct(const std::uint8_t* block) {
    std::vector<double> out(64);
    for (int v = 0; v < 8; ++v) {
        for (int u = 0; u < 8; ++u) {
            double sum = 0;
            for (int y = 0; y < 8; ++y) {
                for (int x = 0; x < 8; ++x) {
                    sum += (block[8 * y + x] - 128.0) * std::cos((2 * x + 1) * u * kPi / 16) *
                           std::cos((2 * y + 1) * v * kPi / 16);
                }
            }
            const double cu = u ? 1 : std::sqrt(0.5), cv = v ? 1 : std::sqrt(0.5);
            out[8 * v + u] = 8 * 0.25 * cu * cv * sum;
        }
    }
    return out;
}

std::vector<std::vector<std::uint8_t>> TestBlocks() {
    std::vector<std::vector<std::uint8_t>> blocks;
    std::mt19937 rng(7);
    for (int i = 0; i < 300; ++i) {
        std::vector<std::uint8_t> b(64);
        for (auto& s : b) s = static_cast<std::uint8_t>(rng());
        blocks.push_back(b);
    }
    for (int pattern = 0; pattern < 6; ++pattern) {  // extremes: flat and +-128 waves
        std::vector<std::uint8_t> b(64);
        for (int i = 0; i < 64; ++i) {
            const int x = i % 8, y = i / 8;
            const bool on = pattern == 0   ? false
                            : pattern == 1 ? true
                            : pattern == 2 ? (x + y) % 2 == 1
                            : pattern == 3 ? x % 2 == 0
                            : pattern == 4 ? (x >= 4) != (y >= 4)
                                           : (x ^ y) & 2;
            b[static_cast<std::size_t>(i)] = on ? 255 : 0;
        }
        blocks.push_back(b);
    }
    return blocks;
}

TEST(JpegKernels, ForwardDctIsEightTimesTheExactTransformWithinRounding) {
    for (const Kernels* k : AllKernelSets()) {
        double worst = 0;
        for (const auto& block : TestBlocks()) {
            alignas(16) std::int16_t out[64];
            k->forwardDct(block.data(), 8, out);
            const auto exact = ExactDct(block.data());
            for (int i = 0; i < 64; ++i) {
                worst = std::max(worst, std::fabs(out[i] - exact[static_cast<std::size_t>(i)]));
            }
        }
        EXPECT_LT(worst, 2.5);
    }
}

TEST(JpegKernels, QuantiserDividesExactlyRoundingHalvesAwayFromZero) {
    int zigzagPosition[64];
    for (int k = 0; k < 64; ++k) zigzagPosition[kZigzag[static_cast<std::size_t>(k)]] = k;
    for (const Kernels* k : AllKernelSets()) {
        int mismatches = 0;
        for (int q = 1; q <= 255; ++q) {
            std::array<std::uint8_t, 64> table;
            table.fill(static_cast<std::uint8_t>(q));
            const Quantizer quantizer = MakeQuantizer(table);
            // Every coefficient value the DCT can produce.
            for (int start = -8192; start <= 8192; start += 64) {
                alignas(16) std::int16_t coef[64], out[64];
                std::uint64_t expectedMask = 0;
                bool same = true;
                for (int i = 0; i < 64; ++i) {
                    coef[i] = static_cast<std::int16_t>(std::min(start + i, 8192));
                }
                const std::uint64_t mask = k->quantize(coef, quantizer, out);
                for (int i = 0; i < 64; ++i) {
                    const int c = coef[i], a = std::abs(c);
                    const int expected = (c < 0 ? -1 : 1) * ((a + 4 * q) / (8 * q));
                    same = same && out[i] == expected;
                    if (expected != 0 && i != 0) expectedMask |= 1ull << zigzagPosition[i];
                }
                if (!same || mask != expectedMask) {
                    ADD_FAILURE() << "Q=" << q << " coefficients from " << start;
                    if (++mismatches > 10) return;
                }
            }
        }
    }
}

TEST(JpegKernels, ColourConversionFollowsJfifAndKeepsGreyNeutral) {
    std::mt19937 rng(11);
    for (const Kernels* k : AllKernelSets()) {
        for (int width = 1; width <= 300; width += width < 40 ? 1 : 37) {
            // Exactly sized rows, so reading past the end trips the sanitizer.
            std::vector<std::uint8_t> row24(static_cast<std::size_t>(width) * 3);
            std::vector<std::uint8_t> row32(static_cast<std::size_t>(width) * 4);
            for (int x = 0; x < width; ++x) {
                const int b = rng() & 255, g = rng() & 255, r = rng() & 255;
                const int pick = x % 7;  // mix in the corners of the colour cube
                const std::uint8_t bgr[3] = {
                    static_cast<std::uint8_t>(pick == 1   ? 255
                                              : pick == 2 ? 0
                                                          : b),
                    static_cast<std::uint8_t>(pick == 1 || pick == 3 ? 0 : g),
                    static_cast<std::uint8_t>(pick == 2   ? 255
                                              : pick == 1 ? 0
                                                          : r)};
                std::memcpy(&row24[static_cast<std::size_t>(x) * 3], bgr, 3);
                std::memcpy(&row32[static_cast<std::size_t>(x) * 4], bgr, 3);
                row32[static_cast<std::size_t>(x) * 4 + 3] = static_cast<std::uint8_t>(rng());
            }
            std::vector<std::uint8_t> y(width), cb(width), cr(width);
            std::vector<std::uint8_t> y4(width), cb4(width), cr4(width);
            k->convertRow24(row24.data(), width, y.data(), cb.data(), cr.data());
            k->convertRow32(row32.data(), width, y4.data(), cb4.data(), cr4.data());
            EXPECT_EQ(y, y4);
            EXPECT_EQ(cb, cb4);
            EXPECT_EQ(cr, cr4);
            for (int x = 0; x < width; ++x) {
                const double b = row24[3 * x], g = row24[3 * x + 1], r = row24[3 * x + 2];
                EXPECT_NEAR(y[x], 0.299 * r + 0.587 * g + 0.114 * b, 0.51);
                EXPECT_NEAR(cb[x], std::min(255.0, -0.1687 * r - 0.3313 * g + 0.5 * b + 128), 0.51);
                EXPECT_NEAR(cr[x], std::min(255.0, 0.5 * r - 0.4187 * g - 0.0813 * b + 128), 0.51);
            }
        }
        // Grey stays grey; saturated blue and red reach 255, not 256 (0).
        std::vector<std::uint8_t> grey(256 * 3);
        for (int v = 0; v < 256; ++v) std::memset(&grey[static_cast<std::size_t>(v) * 3], v, 3);
        std::vector<std::uint8_t> y(256), cb(256), cr(256);
        k->convertRow24(grey.data(), 256, y.data(), cb.data(), cr.data());
        for (int v = 0; v < 256; ++v) {
            EXPECT_EQ(y[v], v);
            EXPECT_EQ(cb[v], 128);
            EXPECT_EQ(cr[v], 128);
        }
        const std::uint8_t blueRed[6] = {255, 0, 0, 0, 0, 255};
        k->convertRow24(blueRed, 2, y.data(), cb.data(), cr.data());
        EXPECT_EQ(cb[0], 255);
        EXPECT_EQ(cr[1], 255);
    }
}

TEST(JpegKernels, DownsampleAveragesTwoByTwoWithAlternatingRounding) {
    for (const Kernels* k : AllKernelSets()) {
        // Every 2 x 2 sum is 2 (an exact half): rounds down, up, down, up...
        std::vector<std::uint8_t> rows(64, 0);
        for (int x = 0; x < 32; ++x) rows[static_cast<std::size_t>(x)] = 1;
        std::vector<std::uint8_t> out(16);
        k->downsample(rows.data(), 32, out.data());
        for (int x = 0; x < 16; ++x) EXPECT_EQ(out[x], x % 2) << x;
        // Saturated input stays saturated.
        std::fill(rows.begin(), rows.end(), 255);
        k->downsample(rows.data(), 32, out.data());
        for (int x = 0; x < 16; ++x) EXPECT_EQ(out[x], 255);
    }
}

TEST(JpegKernels, Sse2KernelsComputeTheScalarResults) {
    const Kernels* simd = Sse2Kernels();
    if (!simd) GTEST_SKIP() << "no SSE2 in this build";
    const Kernels& scalar = ScalarKernels();
    std::array<std::uint8_t, 64> table;
    for (int quality : {1, 50, 90, 100}) {
        table = ScaleQuantTable(kBaseLuminanceQuant, quality);
        const Quantizer q = MakeQuantizer(table);
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
        std::vector<std::uint8_t> rows(static_cast<std::size_t>(width) * 2);
        for (auto& v : rows) v = static_cast<std::uint8_t>(rng());
        std::vector<std::uint8_t> a(width / 2), b(width / 2);
        scalar.downsample(rows.data(), width, a.data());
        simd->downsample(rows.data(), width, b.data());
        EXPECT_EQ(a, b) << width;
    }
    // Whole files, through every kernel.
    for (auto [w, h, quality] : {std::tuple{61, 35, 75}, {16, 16, 95}, {129, 70, 20}}) {
        const jpegtest::Picture pic = jpegtest::BusyPicture(w, h, 21);
        VectorSink fromScalar, fromSimd;
        ASSERT_TRUE(EncodeWith(scalar, pic.View(), quality, fromScalar));
        ASSERT_TRUE(EncodeWith(*simd, pic.View(), quality, fromSimd));
        EXPECT_EQ(fromScalar.bytes, fromSimd.bytes) << w << "x" << h;
    }
}

}  // namespace
}  // namespace mrv::imaging::jpeg
