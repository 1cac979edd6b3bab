// Baseline JFIF encoder: colour conversion and chroma subsampling per MCU
// row, integer DCT, quantisation and Huffman coding with the standard tables.
//
// Geometry of one MCU row with 4:2:0 (quality below 90), width W, height H:
//
//   full-resolution strip, 16 rows, padded to 16 * ceil(W / 16) columns
//   +--------+--------+--- ... ---+--------+--------+
//   | Y0  Y1 | Y0  Y1 |           | Y0  Y1 | (last column repeated
//   | Y2  Y3 | Y2  Y3 |           | Y2  Y3 |  into the padding)
//   +--------+--------+--- ... ---+--------+--------+
//   Cb and Cr: the same strip averaged over 2 x 2 into one 8 x 8 block per MCU.
//
// Rows below the picture repeat its last row. A luma block lying wholly in
// the padding (beyond ceil(W / 8) or ceil(H / 8) blocks) is not taken from
// the pixels: it is written with the previous block's DC and no AC terms,
// the cheapest block there is, since decoders crop it anyway. With 4:4:4
// (quality 90 and up) an MCU is one 8 x 8 block of each component.
#include "imaging/JpegWriter.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "imaging/JpegKernels.h"
#include "imaging/JpegTables.h"

#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#endif

namespace mrv::imaging {

namespace {

using jpeg::HuffmanCode;

constexpr int kMaxDimension = 65535;  // 16-bit fields in SOF0

// Bits needed for v (0 for 0); v < 2^16.
inline int BitLength(std::uint32_t v) {
#if defined(__GNUC__) || defined(__clang__)
    return 31 - __builtin_clz(v << 1 | 1);  // no zero test needed
#else
    int n = 0;
    while (v) {
        v >>= 1;
        ++n;
    }
    return n;
#endif
}

inline int CountTrailingZeros(std::uint64_t v) {  // v != 0
#if defined(__GNUC__) || defined(__clang__)
    return __builtin_ctzll(v);
#elif defined(_MSC_VER) && defined(_M_X64)
    unsigned long index;
    _BitScanForward64(&index, v);
    return static_cast<int>(index);
#else
    int n = 0;
    while (!(v & 1)) {
        v >>= 1;
        ++n;
    }
    return n;
#endif
}

inline void StoreBigEndian64(std::uint8_t* p, std::uint64_t v) {
#if defined(__GNUC__) || defined(__clang__)
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    v = __builtin_bswap64(v);
#endif
    std::memcpy(p, &v, 8);
#else
    for (int i = 7; i >= 0; --i, v >>= 8) p[i] = static_cast<std::uint8_t>(v);
#endif
}

// --- Output -----------------------------------------------------------------

// A Huffman symbol as the bit writer wants it. The low four bits of a symbol
// are the magnitude category of the value that follows, so the code can be
// stored already shifted over the value's bits, with their mask and the
// length of both together: one lookup, no shift, per coefficient.
struct CodedSymbol {
    std::uint32_t shiftedCode = 0;  // code << category
    std::uint32_t extraMask = 0;    // (1 << category) - 1
    int length = 0;                 // code length + category
};
using SymbolTable = std::array<CodedSymbol, 256>;

SymbolTable MakeSymbolTable(const jpeg::HuffmanSpec& spec) {
    const std::array<HuffmanCode, 256> codes = jpeg::BuildHuffmanCodes(spec);
    SymbolTable table;
    for (std::size_t symbol = 0; symbol < 256; ++symbol) {
        const int category = static_cast<int>(symbol & 15);
        table[symbol] = {static_cast<std::uint32_t>(codes[symbol].code) << category,
                         (1u << category) - 1, codes[symbol].length + category};
    }
    return table;
}

struct EntropyTables {
    SymbolTable dc;
    SymbolTable ac;
};

// Bytes are gathered in a buffer and passed to the sink when it fills. Before
// each MCU the encoder reserves room for the worst case, so the bit writer
// itself never checks for space. Worst case per block: 22 DC bits and 63 AC
// symbols of at most 26 bits, about 208 bytes, doubled by byte stuffing, plus
// the 8 bytes of a word still held from the MCU before.
constexpr std::size_t kBufferSize = std::size_t{1} << 16;
constexpr std::size_t kMcuReserve = 6 * 2 * 224;

class Writer {
public:
    explicit Writer(ByteSink& byteSink) : sink(byteSink), buffer(kBufferSize) {
        pos = buffer.data();
    }

