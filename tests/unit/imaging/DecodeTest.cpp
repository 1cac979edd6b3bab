// Our PNG and JPEG files as other programs read them: libpng and libjpeg are
// the judges. Native only.
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <png.h>

#include <thread>

#include "imaging/PngEncoder.h"
#include "output/OutputImage.h"
#include "settings/Settings.h"
#include "tests/unit/imaging/TestPictures.h"

namespace mrv::imaging {
namespace {

using namespace test;

// Empty when libpng reports an error.
std::vector<Rgb> DecodePng(const std::vector<std::uint8_t>& png) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<Rgb> pixels(std::size_t{image.width} * image.height);
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) pixels.clear();
    return pixels;
}

TEST(PngThroughLibpng, EverySizeRoundTripsAsTruecolourByEveryPlanAndAsPalette) {
    for (auto [w, h] : RoundTripSizes()) {
        const Snapshot s = Noise(w, h, w * 7 + h, 9000);
        ImagePtr image = CaptureAll(s), indexed = CaptureAll(s);
        VectorSink truecolour, palette;
        ASSERT_TRUE(ReduceTo256Colours(indexed.get()) && WritePng(image.get(), truecolour) &&
                    WritePng(indexed.get(), palette));
        ASSERT_EQ(DecodePng(truecolour.bytes), s.Pixels()) << w << "x" << h;
        // Up to 256 pixels the palette is exact; past that the file shows the quantised DIB.
        ASSERT_EQ(DecodePng(palette.bytes),
                  w * h <= 256 ? s.Pixels() : ReadDib(GetDibDescriptor(indexed.get())->dib));
        // The colour types in the header: 2 truecolour, 3 palette.
        ASSERT_EQ((std::array{truecolour.bytes[25], palette.bytes[25]}),
                  (std::array<std::uint8_t, 2>{2, 3}));
        for (const PngPlan& plan : CandidatePlans()) {
            VectorSink sink;
            ASSERT_TRUE(EncodeTruecolourPng(GetBgrView(image.get()), plan, 1, sink));
            ASSERT_EQ(DecodePng(sink.bytes), s.Pixels()) << w << "x" << h;
        }
    }
}

TEST(PngThroughLibpng, StripsOnWorkerThreadsJoinIntoOneStream) {
    // Tall enough for several strips, in bands repeating down the picture so that
    // matches reach back across strips, with a little texture.
    Snapshot s(300, 1500);
    for (int i = 0, x = 0, y = 0; i < 300 * 1500; x = ++i % 300, y = i / 300)
        s.Set(i, {U8(x / 10 * 8 + (x * y * 7 >> 3 & 3)), U8(y % 97), U8((x ^ y) & 0xF0)});
    ImagePtr image = CaptureAll(s);
    VectorSink single;
    ASSERT_TRUE(WritePng(image.get(), single));
    for (int threads : {2, 3, 8}) {
        VectorSink sink;
        ASSERT_TRUE(WritePng(image.get(), sink, PngOptions{PngFilter::kAuto, threads}));
        EXPECT_EQ(DecodePng(sink.bytes), s.Pixels()) << threads;
        EXPECT_LT(sink.bytes.size(), single.bytes.size() * 101 / 100) << threads;
    }
}

// The program's PNG saves on both sides of the size from which they use
// threads: screen-like bands with a strip of noise down the middle, so
// strips cut through both. Whatever the threads, 24-bit files read back as
// the picture and 8-bit ones as the same reduced DIB, within 1% of the
// single-threaded size.
TEST(PngThroughLibpng, ProgramSavesAroundOneMegapixelReadBackTheSame) {
    EXPECT_EQ(SaveThreads(999, 1001, 8), 1);
    EXPECT_EQ(SaveThreads(1000, 1000, 8), 4);
    EXPECT_EQ(SaveThreads(2000, 500, 3), 3);
    EXPECT_EQ(SaveThreads(1000, 1000, 0), 1);
    // Width, height, and the threads of the last save (the first is on one,
    // the second on the program's choice).
    const int sizes[][3] = {{999, 1001, 0}, {1000, 1000, 3}};
    for (const auto& [w, h, more] : sizes) {
        const Snapshot noise = Noise(w / 8, h, 4, 600);
        Snapshot s(w, h);
        for (int i = 0, x = 0, y = 0; i < w * h; x = ++i % w, y = i / w) {
            const int inside = x - w / 2;
            if (inside >= 0 && inside < noise.width) {
                const auto& p = noise.bgrx[static_cast<std::size_t>(y * noise.width + inside)];
                s.Set(i, {p[2], p[1], p[0]});
            } else {
                s.Set(i, {U8(x / 16 % 8 * 32), U8(y % 61 / 8 * 32), U8((x ^ y) & 0xC0)});
            }
        }
        const std::vector<Rgb> pixels = s.Pixels();
        OutputImage out;
        for (const std::uint8_t code : {std::uint8_t(kFormatFamilyPng | kVariant24),
                                        std::uint8_t(kFormatFamilyPng | kVariant8)}) {
            std::vector<std::uint8_t> single, dib;
            for (int threads : {1, 0, more}) {
                SCOPED_TRACE(::testing::Message()
                             << w << "x" << h << " code " << int(code) << " threads " << threads);
                out.SetThreads(threads);
                ASSERT_TRUE(out.Capture(s.View(), Rect::FromXYWH(0, 0, w, h)));
                EXPECT_EQ(
                    out.Threads(),
                    threads ? threads : SaveThreads(w, h, std::thread::hardware_concurrency()));
                VectorSink sink;
                ASSERT_TRUE(out.ConvertTo(code & kColourVariantMask) && out.Write(code, sink));
                const std::uint8_t* bytes = out.DibInfo()->dib;
                const std::vector<std::uint8_t> now(bytes, bytes + out.DibSize());
                if (threads == 1) {
                    single = sink.bytes;
                    dib = now;
                }
                EXPECT_EQ(now, dib);
                EXPECT_EQ(DecodePng(sink.bytes), code & kVariant8 ? ReadDib(bytes) : pixels);
                EXPECT_LE(sink.bytes.size(), single.size() * 101 / 100);
            }
        }
    }
}

// An error libjpeg reports ends the test program.
std::vector<Rgb> DecodeJpeg(const std::vector<std::uint8_t>& bytes) {
    jpeg_decompress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    std::vector<Rgb> out(std::size_t{info.output_width} * info.output_height);
    for (JSAMPROW row; info.output_scanline < info.output_height;
         jpeg_read_scanlines(&info, &row, 1))
        row = out[info.output_scanline * info.output_width].data();
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return out;
}

TEST(JpegThroughLibjpeg, EveryDepthKeepsOrientationAndColoursAtQuality100) {
    for (int depth : {24, 565, 8}) {
        ImagePtr image = CaptureAll(Noise(64, 48, 8));
        VectorSink sink;
        ASSERT_TRUE(Convert(image.get(), depth) && WriteJpeg(image.get(), 100, sink));
        EXPECT_GT(Psnr(DecodeJpeg(sink.bytes), ReadDib(GetDibDescriptor(image.get())->dib)), 40.0)
            << depth;
    }
}

}  // namespace
}  // namespace mrv::imaging
