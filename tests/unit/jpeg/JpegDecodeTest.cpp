// Our files as another program reads them (libjpeg), and compared with what
// libjpeg writes itself at the same settings.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include "JpegTestSupport.h"

namespace mrv::imaging::jpegtest {
namespace {

struct Decoded {
    int width = 0, height = 0;
    Bytes rgb;
    long warnings = 0;  // corrupt data, premature end, ...
    const std::uint8_t* At(int x, int y) const { return &rgb[(std::size_t(y) * width + x) * 3]; }
};

// A file libjpeg cannot read at all ends the test process (libjpeg's error
// exit), which fails the test as surely as an assertion.
Decoded Decode(const Bytes& file) {
    Decoded d;
    jpeg_decompress_struct info;
    jpeg_error_mgr manager;
    info.err = jpeg_std_error(&manager);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    d.width = static_cast<int>(info.output_width);
    d.height = static_cast<int>(info.output_height);
    d.rgb.resize(std::size_t(d.width) * d.height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = &d.rgb[std::size_t(info.output_scanline) * d.width * 3];
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    d.warnings = manager.num_warnings;
    jpeg_destroy_decompress(&info);
    return d;
}

// libjpeg's defaults at `quality`; full-resolution chroma when asked.
Bytes EncodeWithLibjpeg(const Picture& pic, int quality, bool fullChroma) {
    jpeg_compress_struct info;
    jpeg_error_mgr manager;
    info.err = jpeg_std_error(&manager);
    jpeg_create_compress(&info);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &mem, &size);
    info.image_width = static_cast<JDIMENSION>(pic.width);
    info.image_height = static_cast<JDIMENSION>(pic.height);
    info.input_components = 3;
    info.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    if (fullChroma) info.comp_info[0].h_samp_factor = info.comp_info[0].v_samp_factor = 1;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(pic.At(0, static_cast<int>(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    Bytes out(mem, mem + size);
    jpeg_destroy_compress(&info);
    std::free(mem);
    return out;
}

double Psnr(const Picture& pic, const Decoded& d) {
    double sum = 0;
    for (int y = 0; y < pic.height; ++y) {
        for (int x = 0; x < pic.width; ++x) {
            for (int c = 0; c < 3; ++c) sum += std::pow(pic.At(x, y)[2 - c] - d.At(x, y)[c], 2.0);
        }
    }
    return 10 * std::log10(255.0 * 255.0 * 3 * pic.width * pic.height / std::max(sum, 1e-9));
}

// Every size from 1 x 1 through the block and MCU boundaries, up to the
// largest libjpeg reads (65500): every pixel, edges included, close to
// its source, and the whole picture too.
TEST(JpegLibjpeg, ReadsEverySizeCleanlyAndClose) {
    std::vector<std::pair<int, int>> sizes;
    for (int w = 1; w <= 11; ++w) {
        for (int h = 1; h <= 11; ++h) sizes.push_back({w, h});
    }
    for (int n : {2, 8, 15, 16, 17, 31, 33, 64, 129}) {
        sizes.push_back({1, n});
        sizes.push_back({n, 1});
    }
    for (auto wh : {std::pair{17, 9}, {9, 17}, {33, 47}, {65500, 2}, {3, 65500}}) {
        sizes.push_back(wh);
    }
    for (auto [w, h] : sizes) {
        const Picture pic = WavePicture(w, h);
        for (int quality : {75, 95}) {
            SCOPED_TRACE(::testing::Message() << w << "x" << h << " q" << quality);
            const Decoded d = Decode(EncodeToBytes(pic.View(), quality));
            ASSERT_EQ(d.warnings, 0);
            ASSERT_EQ(d.width, w);
            ASSERT_EQ(d.height, h);
            int worst = 0;
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    for (int c = 0; c < 3; ++c) {
                        worst = std::max(worst, std::abs(pic.At(x, y)[2 - c] - d.At(x, y)[c]));
                    }
                }
            }
            EXPECT_LE(worst, quality == 95 ? 10 : 32);
            EXPECT_GT(Psnr(pic, d), quality == 95 ? 40 : 31);
        }
    }
}

TEST(JpegLibjpeg, FPictureReadsBackUprightRedOnBlue) {
    for (int quality : {50, 90}) {
        const Decoded d = Decode(EncodeToBytes(FPicture(80, 96).View(), quality));
        ASSERT_EQ(d.warnings, 0);
        auto cell = [&](int u, int v) { return d.At(u * 10 + 5, v * 12 + 6); };
        auto red = [&](int u, int v) { return cell(u, v)[0] > 180 && cell(u, v)[2] < 80; };
        auto blue = [&](int u, int v) { return cell(u, v)[2] > 170 && cell(u, v)[0] < 80; };
        EXPECT_TRUE(red(1, 1) && red(6, 1) && red(2, 6) && red(4, 3)) << quality;
        EXPECT_TRUE(blue(6, 6) && blue(6, 3) && blue(0, 0) && blue(4, 5)) << quality;
    }
}

// Includes black and white blocks side by side at 100: DC steps of 2040
// (the largest DC category) and the largest AC terms.
TEST(JpegLibjpeg, FidelityRisesWithQualityUpToNearLossless) {
    const Picture smooth = WavePicture(96, 80);
    std::map<int, double> psnr;
    for (int quality : {10, 50, 90, 100}) {
        const Decoded d = Decode(EncodeToBytes(smooth.View(), quality));
        ASSERT_EQ(d.warnings, 0);
        psnr[quality] = Psnr(smooth, d);
    }
    EXPECT_GT(psnr[100], 40);
    EXPECT_GT(psnr[50], 30);
    EXPECT_GT(psnr[100], psnr[90]);
    EXPECT_GT(psnr[90], psnr[50]);
    EXPECT_GT(psnr[50], psnr[10]);

    Picture checker(48, 16);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 48; ++x) {
            const int v = x >= 40 ? (x % 2) * 255 : ((x / 8 + y / 8) % 2) * 255;
            checker.Set(x, y, v, v, v);
        }
    }
    const Decoded d = Decode(EncodeToBytes(checker.View(), 100));
    ASSERT_EQ(d.warnings, 0);
    EXPECT_GT(Psnr(checker, d), 40);
}

TEST(JpegLibjpeg, TablesEqualThoseLibjpegWritesAtTheSameQuality) {
    const Picture pic = WavePicture(16, 16);
    for (int quality : {1, 5, 10, 25, 49, 50, 51, 75, 80, 89, 90, 95, 99, 100}) {
        const Bytes ours = EncodeToBytes(pic.View(), quality);
        const Bytes theirs = EncodeWithLibjpeg(pic, quality, false);
        EXPECT_EQ(JoinedBodies(ours, 0xDB), JoinedBodies(theirs, 0xDB)) << quality;
        EXPECT_EQ(JoinedBodies(ours, 0xC4), JoinedBodies(theirs, 0xC4)) << quality;
    }
}

TEST(JpegLibjpeg, SizeAndFidelityMatchLibjpegAtTheSameSettings) {
    const Picture pic = WavePicture(200, 120, true);
    for (int quality : {30, 80, 95}) {
        const Bytes ours = EncodeToBytes(pic.View(), quality);
        const Bytes theirs = EncodeWithLibjpeg(pic, quality, quality >= 90);
        EXPECT_NEAR(double(ours.size()) / double(theirs.size()), 1.0, 0.03) << quality;
        EXPECT_NEAR(Psnr(pic, Decode(ours)), Psnr(pic, Decode(theirs)), 0.1) << quality;
    }
}

}  // namespace
}  // namespace mrv::imaging::jpegtest
