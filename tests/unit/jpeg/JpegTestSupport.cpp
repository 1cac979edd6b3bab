#include "JpegTestSupport.h"

#include <algorithm>
#include <cmath>

#include "imaging/ByteSink.h"
#include "imaging/JpegWriter.h"

namespace mrv::imaging::jpegtest {

void Picture::Set(int x, int y, int r, int g, int b) {
    std::uint8_t* p = At(x, y);
    p[0] = static_cast<std::uint8_t>(b);
    p[1] = static_cast<std::uint8_t>(g);
    p[2] = static_cast<std::uint8_t>(r);
}

Picture FPicture(int width, int height) {
    Picture p(width, height);
    const int cx = width / 8, cy = height / 8;  // one cell
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int u = cx ? x / cx : 0, v = cy ? y / cy : 0;  // 8 x 8 cells
            const bool bar = u >= 1 && u <= 2 && v >= 1 && v <= 6;
            const bool top = u >= 1 && u <= 6 && v == 1;
            const bool middle = u >= 1 && u <= 4 && v == 3;
            if (bar || top || middle) {
                p.Set(x, y, 230, 20, 20);
            } else {
                p.Set(x, y, 20, 40, 220);
            }
        }
    }
    return p;
}

Picture SmoothPicture(int width, int height) {
    Picture p(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {  // the same slow waves at any size
            p.Set(x, y, static_cast<int>(128 + 80 * std::sin(x / 9.0 + y / 23.0)),
                  static_cast<int>(128 + 80 * std::sin(y / 11.0 - 1)),
                  static_cast<int>(128 + 70 * std::cos((x + y) / 13.0)));
        }
    }
    return p;
}

Picture BusyPicture(int width, int height, std::uint32_t seed) {
    Picture p(width, height);
    std::uint32_t s = seed * 2654435761u + 1;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            s = s * 1664525u + 1013904223u;
            const int noise = static_cast<int>(s >> 27) - 16;
            const bool edge = ((x / 5) + (y / 7)) % 3 == 0;
            p.Set(x, y, std::clamp(x * 3 + noise + (edge ? 90 : 0), 0, 255),
                  std::clamp(y * 2 - noise, 0, 255), std::clamp(255 - x - y + noise, 0, 255));
        }
    }
    return p;
}

std::vector<std::uint8_t> EncodeToBytes(const PixelView& view, int quality) {
    VectorSink sink;
    if (!WriteJpeg(view, quality, sink)) return {};
    return std::move(sink.bytes);
}

std::vector<Segment> HeaderSegments(const std::vector<std::uint8_t>& file) {
    std::vector<Segment> out;
    if (file.size() < 2 || file[0] != 0xFF || file[1] != 0xD8) return out;
    out.push_back({0xD8, {}});
    std::size_t i = 2;
    while (i + 4 <= file.size() && file[i] == 0xFF) {
        const int marker = file[i + 1];
        const std::size_t length = std::size_t{file[i + 2]} << 8 | file[i + 3];
        if (length < 2 || i + 2 + length > file.size()) break;
        out.push_back({marker, std::vector<std::uint8_t>(file.begin() + i + 4,
                                                         file.begin() + i + 2 + length)});
        i += 2 + length;
        if (marker == 0xDA) break;
    }
    return out;
}

const Segment* FindSegment(const std::vector<Segment>& segments, int marker) {
    for (const Segment& s : segments) {
        if (s.marker == marker) return &s;
    }
    return nullptr;
}

