// Our files as other programs read them: PNG through libpng, JPEG through
// libjpeg. Native only.
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <png.h>

#include <cmath>
#include <csetjmp>

#include "imaging/PngEncoder.h"
#include "tests/unit/imaging/TestPictures.h"

namespace mrv::imaging {
namespace {

using test::CaptureAll;
using test::Pixels;
using test::Rgb;
using test::Snapshot;

struct Decoded {
    int width = 0;
    int height = 0;
    int colourType = -1;
    png_uint_32 xPerMetre = 0;
    std::vector<Rgb> pixels;
};

// libpng, expanding palettes to RGB; false on any error it reports.
bool DecodePng(const std::vector<std::uint8_t>& png, Decoded* out) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) return false;
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return false;
    out->width = static_cast<int>(image.width);
    out->height = static_cast<int>(image.height);
    out->pixels.clear();
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3)
        out->pixels.push_back(Rgb{rgb[i], rgb[i + 1], rgb[i + 2]});

    // The low-level reader for what the simplified one does not tell.
    png_structp read = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(read);
    struct Source {
        const std::vector<std::uint8_t>* bytes;
        std::size_t at;
    } source{&png, 0};
    if (setjmp(png_jmpbuf(read))) {
        png_destroy_read_struct(&read, &info, nullptr);
        return false;
    }
    png_set_read_fn(read, &source, [](png_structp p, png_bytep data, png_size_t size) {
        auto* s = static_cast<Source*>(png_get_io_ptr(p));
        if (s->at + size > s->bytes->size()) png_error(p, "short");
        std::memcpy(data, s->bytes->data() + s->at, size);
        s->at += size;
    });
    png_read_info(read, info);
    out->colourType = png_get_color_type(read, info);
    png_uint_32 y = 0;
    int unit = 0;
    png_get_pHYs(read, info, &out->xPerMetre, &y, &unit);
    png_destroy_read_struct(&read, &info, nullptr);
    return true;
}

std::vector<std::pair<int, int>> RoundTripSizes() {
    std::vector<std::pair<int, int>> sizes;
    for (int w = 1; w <= 11; ++w)
        for (int h = 1; h <= 11; ++h) sizes.emplace_back(w, h);
    for (int n : {17, 64, 333}) {
        sizes.emplace_back(1, n);
        sizes.emplace_back(n, 1);
    }
    return sizes;
}

TEST(PngThroughLibpng, TruecolourRoundTripsEverySizeAndPlan) {
    std::vector<PngPlan> plans = CandidatePlans();
    for (auto [w, h] : RoundTripSizes()) {
        const Snapshot s = w * h > 16
                               ? test::Noise(w, h, static_cast<std::uint32_t>(w * 7 + h), 9000)
                               : test::LetterF(w, h);
        ImagePtr image = CaptureAll(s);
        VectorSink automatic;
        ASSERT_TRUE(WritePng(image.get(), automatic));
        Decoded d;
        ASSERT_TRUE(DecodePng(automatic.bytes, &d)) << w << "x" << h;
        ASSERT_EQ(d.colourType, PNG_COLOR_TYPE_RGB);
        ASSERT_EQ(d.xPerMetre, 3780u);
        ASSERT_EQ(d.pixels, Pixels(s)) << w << "x" << h;
        for (const PngPlan& plan : plans) {
            VectorSink sink;
            ASSERT_TRUE(EncodeTruecolourPng(GetBgrView(image.get()), plan, 1, sink));
            ASSERT_TRUE(DecodePng(sink.bytes, &d));
            ASSERT_EQ(d.pixels, Pixels(s)) << w << "x" << h << " filtered " << plan.filtered;
        }
    }
}

TEST(PngThroughLibpng, StripsOnWorkerThreadsJoinIntoOneStream) {
    // Tall enough for several strips; a repeating pattern so that every
    // strip's matches reach back into the one before, with some texture.
    const Snapshot texture = test::Noise(300, 1500, 4);
    Snapshot s(300, 1500);
    for (int y = 0; y < s.height; ++y) {
        for (int x = 0; x < s.width; ++x) {
            const Rgb t = texture.At(x, y);
            s.Set(
                x, y,
                Rgb{static_cast<std::uint8_t>((x / 10) * 8 + (t.r & 3)),
                    static_cast<std::uint8_t>(y % 97), static_cast<std::uint8_t>((x ^ y) & 0xF0)});
        }
    }
    ImagePtr image = CaptureAll(s);
    VectorSink single;
    ASSERT_TRUE(WritePng(image.get(), single));
    for (int threads : {2, 3, 8}) {
        PngOptions options;
        options.threads = threads;
        VectorSink sink;
        ASSERT_TRUE(WritePng(image.get(), sink, options));
        Decoded d;
        ASSERT_TRUE(DecodePng(sink.bytes, &d)) << threads;
        EXPECT_EQ(d.pixels, Pixels(s)) << threads;
        EXPECT_LT(static_cast<double>(sink.bytes.size()),
                  1.01 * static_cast<double>(single.bytes.size()));
    }
}