    [[nodiscard]] bool Reserve(std::size_t bytes) {
        if (static_cast<std::size_t>(buffer.data() + buffer.size() - pos) >= bytes) return true;
        return Flush();
    }

    [[nodiscard]] bool Flush() {
        const std::size_t used = static_cast<std::size_t>(pos - buffer.data());
        pos = buffer.data();
        return used == 0 || sink.Write(buffer.data(), used);
    }

    void Byte(int b) { *pos++ = static_cast<std::uint8_t>(b); }
    void Word(int w) {
        Byte(w >> 8);
        Byte(w & 0xFF);
    }
    void Bytes(const std::uint8_t* data, std::size_t size) {
        std::memcpy(pos, data, size);
        pos += size;
    }

    // Appends the low `count` bits of `bits` (count 1..27, no stray high
    // bits). The bits gather in a 64-bit word that goes out when full; the
    // part of a code that does not fit stays behind in the low bits of the
    // next word, whose stale high bits are shifted out before it is full.
    void PutBits(std::uint32_t bits, int count) {
        if (count <= freeBits) {
            accumulator = (accumulator << count) | bits;
            freeBits -= count;
            return;
        }
        const int rest = count - freeBits;
        EmitWord((accumulator << freeBits) | (bits >> rest));
        accumulator = bits;
        freeBits = 64 - rest;
    }

    // Pads the last byte with one bits, as the format asks.
    void FinishBits() {
        int pending = 64 - freeBits;
        const int pad = (8 - (pending & 7)) & 7;
        if (pad) PutBits((1u << pad) - 1, pad);
        for (pending = 64 - freeBits; pending >= 8;) {
            pending -= 8;
            EmitByte(static_cast<std::uint8_t>(accumulator >> pending));
        }
        freeBits = 64;
    }

    // `coef` row-major, `acMask` its non-zero AC terms in zigzag order.
    void EncodeBlock(const std::int16_t coef[64], std::uint64_t acMask, int& predictor,
                     const EntropyTables& t) {
        const int diff = coef[0] - predictor;
        predictor = coef[0];
        PutCoded(t.dc, 0, diff);
        int last = 0;
        while (acMask) {
            const int k = CountTrailingZeros(acMask);
            acMask &= acMask - 1;
            int run = k - last - 1;
            for (; run >= 16; run -= 16) PutBits(t.ac[0xF0].shiftedCode, t.ac[0xF0].length);
            PutCoded(t.ac, run << 4, coef[jpeg::kZigzag[k]]);
            last = k;
        }
        if (last != 63) PutBits(t.ac[0x00].shiftedCode, t.ac[0x00].length);
    }

    // A padding block: same DC as the block before, no AC terms.
    void EncodeFlatBlock(const EntropyTables& t) {
        PutBits(t.dc[0].shiftedCode, t.dc[0].length);
        PutBits(t.ac[0x00].shiftedCode, t.ac[0x00].length);
    }

private:
    // Huffman code of (symbolBase | magnitude category) followed by the
    // value's bits: the value itself if positive, value - 1 if negative,
    // in `category` bits.
    void PutCoded(const SymbolTable& symbols, int symbolBase, int value) {
        const int sign = value >> 31;
        const int magnitude = (value ^ sign) - sign;
        const CodedSymbol& s = symbols[static_cast<std::size_t>(
            symbolBase | BitLength(static_cast<std::uint32_t>(magnitude)))];
        PutBits(s.shiftedCode | (static_cast<std::uint32_t>(value + sign) & s.extraMask), s.length);
    }

