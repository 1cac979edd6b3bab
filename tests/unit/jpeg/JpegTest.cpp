// The JPEG encoder. Everywhere: the frame header by quality, the input
// layouts and kernel sets, a failing sink. Natively also libjpeg: it reads
// our files, and its own files at the same settings are the yardstick.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "imaging/ByteSink.h"
#include "imaging/JpegKernels.h"
#include "imaging/JpegWriter.h"
#ifdef MRV_TEST_WITH_LIBJPEG
#include <jpeglib.h>
#endif

namespace mrv::imaging::jpegtest {

using Bytes = std::vector<std::uint8_t>;

// Tightly packed top-down B, G, R picture.
struct Picture {
    int width, height;
    Bytes px;

    Picture(int w, int h) : width(w), height(h), px(std::size_t(w) * h * 3) {}
    std::uint8_t* At(int x, int y) { return &px[(std::size_t(y) * width + x) * 3]; }
    void Set(int x, int y, int r, int g, int b) {
        std::uint8_t* p = At(x, y);
        for (int c : {b, g, r}) *p++ = std::uint8_t(std::clamp(c, 0, 255));
    }
    PixelView View() const { return {px.data(), width, height, width * 3, PixelFormat::kBgr24}; }
};

// Slow waves in all three channels, equally smooth at any size; with `noise`
// also seeded grain, hard diagonal edges and, at the top left, three blocks:
// a one-pixel black and white checker (the largest AC terms), black, white.
Picture Waves(int width, int height, bool noise = false) {
    Picture p(width, height);
    std::uint32_t s = 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            s = s * 1664525u + 1013904223u;
            const int grain = noise ? int(s >> 27) - 16 : 0,
                      v = 255 * (x < 8 ? (x + y) % 2 : x >= 16);
            const int edge = noise && (x / 5 + y / 7) % 3 == 0 ? 90 : 0;
            p.Set(x, y, int(128 + 80 * std::sin(x / 9.0 + y / 23.0)) + edge + grain,
                  int(128 + 80 * std::sin(y / 11.0 - 1)) - grain,
                  int(128 + 70 * std::cos((x + y) / 13.0)) + grain);
            if (noise && x < 24 && y < 8) p.Set(x, y, v, v, v);
        }
    }
    return p;
}

Bytes Encode(const PixelView& view, int quality, const jpeg::Kernels* k = nullptr) {
    VectorSink sink;
    const bool ok = k ? jpeg::EncodeWith(*k, view, quality, sink) : WriteJpeg(view, quality, sink);
    return ok ? sink.bytes : Bytes{};
}

// The bodies of the header segments with this marker, one after the other.
Bytes Segments(const Bytes& f, int marker) {
    Bytes out;
    for (std::size_t i = 2, end; i + 4 <= f.size() && f[i] == 0xFF && f[i + 1] != 0xDA; i = end) {
        end = i + 2 + (std::size_t{f[i + 2]} << 8 | f[i + 3]);
        if (f[i + 1] == marker && end <= f.size())
            out.insert(out.end(), f.data() + i + 4, f.data() + end);
    }
    return out;
}

TEST(JpegStream, ChromaIsHalvedBelowQuality90AndQualityIsClamped) {
    const Picture pic = Waves(37, 21, true);
    for (int q : {-20, 0, 1, 2, 89, 90, 100, 101, 250}) {
        const Bytes file = Encode(pic.View(), q);
        EXPECT_EQ(Segments(file, 0xC0),
                  (Bytes{8, 0, 21, 0, 37, 3, 1, std::uint8_t(q < 90 ? 0x22 : 0x11), 0, 2, 0x11, 1,
                         3, 0x11, 1}))
            << q;
        EXPECT_EQ(file, Encode(pic.View(), std::clamp(q, 1, 100))) << q;
        EXPECT_EQ(file == Encode(pic.View(), 1), q <= 1) << q;
    }
}

