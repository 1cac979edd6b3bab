// Stand-alone comparison of WriteJpeg with the reference encoders on a
// screen-like and a photo-like 1920 x 1080 picture: output size, PSNR after a
// reference decode, and time per picture. Built with the benchmarks
// (MRV_BENCH=ON), or by hand from the repository root:
//
//   g++ -std=c++17 -O2 -I. bench/jpeg_bench.cpp imaging/Jpeg*.cpp -ljpeg -o /tmp/jpeg_bench
//   /tmp/jpeg_bench [quality [runs]]
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "imaging/JpegWriter.h"

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wshadow"
#pragma GCC diagnostic ignored "-Wsign-compare"
#endif
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace {

using mrv::imaging::PixelFormat;
using mrv::imaging::PixelView;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

struct Picture {
    const char* name;
    std::vector<std::uint8_t> bgr;  // top-down, tightly packed
};

std::uint32_t Hash(std::uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

void Put(std::vector<std::uint8_t>& bgr, int x, int y, int r, int g, int b) {
    if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) return;
    std::uint8_t* p = &bgr[(static_cast<std::size_t>(y) * kWidth + x) * 3];
    p[0] = static_cast<std::uint8_t>(b);
    p[1] = static_cast<std::uint8_t>(g);
    p[2] = static_cast<std::uint8_t>(r);
}

void Fill(std::vector<std::uint8_t>& bgr, int x0, int y0, int w, int h, int r, int g, int b) {
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x) Put(bgr, x, y, r, g, b);
}

// A desktop: gradient wallpaper, windows with title bars, lines of "text"
// (glyph-sized ink patterns with grey edge pixels), a toolbar of icons, a
// chart with anti-aliased strokes.
Picture ScreenLike() {
    Picture p{"screen", std::vector<std::uint8_t>(static_cast<std::size_t>(kWidth) * kHeight * 3)};
    auto& bgr = p.bgr;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            Put(bgr, x, y, 20 + x * 40 / kWidth, 60 + y * 80 / kHeight, 120 + (x + y) * 60 / 3000);
    struct Win {
        int x, y, w, h, r, g, b;
    };
    const Win wins[] = {{60, 40, 900, 640, 255, 255, 255},
                        {700, 200, 1000, 760, 245, 245, 245},
                        {200, 600, 640, 420, 250, 250, 240}};
    std::uint32_t seed = 1;
    for (const Win& w : wins) {
        Fill(bgr, w.x - 1, w.y - 1, w.w + 2, w.h + 2, 120, 120, 120);
        Fill(bgr, w.x, w.y, w.w, w.h, w.r, w.g, w.b);
        Fill(bgr, w.x, w.y, w.w, 30, 0, 90, 200);  // title bar
        for (int i = 0; i < 3; ++i)
            Fill(bgr, w.x + w.w - 30 * (i + 1) + 6, w.y + 8, 16, 14, 230, 230, 230);
        // Text lines: 7 x 12 glyph cells with strokes and grey anti-aliasing.
        for (int line = 0; line * 18 + 50 < w.h - 20; ++line) {
            const int ty = w.y + 45 + line * 18;
            int len = 20 + static_cast<int>(Hash(seed++) % static_cast<unsigned>(w.w / 8 - 20));
            for (int c = 0; c < len; ++c) {
                const int tx = w.x + 12 + c * 8;
                if (tx + 8 > w.x + w.w - 10) break;
                const std::uint32_t glyph = Hash(seed++);
                if ((glyph & 7) == 0) continue;  // space
                for (int gy = 0; gy < 11; ++gy)
                    for (int gx = 0; gx < 6; ++gx) {
                        const std::uint32_t bit =
                            Hash(glyph + static_cast<std::uint32_t>(gy * 7 + gx));
                        const bool stroke = gx == 0 || gy == 10 || (bit & 3) == 0;
                        if (!stroke || (bit & 16)) continue;
                        const int ink = (bit & 32) ? 40 : 130;  // grey edge pixels
                        Put(bgr, tx + gx, ty + gy, ink, ink, ink + 10);
                    }
            }
        }
    }
    for (int i = 0; i < 24; ++i) {  // toolbar icons
        const std::uint32_t h = Hash(1000 + i);
        Fill(bgr, 20 + i * 40, kHeight - 36, 32, 32, h & 255, (h >> 8) & 255, (h >> 16) & 255);
        Fill(bgr, 28 + i * 40, kHeight - 28, 16, 16, 255 - (h & 255), 200, 40);
    }
    for (int x = 0; x < 560; ++x) {  // chart stroke
        const double fy = 860 + 60 * std::sin(x / 40.0) + 20 * std::sin(x / 7.0);
        const int iy = static_cast<int>(fy);
        const double f = fy - iy;
        for (int t = 0; t < 2; ++t) {
            const double cover = t == 0 ? 1 - f : f;
            const int v = static_cast<int>(250 - cover * 250);
            Put(bgr, 250 + x, iy + t, 250, v, v);
        }
    }
    return p;
}