    void EmitWord(std::uint64_t w) {
        // Fast path when no byte is 0xFF, i.e. no byte of ~w is zero.
        const std::uint64_t inv = ~w;
        if (((inv - 0x0101010101010101u) & w & 0x8080808080808080u) == 0) {
            StoreBigEndian64(pos, w);
            pos += 8;
            return;
        }
        for (int shift = 56; shift >= 0; shift -= 8) {
            EmitByte(static_cast<std::uint8_t>(w >> shift));
        }
    }

    // 0xFF in entropy-coded data is followed by a 0 so it cannot be taken
    // for a marker.
    void EmitByte(std::uint8_t b) {
        *pos++ = b;
        if (b == 0xFF) *pos++ = 0;
    }

    ByteSink& sink;
    std::vector<std::uint8_t> buffer;
    std::uint8_t* pos = nullptr;
    std::uint64_t accumulator = 0;  // only the low 64 - freeBits bits are meaningful
    int freeBits = 64;
};

void WriteHeaders(Writer& out, int width, int height, bool subsample,
                  const std::array<std::uint8_t, 64>& lumaQuant,
                  const std::array<std::uint8_t, 64>& chromaQuant) {
    out.Word(0xFFD8);  // SOI

    // APP0: JFIF 1.01, 96 x 96 dots per inch, no thumbnail.
    static const std::uint8_t kApp0[] = {0xFF, 0xE0, 0x00, 0x10, 'J',  'F',  'I',  'F',  0x00,
                                         0x01, 0x01, 0x01, 0x00, 0x60, 0x00, 0x60, 0x00, 0x00};
    out.Bytes(kApp0, sizeof kApp0);

    // DQT: both tables, 8-bit entries in zigzag order.
    out.Word(0xFFDB);
    out.Word(2 + 2 * 65);
    for (int id = 0; id < 2; ++id) {
        const auto& table = id == 0 ? lumaQuant : chromaQuant;
        out.Byte(id);
        for (int k = 0; k < 64; ++k) out.Byte(table[jpeg::kZigzag[k]]);
    }

    // SOF0: 8-bit samples, three components; Y carries the sampling factors.
    out.Word(0xFFC0);
    out.Word(8 + 3 * 3);
    out.Byte(8);
    out.Word(height);
    out.Word(width);
    out.Byte(3);
    const std::uint8_t components[3][3] = {
        {1, static_cast<std::uint8_t>(subsample ? 0x22 : 0x11), 0}, {2, 0x11, 1}, {3, 0x11, 1}};
    for (const auto& c : components) out.Bytes(c, 3);

    // DHT: class/id 0x00 DC luma, 0x10 AC luma, 0x01 DC chroma, 0x11 AC chroma.
    const jpeg::HuffmanSpec* specs[4] = {&jpeg::kDcLuminanceHuffman, &jpeg::kAcLuminanceHuffman,
                                         &jpeg::kDcChrominanceHuffman,
                                         &jpeg::kAcChrominanceHuffman};
    const int classIds[4] = {0x00, 0x10, 0x01, 0x11};
    int length = 2;
    for (const auto* s : specs) length += 1 + 16 + s->symbolCount;
    out.Word(0xFFC4);
    out.Word(length);
    for (int i = 0; i < 4; ++i) {
        out.Byte(classIds[i]);
        out.Bytes(specs[i]->counts, 16);
        out.Bytes(specs[i]->symbols, static_cast<std::size_t>(specs[i]->symbolCount));
    }

    // SOS: all three components interleaved, full spectral range.
    static const std::uint8_t kSos[] = {0xFF, 0xDA, 0x00, 0x0C, 0x03, 0x01, 0x00,
                                        0x02, 0x11, 0x03, 0x11, 0x00, 0x3F, 0x00};
    out.Bytes(kSos, sizeof kSos);
}

bool IsEncodable(const PixelView& v) {
    if (v.data == nullptr || v.width <= 0 || v.height <= 0) return false;
    if (v.width > kMaxDimension || v.height > kMaxDimension) return false;
    if (v.format != PixelFormat::kBgr24 && v.format != PixelFormat::kBgrx32) return false;
    // Rows may run either way but must not overlap.
    const std::ptrdiff_t rowBytes = static_cast<std::ptrdiff_t>(v.width) * v.BytesPerPixel();
    const std::ptrdiff_t absStride = v.stride < 0 ? -v.stride : v.stride;
    return absStride >= rowBytes;
}

// Colour-converts and pads one MCU row into the full-resolution strip.
void FillStrip(const jpeg::Kernels& kernels, const PixelView& pixels, int top, int stripRows,
               int paddedWidth, std::uint8_t* y, std::uint8_t* cb, std::uint8_t* cr) {
    const int width = pixels.width;
    const int rows = std::min(stripRows, pixels.height - top);
    const std::size_t stride = static_cast<std::size_t>(paddedWidth);
    for (int r = 0; r < rows; ++r) {
        std::uint8_t* yr = y + r * stride;
        std::uint8_t* cbr = cb + r * stride;
        std::uint8_t* crr = cr + r * stride;
        const auto convert =
            pixels.format == PixelFormat::kBgr24 ? kernels.convertRow24 : kernels.convertRow32;
        convert(pixels.Row(top + r), width, yr, cbr, crr);
        const std::size_t fill = static_cast<std::size_t>(paddedWidth - width);
        std::memset(yr + width, yr[width - 1], fill);
        std::memset(cbr + width, cbr[width - 1], fill);
        std::memset(crr + width, crr[width - 1], fill);
    }
    for (int r = rows; r < stripRows; ++r) {
        std::memcpy(y + r * stride, y + (rows - 1) * stride, stride);
        std::memcpy(cb + r * stride, cb + (rows - 1) * stride, stride);
        std::memcpy(cr + r * stride, cr + (rows - 1) * stride, stride);
    }
}

}  // namespace

bool jpeg::EncodeWith(const jpeg::Kernels& kernels, const PixelView& pixels, int quality,
                      ByteSink& sink) {
    const int width = pixels.width;
    const int height = pixels.height;
    // Full-resolution colour from 90 up: at those settings the chroma loss of
    // subsampling would dominate the error in small text and thin lines.
    const bool subsample = quality < 90;

    const auto lumaQuant = jpeg::ScaleQuantTable(jpeg::kBaseLuminanceQuant, quality);
    const auto chromaQuant = jpeg::ScaleQuantTable(jpeg::kBaseChrominanceQuant, quality);
    const jpeg::Quantizer lumaQ = jpeg::MakeQuantizer(lumaQuant);
    const jpeg::Quantizer chromaQ = jpeg::MakeQuantizer(chromaQuant);
    const EntropyTables lumaT = {MakeSymbolTable(jpeg::kDcLuminanceHuffman),
                                 MakeSymbolTable(jpeg::kAcLuminanceHuffman)};
    const EntropyTables chromaT = {MakeSymbolTable(jpeg::kDcChrominanceHuffman),
                                   MakeSymbolTable(jpeg::kAcChrominanceHuffman)};

    Writer out(sink);
    WriteHeaders(out, width, height, subsample, lumaQuant, chromaQuant);

    const int mcuSize = subsample ? 16 : 8;
    const int mcuCols = (width + mcuSize - 1) / mcuSize;
    const int mcuRows = (height + mcuSize - 1) / mcuSize;
    const int paddedWidth = mcuCols * mcuSize;  // at most 65536
    const int lumaBlocksWide = (width + 7) / 8;
    const int lumaBlocksHigh = (height + 7) / 8;
    const std::size_t stripBytes = static_cast<std::size_t>(paddedWidth) * mcuSize;

    std::vector<std::uint8_t> yStrip(stripBytes), cbStrip(stripBytes), crStrip(stripBytes);
    const int subWidth = paddedWidth / 2;
    std::vector<std::uint8_t> cbSub, crSub;
    if (subsample) {
        cbSub.resize(static_cast<std::size_t>(subWidth) * 8);
        crSub.resize(static_cast<std::size_t>(subWidth) * 8);
    }

    // The DCTs of one MCU row, each row of blocks in one call: luma (two rows
    // of blocks with 4:2:0), Cb, Cr. Luma blocks wholly in the padding are
    // not transformed; they are written flat.
    const int lumaRows = subsample ? 2 : 1;
    const std::size_t lumaRowCoefs = static_cast<std::size_t>(paddedWidth / 8) * 64;
    const std::size_t chromaCoefs = static_cast<std::size_t>(mcuCols) * 64;
    std::vector<std::int16_t> yCoef(lumaRows * lumaRowCoefs), cbCoef(chromaCoefs),
        crCoef(chromaCoefs);
    const std::uint8_t* cbBlocks = subsample ? cbSub.data() : cbStrip.data();
    const std::uint8_t* crBlocks = subsample ? crSub.data() : crStrip.data();
    const std::ptrdiff_t chromaStride = subsample ? subWidth : paddedWidth;

    alignas(32) std::int16_t quantized[64];
    int predY = 0, predCb = 0, predCr = 0;
    const auto encode = [&](const std::int16_t* coef, const jpeg::Quantizer& q,
                            const EntropyTables& t, int& predictor) {
        const std::uint64_t mask = kernels.quantize(coef, q, quantized);
        out.EncodeBlock(quantized, mask, predictor, t);
    };

    for (int my = 0; my < mcuRows; ++my) {
        FillStrip(kernels, pixels, my * mcuSize, mcuSize, paddedWidth, yStrip.data(),
                  cbStrip.data(), crStrip.data());
        if (subsample) {
            for (int r = 0; r < 8; ++r) {
                const std::size_t src = static_cast<std::size_t>(2 * r) * paddedWidth;
                const std::size_t dst = static_cast<std::size_t>(r) * subWidth;
                kernels.downsample(cbStrip.data() + src, paddedWidth, cbSub.data() + dst);
                kernels.downsample(crStrip.data() + src, paddedWidth, crSub.data() + dst);
            }
        }
        for (int j = 0; j < lumaRows && lumaRows * my + j < lumaBlocksHigh; ++j) {
            kernels.forwardDcts(yStrip.data() + static_cast<std::size_t>(8 * j) * paddedWidth,
                                paddedWidth, lumaBlocksWide, yCoef.data() + j * lumaRowCoefs);
        }
        kernels.forwardDcts(cbBlocks, chromaStride, mcuCols, cbCoef.data());
        kernels.forwardDcts(crBlocks, chromaStride, mcuCols, crCoef.data());

        for (int mx = 0; mx < mcuCols; ++mx) {
            if (!out.Reserve(kMcuReserve)) return false;
            const std::size_t chroma = static_cast<std::size_t>(mx) * 64;
            if (subsample) {
                for (int j = 0; j < 2; ++j) {
                    for (int i = 0; i < 2; ++i) {
                        if (2 * mx + i >= lumaBlocksWide || 2 * my + j >= lumaBlocksHigh) {
                            out.EncodeFlatBlock(lumaT);
                            continue;
                        }
                        encode(yCoef.data() + j * lumaRowCoefs +
                                   static_cast<std::size_t>(2 * mx + i) * 64,
                               lumaQ, lumaT, predY);
                    }
                }
            } else {
                encode(yCoef.data() + chroma, lumaQ, lumaT, predY);
            }
            encode(cbCoef.data() + chroma, chromaQ, chromaT, predCb);
            encode(crCoef.data() + chroma, chromaQ, chromaT, predCr);
        }
    }

    if (!out.Reserve(32)) return false;  // a full word, stuffed, and EOI
    out.FinishBits();
    out.Word(0xFFD9);  // EOI
    return out.Flush();
}

bool WriteJpeg(const PixelView& pixels, int quality, ByteSink& sink) {
    if (!IsEncodable(pixels)) return false;
    try {
        return jpeg::EncodeWith(jpeg::FastestKernels(), pixels, jpeg::ClampQuality(quality), sink);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace mrv::imaging
