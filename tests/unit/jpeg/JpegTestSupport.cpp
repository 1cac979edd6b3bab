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
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int u = x * 8 / width, v = y * 8 / height;
            const bool red = (u >= 1 && u <= 2 && v >= 1 && v <= 6) ||
                             (v == 1 && u >= 1 && u <= 6) || (v == 3 && u >= 1 && u <= 4);
            red ? p.Set(x, y, 230, 20, 20) : p.Set(x, y, 20, 40, 220);
        }
    }
    return p;
}

Picture WavePicture(int width, int height, bool noise) {
    Picture p(width, height);
    std::uint32_t s = 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            s = s * 1664525u + 1013904223u;
            const int grain = noise ? static_cast<int>(s >> 27) - 16 : 0;
            const int edge = noise && (x / 5 + y / 7) % 3 == 0 ? 90 : 0;
            p.Set(x, y,
                  std::clamp(int(128 + 80 * std::sin(x / 9.0 + y / 23.0)) + edge + grain, 0, 255),
                  std::clamp(int(128 + 80 * std::sin(y / 11.0 - 1)) - grain, 0, 255),
                  std::clamp(int(128 + 70 * std::cos((x + y) / 13.0)) + grain, 0, 255));
        }
    }
    return p;
}

Bytes EncodeToBytes(const PixelView& view, int quality) {
    VectorSink sink;
    if (!WriteJpeg(view, quality, sink)) return {};
    return std::move(sink.bytes);
}

std::vector<Segment> HeaderSegments(const Bytes& file) {
    std::vector<Segment> out;
    if (file.size() < 2 || file[0] != 0xFF || file[1] != 0xD8) return out;
    for (std::size_t i = 2; i + 4 <= file.size() && file[i] == 0xFF;) {
        const std::size_t length = std::size_t{file[i + 2]} << 8 | file[i + 3];
        if (length < 2 || i + 2 + length > file.size()) break;
        out.push_back({file[i + 1], Bytes(file.begin() + i + 4, file.begin() + i + 2 + length)});
        if (file[i + 1] == 0xDA) break;
        i += 2 + length;
    }
    return out;
}

Bytes JoinedBodies(const Bytes& file, int marker) {
    Bytes out;
    for (const Segment& s : HeaderSegments(file)) {
        if (s.marker == marker) out.insert(out.end(), s.body.begin(), s.body.end());
    }
    return out;
}

}  // namespace mrv::imaging::jpegtest