// Smooth value noise over several octaves plus grain: something like a
// photograph's mix of gradients, edges and sensor noise.
Picture PhotoLike() {
    Picture p{"photo", std::vector<std::uint8_t>(static_cast<std::size_t>(kWidth) * kHeight * 3)};
    auto lattice = [](int x, int y, int c) {
        return (Hash(static_cast<std::uint32_t>(x * 73856093 ^ y * 19349663 ^ c * 83492791)) &
                0xFFFF) /
               65535.0;
    };
    auto noise = [&](double x, double y, int c) {
        const int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
        double fx = x - ix, fy = y - iy;
        fx = fx * fx * (3 - 2 * fx);
        fy = fy * fy * (3 - 2 * fy);
        const double a = lattice(ix, iy, c), b = lattice(ix + 1, iy, c);
        const double d = lattice(ix, iy + 1, c), e = lattice(ix + 1, iy + 1, c);
        return (a + (b - a) * fx) * (1 - fy) + (d + (e - d) * fx) * fy;
    };
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            double v[3];
            for (int c = 0; c < 3; ++c) {
                double s = 0, amp = 1, freq = 1.0 / 240;
                for (int o = 0; o < 6; ++o, amp *= 0.5, freq *= 2.2)
                    s += amp * noise(x * freq, y * freq, c * 7 + o);
                v[c] = s / 1.9;
            }
            const double grain =
                ((Hash(static_cast<std::uint32_t>(y * kWidth + x)) & 255) - 127.5) / 255.0 * 0.04;
            const double lum = 0.5 * v[0] + 0.3 * v[1] + 0.2 * v[2];
            const int r =
                std::clamp(static_cast<int>(255 * (0.6 * lum + 0.4 * v[0] + grain)), 0, 255);
            const int g =
                std::clamp(static_cast<int>(255 * (0.7 * lum + 0.3 * v[1] + grain)), 0, 255);
            const int b =
                std::clamp(static_cast<int>(255 * (0.8 * lum + 0.2 * v[2] + grain)), 0, 255);
            Put(p.bgr, x, y, r, g, b);
        }
    return p;
}

class ReservedSink final : public mrv::imaging::ByteSink {
public:
    ReservedSink() { bytes.reserve(8 << 20); }
    [[nodiscard]] bool Write(const std::uint8_t* data, std::size_t size) override {
        bytes.insert(bytes.end(), data, data + size);
        return true;
    }
    std::vector<std::uint8_t> bytes;
};

std::vector<std::uint8_t> EncodeOurs(const PixelView& view, int quality) {
    ReservedSink sink;
    if (!mrv::imaging::WriteJpeg(view, quality, sink)) std::abort();
    return std::move(sink.bytes);
}

std::vector<std::uint8_t> EncodeReference(const Picture& p, int quality) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* mem = nullptr;
    unsigned long memSize = 0;
    jpeg_mem_dest(&cinfo, &mem, &memSize);
    cinfo.image_width = kWidth;
    cinfo.image_height = kHeight;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (quality >= 90) {  // same sampling as ours for the comparison
        cinfo.comp_info[0].h_samp_factor = cinfo.comp_info[0].v_samp_factor = 1;
    }
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(
            &p.bgr[static_cast<std::size_t>(cinfo.next_scanline) * kWidth * 3]);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<std::uint8_t> out(mem, mem + memSize);
    jpeg_destroy_compress(&cinfo);
    std::free(mem);
    return out;
}

void AppendStb(void* context, void* data, int size) {
    auto* v = static_cast<std::vector<std::uint8_t>*>(context);
    v->insert(v->end(), static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
}

std::vector<std::uint8_t> EncodeStb(const std::vector<std::uint8_t>& rgb, int quality) {
    std::vector<std::uint8_t> out;
    out.reserve(8 << 20);
    stbi_write_jpg_to_func(AppendStb, &out, kWidth, kHeight, 3, rgb.data(), quality);
    return out;
}

std::vector<std::uint8_t> DecodeRgb(const std::vector<std::uint8_t>& file) {
    jpeg_decompress_struct dinfo;
    jpeg_error_mgr jerr;
    dinfo.err = jpeg_std_error(&jerr);
    jpeg_create_decompress(&dinfo);
    jpeg_mem_src(&dinfo, file.data(), file.size());
    jpeg_read_header(&dinfo, TRUE);
    dinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&dinfo);
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(dinfo.output_width) *
                                  dinfo.output_height * 3);
    while (dinfo.output_scanline < dinfo.output_height) {
        JSAMPROW row =
            &rgb[static_cast<std::size_t>(dinfo.output_scanline) * dinfo.output_width * 3];
        jpeg_read_scanlines(&dinfo, &row, 1);
    }
    jpeg_finish_decompress(&dinfo);
    jpeg_destroy_decompress(&dinfo);
    return rgb;
}

