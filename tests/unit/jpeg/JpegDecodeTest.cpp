// Our files as another program sees them: decoded by libjpeg, and compared
// with what libjpeg itself writes at the same settings.
#include <gtest/gtest.h>

#include <cmath>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <map>

#include <jpeglib.h>

#include "JpegTestSupport.h"
#include "imaging/JpegWriter.h"

namespace mrv::imaging::jpegtest {
namespace {

using Bytes = std::vector<std::uint8_t>;

// libjpeg reports errors through exit() unless told otherwise; any warning
// (corrupt data, premature end) counts as a failure too.
struct ErrorTrap {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX] = "";
};

void OnError(j_common_ptr info) {
    auto* trap = reinterpret_cast<ErrorTrap*>(info->err);
    info->err->format_message(info, trap->message);
    std::longjmp(trap->jump, 1);
}

void OnMessage(j_common_ptr info, int level) {
    if (level < 0) {  // warning
        auto* trap = reinterpret_cast<ErrorTrap*>(info->err);
        info->err->format_message(info, trap->message);
        ++info->err->num_warnings;
    }
}

struct Decoded {
    int width = 0, height = 0;
    Bytes rgb;
    std::string problem;  // empty when clean
};

Decoded DecodeWithLibjpeg(const Bytes& file) {
    Decoded d;
    jpeg_decompress_struct info;
    ErrorTrap trap;
    info.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = OnError;
    trap.manager.emit_message = OnMessage;
    if (setjmp(trap.jump)) {
        d.problem = trap.message;
        jpeg_destroy_decompress(&info);
        return d;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    d.width = static_cast<int>(info.output_width);
    d.height = static_cast<int>(info.output_height);
    d.rgb.resize(static_cast<std::size_t>(d.width) * d.height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = &d.rgb[static_cast<std::size_t>(info.output_scanline) * d.width * 3];
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    if (trap.manager.num_warnings) d.problem = trap.message;
    jpeg_destroy_decompress(&info);
    return d;
}

// libjpeg's own file: default settings, given quality; full-resolution
// chroma when asked.
Bytes EncodeWithLibjpeg(const Picture& pic, int quality, bool fullChroma) {
    jpeg_compress_struct info;
    ErrorTrap trap;
    info.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = OnError;
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    if (setjmp(trap.jump)) {
        jpeg_destroy_compress(&info);
        std::free(mem);
        return {};
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &mem, &size);
    info.image_width = static_cast<JDIMENSION>(pic.width);
    info.image_height = static_cast<JDIMENSION>(pic.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    if (fullChroma) info.comp_info[0].h_samp_factor = info.comp_info[0].v_samp_factor = 1;
    jpeg_start_compress(&info, TRUE);
    Bytes row(static_cast<std::size_t>(pic.width) * 3);
    while (info.next_scanline < info.image_height) {
        for (int x = 0; x < pic.width; ++x) {
            const std::uint8_t* p = pic.At(x, static_cast<int>(info.next_scanline));
            row[3 * x] = p[2];
            row[3 * x + 1] = p[1];
            row[3 * x + 2] = p[0];
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    Bytes out(mem, mem + size);
    jpeg_destroy_compress(&info);
    std::free(mem);
    return out;
}

double Psnr(const Picture& pic, const Bytes& rgb) {
    double sum = 0;
    for (int y = 0; y < pic.height; ++y) {
        for (int x = 0; x < pic.width; ++x) {
            const std::uint8_t* p = pic.At(x, y);
            const std::uint8_t* q = &rgb[(static_cast<std::size_t>(y) * pic.width + x) * 3];
            for (int c = 0; c < 3; ++c) sum += std::pow(double(p[2 - c]) - q[c], 2);
        }
    }
    const double mse = sum / (3.0 * pic.width * pic.height);
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

TEST(JpegLibjpeg, ReadsEverySizeCleanly) {
    std::vector<std::pair<int, int>> sizes;
    for (int w = 1; w <= 11; ++w) {
        for (int h = 1; h <= 11; ++h) sizes.push_back({w, h});
    }
    for (int n : {2, 8, 15, 16, 17, 31, 33, 64, 129}) {
        sizes.push_back({1, n});
        sizes.push_back({n, 1});
    }
    for (auto wh : {std::pair{17, 9}, {9, 17}, {33, 47}, {255, 3}}) sizes.push_back(wh);
    for (auto [w, h] : sizes) {
        const Picture pic = SmoothPicture(w, h);
        for (int quality : {75, 95}) {
            SCOPED_TRACE(::testing::Message() << w << "x" << h << " q" << quality);
            const Decoded d = DecodeWithLibjpeg(EncodeToBytes(pic.View(), quality));
            ASSERT_EQ(d.problem, "");
            ASSERT_EQ(d.width, w);
            ASSERT_EQ(d.height, h);
            // Every pixel, the edge ones included, close to its source.
            int worst = 0;
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    for (int c = 0; c < 3; ++c) {
                        const int want = pic.At(x, y)[2 - c];
                        const int got = d.rgb[(static_cast<std::size_t>(y) * w + x) * 3 + c];
                        worst = std::max(worst, std::abs(want - got));
                    }
                }
            }
            EXPECT_LE(worst, quality == 95 ? 8 : 20);
        }
    }
}

TEST(JpegLibjpeg, FPictureReadsBackUprightAndRedOnBlue) {
    const Picture pic = FPicture(80, 96);
    for (int quality : {50, 90}) {
        const Decoded d = DecodeWithLibjpeg(EncodeToBytes(pic.View(), quality));
        ASSERT_EQ(d.problem, "");
        ASSERT_EQ(d.width, 80);
        auto pixel = [&](int cellX, int cellY) {  // centre of an F cell
            const int x = cellX * 10 + 5, y = cellY * 12 + 6;
            return &d.rgb[(static_cast<std::size_t>(y) * 80 + x) * 3];
        };
        auto isRed = [&](int cx, int cy) {
            const std::uint8_t* p = pixel(cx, cy);
            return p[0] > 180 && p[2] < 80;
        };
        auto isBlue = [&](int cx, int cy) {
            const std::uint8_t* p = pixel(cx, cy);
            return p[2] > 170 && p[0] < 80;
        };
        EXPECT_TRUE(isRed(1, 1) && isRed(6, 1) && isRed(2, 6) && isRed(4, 3)) << quality;
        EXPECT_TRUE(isBlue(6, 6) && isBlue(6, 3) && isBlue(0, 0) && isBlue(4, 5)) << quality;
    }
}

TEST(JpegLibjpeg, PictureQualityRisesWithTheSetting) {
    const Picture smooth = SmoothPicture(96, 80);
    std::map<int, double> psnr;
    for (int quality : {10, 50, 90, 100}) {
        const Decoded d = DecodeWithLibjpeg(EncodeToBytes(smooth.View(), quality));
        ASSERT_EQ(d.problem, "");
        psnr[quality] = Psnr(smooth, d.rgb);
    }
    EXPECT_GT(psnr[100], 40);
    EXPECT_GT(psnr[50], 30);
    EXPECT_GT(psnr[100], psnr[90]);
    EXPECT_GT(psnr[90], psnr[50]);
    EXPECT_GT(psnr[50], psnr[10]);
}

TEST(JpegLibjpeg, TablesEqualThoseLibjpegWritesForTheSameQuality) {
    const Picture pic = SmoothPicture(16, 16);
    for (int quality : {1, 5, 10, 25, 49, 50, 51, 75, 80, 89, 90, 95, 99, 100}) {
        SCOPED_TRACE(quality);
        const auto ours = HeaderSegments(EncodeToBytes(pic.View(), quality));
        const auto theirs = HeaderSegments(EncodeWithLibjpeg(pic, quality, false));
        // libjpeg may split tables over several segments; compare them table
        // by table, keyed by their id byte.
        auto collect = [](const std::vector<Segment>& segments, int marker, bool huffman) {
            std::map<int, Bytes> tables;
            for (const Segment& s : segments) {
                if (s.marker != marker) continue;
                for (std::size_t i = 0; i < s.body.size();) {
                    std::size_t length = 65;
                    if (huffman) {
                        length = 17;
                        for (int l = 1; l <= 16; ++l) length += s.body[i + l];
                    }
                    tables[s.body[i]] = Bytes(s.body.begin() + i, s.body.begin() + i + length);
                    i += length;
                }
            }
            return tables;
        };
        EXPECT_EQ(collect(ours, 0xDB, false), collect(theirs, 0xDB, false));
        EXPECT_EQ(collect(ours, 0xC4, true), collect(theirs, 0xC4, true));
        EXPECT_EQ(collect(ours, 0xDB, false).size(), 2u);
        EXPECT_EQ(collect(ours, 0xC4, true).size(), 4u);
    }
}

TEST(JpegLibjpeg, SizeAndFidelityMatchLibjpegAtTheSameSettings) {
    const Picture pic = BusyPicture(200, 120, 17);
    for (int quality : {30, 80, 95}) {
        SCOPED_TRACE(quality);
        const Bytes ours = EncodeToBytes(pic.View(), quality);
        const Bytes theirs = EncodeWithLibjpeg(pic, quality, quality >= 90);
        const Decoded a = DecodeWithLibjpeg(ours), b = DecodeWithLibjpeg(theirs);
        ASSERT_EQ(a.problem, "");
        ASSERT_EQ(b.problem, "");
        EXPECT_NEAR(double(ours.size()) / double(theirs.size()), 1.0, 0.03);
        EXPECT_NEAR(Psnr(pic, a.rgb), Psnr(pic, b.rgb), 0.1);
    }
}

}  // namespace
}  // namespace mrv::imaging::jpegtest
