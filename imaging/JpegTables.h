// Fixed tables of the baseline JPEG encoder: coefficient order, the base
// quantisation tables and their quality scaling, and the standard Huffman
// tables (counts per code length and symbols, as they go into a DHT segment).
#pragma once

#include <array>
#include <cstdint>

namespace mrv::imaging::jpeg {

// kZigzag[k] is the row-major index (row * 8 + column) of the k-th coefficient
// in the order the file stores them.
inline constexpr std::array<std::uint8_t, 64> kZigzag = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63,
};

// Base tables for quality 50, row-major.
extern const std::array<std::uint8_t, 64> kBaseLuminanceQuant;
extern const std::array<std::uint8_t, 64> kBaseChrominanceQuant;

// Clamps to 1..100; 0 and below become 1.
int ClampQuality(int quality);

// Scales a base table for `quality` (already clamped): below 50 by 5000 / q
// percent, from 50 on by 200 - 2q percent, rounded, each entry kept within
// 1..255 so every table fits an 8-bit baseline DQT. Row-major in and out.
std::array<std::uint8_t, 64> ScaleQuantTable(const std::array<std::uint8_t, 64>& base, int quality);

struct HuffmanSpec {
    std::uint8_t counts[16];      // number of codes of length 1..16
    const std::uint8_t* symbols;  // in order of increasing code
    int symbolCount;
};

extern const HuffmanSpec kDcLuminanceHuffman;
extern const HuffmanSpec kAcLuminanceHuffman;
extern const HuffmanSpec kDcChrominanceHuffman;
extern const HuffmanSpec kAcChrominanceHuffman;

struct HuffmanCode {
    std::uint16_t code = 0;
    std::uint8_t length = 0;  // 0: the symbol has no code
};

// Canonical code assignment: codes of each length follow on from the last
// code of the previous length, shifted left by one.
std::array<HuffmanCode, 256> BuildHuffmanCodes(const HuffmanSpec& spec);

}  // namespace mrv::imaging::jpeg