double Psnr(const std::vector<std::uint8_t>& bgr, const std::vector<std::uint8_t>& rgb) {
    double sum = 0;
    for (std::size_t i = 0; i < bgr.size(); i += 3)
        for (int c = 0; c < 3; ++c) {
            const double d = double(bgr[i + c]) - rgb[i + 2 - c];
            sum += d * d;
        }
    const double mse = sum / double(bgr.size());
    return 10 * std::log10(255.0 * 255.0 / mse);
}

// Bytes from the start-of-scan marker on.
std::vector<std::uint8_t> Scan(const std::vector<std::uint8_t>& f) {
    for (std::size_t i = 0; i + 1 < f.size(); ++i)
        if (f[i] == 0xFF && f[i + 1] == 0xDA)
            return {f.begin() + static_cast<std::ptrdiff_t>(i), f.end()};
    return {};
}

// Thread CPU time, best of `runs`: the machine is shared, and wall time
// would count other people's work.
double CpuMs() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

template <class F>
double BestMs(F&& f, int runs) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const double t0 = CpuMs();
        f();
        best = std::min(best, CpuMs() - t0);
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const int quality = argc > 1 ? std::atoi(argv[1]) : 80;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 15;
    const Picture pictures[] = {ScreenLike(), PhotoLike()};
    std::printf("quality %d, %dx%d, best of %d runs\n", quality, kWidth, kHeight, runs);
    for (const Picture& p : pictures) {
        std::vector<std::uint8_t> rgb(p.bgr.size()), bgrx(p.bgr.size() / 3 * 4);
        for (std::size_t i = 0, j = 0; i < p.bgr.size(); i += 3, j += 4) {
            rgb[i] = p.bgr[i + 2];
            rgb[i + 1] = p.bgr[i + 1];
            rgb[i + 2] = p.bgr[i];
            std::memcpy(&bgrx[j], &p.bgr[i], 3);
            bgrx[j + 3] = 0;
        }
        const PixelView view{p.bgr.data(), kWidth, kHeight, kWidth * 3, PixelFormat::kBgr24};
        const PixelView view32{bgrx.data(), kWidth, kHeight, kWidth * 4, PixelFormat::kBgrx32};

        const auto ours = EncodeOurs(view, quality);
        const auto ref = EncodeReference(p, quality);
        const auto stb = EncodeStb(rgb, quality);
        const double psnrOurs = Psnr(p.bgr, DecodeRgb(ours));
        const double psnrRef = Psnr(p.bgr, DecodeRgb(ref));
        const double psnrStb = Psnr(p.bgr, DecodeRgb(stb));

        const double msOurs = BestMs([&] { (void)EncodeOurs(view, quality); }, runs);
        const double msOurs32 = BestMs([&] { (void)EncodeOurs(view32, quality); }, runs);
        const double msRef = BestMs([&] { (void)EncodeReference(p, quality); }, runs);
        const double msStb = BestMs([&] { (void)EncodeStb(rgb, quality); }, runs);

        std::printf("%s:\n", p.name);
        std::printf("  bytes  ours %zu  reference %zu  stb %zu  ours/reference %.4f\n", ours.size(),
                    ref.size(), stb.size(), double(ours.size()) / double(ref.size()));
        std::printf("  PSNR   ours %.3f  reference %.3f  stb %.3f  delta %+.3f dB\n", psnrOurs,
                    psnrRef, psnrStb, psnrOurs - psnrRef);
        std::printf("  scan identical to reference: %s\n", Scan(ours) == Scan(ref) ? "yes" : "no");
        std::printf("  ms     ours %.2f (32-bit input %.2f)  reference %.2f  stb %.2f\n", msOurs,
                    msOurs32, msRef, msStb);
        std::printf("  speed  stb/ours %.2fx  reference/ours %.2fx\n", msStb / msOurs,
                    msRef / msOurs);
    }
    return 0;
}