// The same picture as bottom-up 24-bit rows and as 32-bit rows, padded, with
// junk in the fourth byte; with every kernel set this build and processor
// have (the file must not depend on which set ran). Widths cross every edge
// of the wide kernels' steps and their tails.
TEST(JpegStream, EveryLayoutAndKernelSetGivesTheSameFile) {
    for (int w = 1; w <= 71; w += 5) {
        const int h = 83 - w, stride = 4 * w + 8;
        Picture pic = Waves(w, h, true), flipped(w, h);
        Bytes x32(std::size_t(stride) * h, 0xA5);
        for (int y = 0; y < h; ++y) {
            std::memcpy(flipped.At(0, h - 1 - y), pic.At(0, y), w * 3u);
            for (int x = 0; x < w; ++x) std::memcpy(&x32[y * stride + x * 4u], pic.At(x, y), 3);
        }
        const PixelView views[] = {pic.View(),
                                   {x32.data(), w, h, stride, PixelFormat::kBgrx32},
                                   {flipped.At(0, h - 1), w, h, -3 * w, PixelFormat::kBgr24}};
        for (int q : {20, 75, 95}) {
            const Bytes file = Encode(pic.View(), q);
            ASSERT_FALSE(file.empty());
            for (const jpeg::Kernels* k :
                 {&jpeg::ScalarKernels(), jpeg::Sse2Kernels(), jpeg::Avx2Kernels()})
                for (const PixelView& v : views)
                    EXPECT_TRUE(!k || Encode(v, q, k) == file) << w << "x" << h << " q" << q;
        }
    }
}

// A processor with AVX2 runs the AVX2 set: it must not be left out of a build
// (the Windows one needs an assembler option for it) or missed at run time.
TEST(JpegStream, TheWidestKernelSetThisProcessorHasIsTheOneUsed) {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) {
        ASSERT_NE(jpeg::Avx2Kernels(), nullptr);
        EXPECT_EQ(&jpeg::FastestKernels(), jpeg::Avx2Kernels());
    } else {
        EXPECT_EQ(jpeg::Avx2Kernels(), nullptr);
    }
#endif
    EXPECT_EQ(&jpeg::FastestKernels(), jpeg::Avx2Kernels()   ? jpeg::Avx2Kernels()
                                       : jpeg::Sse2Kernels() ? jpeg::Sse2Kernels()
                                                             : &jpeg::ScalarKernels());
}

// The files are exactly what this encoder has always written: any change to
// a kernel, the tables or the bit writer that moves one bit shows here.
TEST(JpegStream, FilesStayByteForByteTheSame) {
    const Picture pic = Waves(203, 101, true);
    const std::pair<int, std::uint64_t> files[] = {
        {20, 5273307149102948404u}, {75, 5124864007841460215u}, {95, 3381119225074454547u}};
    for (const auto& [quality, hash] : files) {
        std::uint64_t h = 14695981039346656037u;  // FNV-1a
        for (std::uint8_t b : Encode(pic.View(), quality)) h = (h ^ b) * 1099511628211u;
        EXPECT_EQ(h, hash) << quality;
    }
}

struct CountingSink final : ByteSink {
    explicit CountingSink(int acceptCalls) : accept(acceptCalls) {}
    bool Write(const std::uint8_t*, std::size_t) override { return ++calls <= accept; }
    int accept, calls = 0;
};

TEST(JpegStream, ARefusingSinkFailsTheWriterAndNothingMoreIsWritten) {
    const Picture pic = Waves(400, 300, true);
    CountingSink all(1 << 30);
    ASSERT_TRUE(WriteJpeg(pic.View(), 100, all));
    ASSERT_GE(all.calls, 3);  // the file goes out in several pieces
    for (int accept = 0; accept < all.calls; ++accept) {
        CountingSink sink(accept);
        EXPECT_FALSE(WriteJpeg(pic.View(), 100, sink)) << accept;
        EXPECT_EQ(sink.calls, accept + 1) << "wrote on after a refusal";
    }
}

#ifdef MRV_TEST_WITH_LIBJPEG
// libjpeg's reading of `file` against `source`: the worst channel difference
// and the PSNR. A file it cannot read at all ends the process (libjpeg's
// error exit), which fails the test as surely as an assertion; warnings
// (corrupt data, premature end) and a wrong size fail here.
std::pair<int, double> ReadBack(const Picture& source, const Bytes& file) {
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    Picture d(int(info.output_width), int(info.output_height));
    for (JSAMPROW row = d.px.data(); info.output_scanline < info.output_height; row += d.width * 3)
        jpeg_read_scanlines(&info, &row, 1);
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    EXPECT_TRUE(errors.num_warnings == 0 && d.width == source.width && d.height == source.height);
    d.px.resize(source.px.size());  // a wrong size has failed above
    int worst = 0;
    double sum = 1e-9;
    for (std::size_t i = 0; i < source.px.size(); ++i) {
        const int e = source.px[i] - d.px[i];
        worst = std::max(worst, std::abs(e));
        sum += e * e;
    }
    return {worst, 10 * std::log10(255.0 * 255.0 * double(source.px.size()) / sum)};
}