namespace {

constexpr int kZigzag[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                             12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                             35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                             58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

struct Huffman {
    int counts[17] = {};
    std::vector<int> symbols;
};

class BitReader {
public:
    explicit BitReader(std::vector<std::uint8_t> bytes) : data(std::move(bytes)) {}
    bool Bit(int& bit) {
        if (pos >= data.size() * 8) return false;
        bit = (data[pos / 8] >> (7 - pos % 8)) & 1;
        ++pos;
        return true;
    }
    bool Bits(int n, int& value) {
        value = 0;
        for (int i = 0, b = 0; i < n; ++i) {
            if (!Bit(b)) return false;
            value = value << 1 | b;
        }
        return true;
    }
    bool Decode(const Huffman& h, int& symbol) {
        int code = 0, first = 0, index = 0;
        for (int length = 1; length <= 16; ++length) {
            int b = 0;
            if (!Bit(b)) return false;
            code = code << 1 | b;
            if (code - first < h.counts[length]) {
                symbol = h.symbols[static_cast<std::size_t>(index + code - first)];
                return true;
            }
            index += h.counts[length];
            first = (first + h.counts[length]) << 1;
        }
        return false;
    }
    // What is left must be fewer than 8 bits, all ones.
    bool AtPaddedEnd() const {
        const std::size_t total = data.size() * 8;
        if (total - pos >= 8) return false;
        for (std::size_t p = pos; p < total; ++p) {
            if (!((data[p / 8] >> (7 - p % 8)) & 1)) return false;
        }
        return true;
    }

private:
    std::vector<std::uint8_t> data;
    std::size_t pos = 0;
};

int Extend(int bits, int size) {
    return bits < (1 << (size - 1)) ? bits - (1 << size) + 1 : bits;
}

}  // namespace

bool ReadBlockDcs(const std::vector<std::uint8_t>& file, BlockDcs& out, std::string& error) {
    const std::vector<Segment> segments = HeaderSegments(file);
    int quant[4][64] = {};
    Huffman dc[4], ac[4];
    int ids[3] = {}, sampling[3] = {}, tq[3] = {}, td[3] = {}, ta[3] = {};
    bool haveFrame = false, haveScan = false;
    for (const Segment& s : segments) {
        const auto& b = s.body;
        if (s.marker == 0xDB) {
            for (std::size_t i = 0; i + 65 <= b.size(); i += 65) {
                for (int k = 0; k < 64; ++k) quant[b[i] & 3][kZigzag[k]] = b[i + 1 + k];
            }
        } else if (s.marker == 0xC4) {
            for (std::size_t i = 0; i + 17 <= b.size();) {
                Huffman& h = (b[i] >> 4 ? ac : dc)[b[i] & 3];
                h = Huffman{};
                std::size_t n = 0;
                for (int l = 1; l <= 16; ++l) n += h.counts[l] = b[i + l];
                if (i + 17 + n > b.size()) return error = "DHT too short", false;
                h.symbols.assign(b.begin() + i + 17, b.begin() + i + 17 + n);
                i += 17 + n;
            }
        } else if (s.marker == 0xC0) {
            if (b.size() != 15 || b[0] != 8 || b[5] != 3) return error = "SOF0", false;
            out.height = b[1] << 8 | b[2];
            out.width = b[3] << 8 | b[4];
            for (int c = 0; c < 3; ++c) {
                ids[c] = b[6 + 3 * c];
                sampling[c] = b[7 + 3 * c];
                tq[c] = b[8 + 3 * c] & 3;
            }
            haveFrame = true;
        } else if (s.marker == 0xDA) {
            if (b.size() != 10 || b[0] != 3) return error = "SOS", false;
            for (int c = 0; c < 3; ++c) {
                if (b[1 + 2 * c] != ids[c]) return error = "SOS component order", false;
                td[c] = b[2 + 2 * c] >> 4;
                ta[c] = b[2 + 2 * c] & 15;
            }
            haveScan = true;
        }
    }
    if (!haveFrame || !haveScan) return error = "no frame or scan", false;
    if (sampling[1] != 0x11 || sampling[2] != 0x11) return error = "chroma sampling", false;
    out.lumaSampling = sampling[0];

    // Entropy-coded data: from after SOS to the first marker, un-stuffed.
    std::size_t i = 0;
    for (std::size_t n = 0; n < segments.size(); ++n) {
        i += n == 0 ? 2 : 4 + segments[n].body.size();
    }
    std::vector<std::uint8_t> scan;
    for (; i + 1 < file.size(); ++i) {
        if (file[i] != 0xFF) {
            scan.push_back(file[i]);
        } else if (file[i + 1] == 0x00) {
            scan.push_back(0xFF);
            ++i;
        } else {
            break;
        }
    }
    if (i + 2 != file.size() || file[i] != 0xFF || file[i + 1] != 0xD9) {
        return error = "scan not followed by EOI at the end", false;
    }

    const int hMax = sampling[0] >> 4, vMax = sampling[0] & 15;
    const int mcusWide = (out.width + 8 * hMax - 1) / (8 * hMax);
    const int mcusHigh = (out.height + 8 * vMax - 1) / (8 * vMax);
    for (int c = 0; c < 3; ++c) {
        out.blocksWide[c] = mcusWide * (sampling[c] >> 4);
        out.blocksHigh[c] = mcusHigh * (sampling[c] & 15);
        out.mean[c].assign(static_cast<std::size_t>(out.blocksWide[c]) * out.blocksHigh[c], 0);
    }
    BitReader bits(std::move(scan));
    int predictor[3] = {};
    for (int my = 0; my < mcusHigh; ++my) {
        for (int mx = 0; mx < mcusWide; ++mx) {
            for (int c = 0; c < 3; ++c) {
                const int h = sampling[c] >> 4, v = sampling[c] & 15;
                for (int by = 0; by < v; ++by) {
                    for (int bx = 0; bx < h; ++bx) {
                        int size = 0, value = 0;
                        if (!bits.Decode(dc[td[c]], size) || size > 11 || !bits.Bits(size, value)) {
                            return error = "bad DC", false;
                        }
                        predictor[c] += size ? Extend(value, size) : 0;
                        for (int k = 1; k < 64;) {
                            int rs = 0;
                            if (!bits.Decode(ac[ta[c]], rs)) return error = "bad AC", false;
                            if ((rs & 15) == 0) {
                                if (rs != 0xF0) break;
                                k += 16;
                                continue;
                            }
                            k += rs >> 4;
                            if (k > 63 || !bits.Bits(rs & 15, value)) {
                                return error = "AC past the block", false;
                            }
                            ++k;
                        }
                        const std::size_t index =
                            static_cast<std::size_t>(my * v + by) * out.blocksWide[c] + mx * h + bx;
                        out.mean[c][index] = predictor[c] * quant[tq[c]][0] / 8.0 + 128;
                    }
                }
            }
        }
    }
    if (!bits.AtPaddedEnd()) return error = "scan length or padding", false;
    return true;
}

}  // namespace mrv::imaging::jpegtest