TEST(PngThroughLibpng, PaletteRoundTripsEverySize) {
    for (auto [w, h] : RoundTripSizes()) {
        const Snapshot s = test::Noise(w, h, static_cast<std::uint32_t>(w * 13 + h), 256);
        ImagePtr image = CaptureAll(s);
        ASSERT_TRUE(ReduceTo256Colours(image.get()));
        VectorSink sink;
        ASSERT_TRUE(WritePng(image.get(), sink));
        Decoded d;
        ASSERT_TRUE(DecodePng(sink.bytes, &d)) << w << "x" << h;
        ASSERT_EQ(d.colourType, PNG_COLOR_TYPE_PALETTE);
        ASSERT_EQ(d.pixels, Pixels(s)) << w << "x" << h;
    }
    // A quantised picture decodes to what its DIB shows.
    const Snapshot many = test::Noise(120, 80, 77);
    ImagePtr image = CaptureAll(many);
    ASSERT_TRUE(ReduceTo256Colours(image.get()));
    VectorSink sink;
    ASSERT_TRUE(WritePng(image.get(), sink));
    Decoded d;
    ASSERT_TRUE(DecodePng(sink.bytes, &d));
    EXPECT_EQ(d.pixels, test::ReadDib(GetDibDescriptor(image.get())->dib));
}

#if __has_include("imaging/JpegWriter.h")
struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

// Decodes with libjpeg; returns the luma sampling factor too.
bool DecodeJpeg(const std::vector<std::uint8_t>& bytes, Decoded* out, int* lumaSampling) {
    jpeg_decompress_struct info;
    JpegError error;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = [](j_common_ptr c) {
        std::longjmp(reinterpret_cast<JpegError*>(c->err)->jump, 1);
    };
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    *lumaSampling = info.comp_info[0].h_samp_factor;
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    out->width = static_cast<int>(info.output_width);
    out->height = static_cast<int>(info.output_height);
    out->pixels.clear();
    std::vector<std::uint8_t> row(static_cast<std::size_t>(out->width) * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW p = row.data();
        jpeg_read_scanlines(&info, &p, 1);
        for (std::size_t i = 0; i < row.size(); i += 3)
            out->pixels.push_back(Rgb{row[i], row[i + 1], row[i + 2]});
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

TEST(JpegThroughLibjpeg, KeepsOrientationAndColoursAtQuality100) {
    // Smooth content with the asymmetric letter on top.
    Snapshot s(64, 48);
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x)
            s.Set(x, y,
                  Rgb{static_cast<std::uint8_t>(40 + x * 3), static_cast<std::uint8_t>(60 + y * 2),
                      150});
    for (int y = 10; y < 40; ++y)
        for (int x = 16; x < 22; ++x) s.Set(x, y, Rgb{230, 30, 30});
    for (int x = 16; x < 48; ++x)
        for (int y = 10; y < 16; ++y) s.Set(x, y, Rgb{230, 30, 30});
    ImagePtr image = CaptureAll(s);
    for (int quality : {100, 80}) {
        VectorSink sink;
        ASSERT_TRUE(WriteJpeg(image.get(), quality, sink));
        Decoded d;
        int sampling = 0;
        ASSERT_TRUE(DecodeJpeg(sink.bytes, &d, &sampling));
        ASSERT_EQ(d.width, 64);
        ASSERT_EQ(d.height, 48);
        EXPECT_EQ(sampling, quality >= 90 ? 1 : 2);
        double sum = 0;
        const std::vector<Rgb> want = Pixels(s);
        for (std::size_t i = 0; i < want.size(); ++i) {
            sum += std::pow(d.pixels[i].r - want[i].r, 2) + std::pow(d.pixels[i].g - want[i].g, 2) +
                   std::pow(d.pixels[i].b - want[i].b, 2);
        }
        const double psnr = 10 * std::log10(255.0 * 255.0 * 3 * static_cast<double>(want.size()) /
                                            std::max(sum, 1.0));
        EXPECT_GT(psnr, quality == 100 ? 40.0 : 30.0) << quality;
    }
    // Other depths are written from the colours they show.
    ASSERT_TRUE(ConvertTo16Bit(image.get(), kMasks565));
    VectorSink sink;
    ASSERT_TRUE(WriteJpeg(image.get(), 100, sink));
}
#endif

}  // namespace
}  // namespace mrv::imaging