// libjpeg's defaults at `quality`; full-resolution chroma when asked.
Bytes EncodeWithLibjpeg(const Picture& pic, int quality, bool fullChroma) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &mem, &size);
    info.image_width = JDIMENSION(pic.width), info.image_height = JDIMENSION(pic.height);
    info.input_components = 3, info.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    if (fullChroma) info.comp_info[0].h_samp_factor = info.comp_info[0].v_samp_factor = 1;
    jpeg_start_compress(&info, TRUE);
    for (JSAMPROW row = const_cast<JSAMPROW>(pic.px.data()); info.next_scanline < info.image_height;
         row += pic.width * 3)
        jpeg_write_scanlines(&info, &row, 1);
    jpeg_finish_compress(&info);
    Bytes out(mem, mem + size);
    jpeg_destroy_compress(&info);
    std::free(mem);
    return out;
}

// Every size through the block and MCU edges, up to the largest libjpeg reads
// (65500): every pixel, edges included, close to its source.
TEST(JpegLibjpeg, ReadsEverySizeCleanlyAndClose) {
    std::vector<std::pair<int, int>> sizes = {{17, 9}, {9, 17}, {33, 47}, {65500, 2}, {3, 65500}};
    for (int i = 0; i < 121; ++i) sizes.push_back({i % 11 + 1, i / 11 + 1});  // 1 x 1 to 11 x 11
    for (int n : {15, 16, 17, 31, 33, 64, 129}) sizes.insert(sizes.end(), {{1, n}, {n, 1}});
    for (auto [w, h] : sizes) {
        const Picture pic = Waves(w, h);
        for (int quality : {75, 95}) {
            SCOPED_TRACE(::testing::Message() << w << "x" << h << " q" << quality);
            const auto [worst, psnr] = ReadBack(pic, Encode(pic.View(), quality));
            EXPECT_LE(worst, quality == 95 ? 10 : 32);
            EXPECT_GT(psnr, quality == 95 ? 40 : 31);
        }
    }
}

// A pure red "F" on pure blue (chroma at 255 and 0, which must not wrap) over
// a grid of 8 x 8 cells. A flipped, turned or red-blue swapped file is far
// below the bound (under 10 dB).
TEST(JpegLibjpeg, FPictureReadsBackUprightRedOnBlue) {
    const int rows[8] = {0, 0x7E, 0x06, 0x1E, 0x06, 0x06, 0x06, 0};  // bit u: cell u is red
    Picture f(80, 96);
    for (int i = 0; i < 80 * 96; ++i) {
        const int red = rows[i / 960] >> (i % 80 / 10) & 1;
        f.Set(i % 80, i / 80, 255 * red, 0, 255 * !red);
    }
    for (int quality : {50, 90}) EXPECT_GT(ReadBack(f, Encode(f.View(), quality)).second, 20);
}

// At 100 near lossless, black and white blocks side by side included.
TEST(JpegLibjpeg, TablesEqualLibjpegsAndSizeAndFidelityAreClose) {
    const Picture pic = Waves(200, 120, true);
    for (int quality : {1, 25, 30, 50, 51, 80, 89, 90, 95, 100}) {
        const Bytes ours = Encode(pic.View(), quality);
        const Bytes theirs = EncodeWithLibjpeg(pic, quality, quality >= 90);
        EXPECT_EQ(Segments(ours, 0xDB), Segments(theirs, 0xDB)) << quality;
        EXPECT_EQ(Segments(ours, 0xC4), Segments(theirs, 0xC4)) << quality;
        const double psnr = ReadBack(pic, ours).second;
        EXPECT_GT(psnr, quality == 100 ? 40 : 0);
        if (quality != 30 && quality != 80 && quality != 95) continue;
        EXPECT_NEAR(double(ours.size()) / double(theirs.size()), 1.0, 0.03) << quality;
        EXPECT_NEAR(psnr, ReadBack(pic, theirs).second, 0.1) << quality;
    }
}
#endif

}  // namespace mrv::imaging::jpegtest
