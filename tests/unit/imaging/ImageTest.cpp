// The image record, its descriptor and the colour conversions.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <set>
#include <string>

#include "tests/unit/imaging/TestPictures.h"

namespace mrv::imaging {
namespace {

using test::CaptureAll;
using test::Le16;
using test::Le32;
using test::LetterF;
using test::Pixels;
using test::ReadDib;
using test::Rgb;
using test::Snapshot;

TEST(CreateImage, CopiesTheRectangleBottomUpInBgrOrder) {
    const Snapshot f = LetterF(9, 7);
    ImagePtr image(CreateImageFromPixels(f.View(), 2, 1, 5, 4));
    ASSERT_TRUE(image);
    int w = 0, h = 0;
    const std::vector<Rgb> got = ReadDib(GetDibDescriptor(image.get())->dib, &w, &h);
    ASSERT_EQ(w, 5);
    ASSERT_EQ(h, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(got[static_cast<std::size_t>(y * 5 + x)], f.At(x + 2, y + 1));

    // A 24-bit source viewed bottom-up (negative stride) copies the same way.
    ImagePtr whole = CaptureAll(f);
    ImagePtr again(CreateImageFromPixels(GetBgrView(whole.get()), 2, 1, 5, 4));
    ASSERT_TRUE(again);
    EXPECT_EQ(ReadDib(GetDibDescriptor(again.get())->dib), got);
}

TEST(CreateImage, WritesTheInfoHeaderAndZeroPadding) {
    ImagePtr image = CaptureAll(LetterF(5, 3));  // 15 bytes a row, stride 16
    const DibDescriptor* d = GetDibDescriptor(image.get());
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->headerSize, 40);
    EXPECT_EQ(d->pixelSize, 16 * 3);
    const std::uint8_t* h = d->dib;
    EXPECT_EQ(Le32(h), 40u);
    EXPECT_EQ(Le32(h + 4), 5u);
    EXPECT_EQ(Le32(h + 8), 3u);  // positive: bottom-up
    EXPECT_EQ(Le16(h + 12), 1);
    EXPECT_EQ(Le16(h + 14), 24);
    EXPECT_EQ(Le32(h + 16), 0u);  // BI_RGB
    EXPECT_EQ(Le32(h + 20), 48u);
    EXPECT_EQ(Le32(h + 24), 3780u);  // 96 dpi
    EXPECT_EQ(Le32(h + 28), 3780u);
    EXPECT_EQ(Le32(h + 32), 0u);
    for (int row = 0; row < 3; ++row) EXPECT_EQ(h[40 + row * 16 + 15], 0) << row;
    const ImageInfo info = GetImageInfo(image.get());
    EXPECT_EQ(info.width, 5);
    EXPECT_EQ(info.height, 3);
    EXPECT_EQ(info.bitCount, 24);
}

TEST(CreateImage, RefusesEmptyAndOutsideRectangles) {
    const Snapshot s = LetterF(20, 10);
    struct Case {
        int left, top, width, height;
    };
    const Case refused[] = {
        {0, 0, 0, 5},  {0, 0, 5, 0},       {0, 0, -1, 5},      {-1, 0, 5, 5},
        {0, -1, 5, 5}, {16, 0, 5, 5},      {0, 6, 5, 5},       {20, 0, 1, 1},
        {0, 10, 1, 1}, {INT_MAX, 0, 5, 5}, {5, 0, INT_MAX, 1}, {0, 0, INT_MIN, 1},
    };
    for (const Case& c : refused) {
        EXPECT_EQ(CreateImageFromPixels(s.View(), c.left, c.top, c.width, c.height), nullptr)
            << c.left << "," << c.top << " " << c.width << "x" << c.height;
    }
    ImagePtr corner(CreateImageFromPixels(s.View(), 19, 9, 1, 1));
    EXPECT_TRUE(corner);

    PixelView bad = s.View();
    bad.data = nullptr;
    EXPECT_EQ(CreateImageFromPixels(bad, 0, 0, 1, 1), nullptr);
    bad = s.View();
    bad.stride = 20 * 4 - 1;  // rows would overlap
    EXPECT_EQ(CreateImageFromPixels(bad, 0, 0, 1, 1), nullptr);
}

TEST(CreateImage, RefusesSizesBeyondTheDibLimitWithoutReading) {
    // The view claims far more pixels than its buffer has: the size check must
    // come first (the sanitizers would see any read).
    std::uint8_t tiny[16] = {};
    const PixelView huge{tiny, 50000, 50000, 50000 * 4, PixelFormat::kBgrx32};
    EXPECT_EQ(CreateImageFromPixels(huge, 0, 0, 50000, 50000), nullptr);
}

TEST(ConvertTo16Bit, WritesBitFieldsAndRoundsEachLevel) {
    Snapshot ramp(256, 1);
    for (int v = 0; v < 256; ++v)
        ramp.Set(v, 0,
                 Rgb{static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v),
                     static_cast<std::uint8_t>(v)});
    for (const auto& masks : {kMasks565, kMasks555}) {
        ImagePtr image = CaptureAll(ramp);
        const DibDescriptor* d = GetDibDescriptor(image.get());
        ASSERT_TRUE(ConvertTo16Bit(image.get(), masks));
        EXPECT_EQ(GetDibDescriptor(image.get()), d) << "the descriptor keeps its address";
        EXPECT_EQ(d->headerSize, 52);
        EXPECT_EQ(d->pixelSize, 512);
        EXPECT_EQ(Le16(d->dib + 14), 16);
        EXPECT_EQ(Le32(d->dib + 16), 3u);  // BI_BITFIELDS
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(Le32(d->dib + 40 + 4 * k), masks[static_cast<std::size_t>(k)]);
        const int greenBits = masks[1] == 0x07E0 ? 6 : 5;
        const int redShift = masks[0] == 0xF800 ? 11 : 10;
        for (int v = 0; v < 256; ++v) {
            const auto level = [v](int bits) {
                return static_cast<std::uint32_t>(std::lround(v * ((1 << bits) - 1) / 255.0));
            };
            const std::uint32_t expected = level(5) << redShift | level(greenBits) << 5 | level(5);
            ASSERT_EQ(Le16(d->dib + 52 + 2 * v), expected) << "level " << v;
        }
    }
}

TEST(ConvertTo16Bit, RejectsMalformedMasksAndKeepsTheImage) {
    const std::array<std::uint32_t, 3> bad[] = {
        {0xF800, 0x0FE0, 0x001F},    // overlap
        {0xF800, 0x07E0, 0x0000},    // empty
        {0xF800, 0x05E0, 0x001F},    // not one run
        {0x1F0000, 0x07E0, 0x001F},  // beyond 16 bits
        {0xFF80, 0x0060, 0x001F},    // 9 bits of red
    };
    ImagePtr image = CaptureAll(LetterF(6, 4));
    const std::vector<Rgb> before = ReadDib(GetDibDescriptor(image.get())->dib);
    for (const auto& masks : bad) EXPECT_FALSE(ConvertTo16Bit(image.get(), masks));
    EXPECT_EQ(GetImageInfo(image.get()).bitCount, 24);
    EXPECT_EQ(ReadDib(GetDibDescriptor(image.get())->dib), before);
}

TEST(Conversions, MoveBetweenDepthsWithoutDrift) {
    const Snapshot noise = test::Noise(13, 7, 5);
    ImagePtr image = CaptureAll(noise);
    ASSERT_TRUE(ConvertTo24Bit(image.get()));  // already 24 bits
    EXPECT_EQ(ReadDib(GetDibDescriptor(image.get())->dib), Pixels(noise));

    ASSERT_TRUE(ConvertTo16Bit(image.get(), kMasks565));
    const std::vector<Rgb> as16 = ReadDib(GetDibDescriptor(image.get())->dib);
    ASSERT_TRUE(ConvertTo24Bit(image.get()));
    EXPECT_EQ(GetDibDescriptor(image.get())->headerSize, 40);
    EXPECT_EQ(ReadDib(GetDibDescriptor(image.get())->dib), as16) << "16 -> 24 expands exactly";
    ASSERT_TRUE(ConvertTo16Bit(image.get(), kMasks565));
    EXPECT_EQ(ReadDib(GetDibDescriptor(image.get())->dib), as16) << "and 24 -> 16 gives it back";

    // A 16-bit image reduces to the colours it shows.
    ASSERT_TRUE(ReduceTo256Colours(image.get()));
    EXPECT_EQ(GetImageInfo(image.get()).bitCount, 8);
    ASSERT_TRUE(ReduceTo256Colours(image.get())) << "8 bits stays as it is";
}

int DistinctColours(const std::vector<Rgb>& pixels) {
    std::set<std::uint32_t> set;
    for (Rgb c : pixels) set.insert(static_cast<std::uint32_t>(c.r << 16 | c.g << 8 | c.b));
    return static_cast<int>(set.size());
}

TEST(ReduceTo256Colours, KeepsExactlyTheColoursOfSmallPictures) {
    for (std::uint32_t colours : {1u, 3u, 200u, 256u}) {
        const Snapshot s = test::Noise(40, 30, colours, colours);
        const int distinct = DistinctColours(Pixels(s));
        ImagePtr image = CaptureAll(s);
        ASSERT_TRUE(ReduceTo256Colours(image.get()));
        const DibDescriptor* d = GetDibDescriptor(image.get());
        EXPECT_EQ(GetImageInfo(image.get()).paletteSize, distinct);
        EXPECT_EQ(Le32(d->dib + 32), static_cast<std::uint32_t>(distinct));
        EXPECT_EQ(d->headerSize, 40 + 4 * distinct);
        EXPECT_EQ(d->pixelSize, 40 * 30);
        EXPECT_EQ(ReadDib(d->dib), Pixels(s)) << colours << " colours";
    }
}

TEST(ReduceTo256Colours, CountsColoursThatOnlyStartRows) {
    // Each row one colour: the 257th colour is only ever met as a row's first
    // pixel, and must still end the exact palette.
    Snapshot stripes(3, 300);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 3; ++x)
            stripes.Set(x, y,
                        Rgb{static_cast<std::uint8_t>(y), static_cast<std::uint8_t>(y / 2), 7});
    ImagePtr image = CaptureAll(stripes);
    ASSERT_TRUE(ReduceTo256Colours(image.get()));
    const std::vector<Rgb> got = ReadDib(GetDibDescriptor(image.get())->dib);
    const std::vector<Rgb> want = Pixels(stripes);
    for (std::size_t i = 0; i < got.size(); ++i) {
        ASSERT_LE(std::abs(got[i].r - want[i].r) + std::abs(got[i].g - want[i].g), 4) << i;
    }
}

TEST(ReduceTo256Colours, QuantisesLargerPicturesCloselyAndRepeatably) {
    // A smooth two-way ramp with 4096 colours, and one more colour than fits.
    Snapshot ramp(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            ramp.Set(x, y,
                     Rgb{static_cast<std::uint8_t>(x * 4), static_cast<std::uint8_t>(y * 4), 128});
    const Snapshot justOver = test::Noise(50, 50, 9, 257);
    for (const Snapshot* s : {static_cast<const Snapshot*>(&ramp), &justOver}) {
        ImagePtr image = CaptureAll(*s);
        ImagePtr twin = CaptureAll(*s);
        ASSERT_TRUE(ReduceTo256Colours(image.get()));
        ASSERT_TRUE(ReduceTo256Colours(twin.get()));
        const DibDescriptor* d = GetDibDescriptor(image.get());
        const DibDescriptor* t = GetDibDescriptor(twin.get());
        ASSERT_EQ(d->headerSize + d->pixelSize, t->headerSize + t->pixelSize);
        EXPECT_EQ(
            std::memcmp(d->dib, t->dib, static_cast<std::size_t>(d->headerSize + d->pixelSize)), 0)
            << "deterministic";

        const int palette = GetImageInfo(image.get()).paletteSize;
        EXPECT_LE(palette, 256);
        // Every palette entry is used.
        std::set<int> used;
        const std::size_t stride = (static_cast<std::size_t>(s->width) + 3) / 4 * 4;
        for (int y = 0; y < s->height; ++y)
            for (int x = 0; x < s->width; ++x)
                used.insert(d->dib[static_cast<std::size_t>(d->headerSize) + y * stride +
                                   static_cast<std::size_t>(x)]);
        EXPECT_EQ(static_cast<int>(used.size()), palette);

        const std::vector<Rgb> got = ReadDib(d->dib);
        const std::vector<Rgb> want = Pixels(*s);
        double sum = 0;
        for (std::size_t i = 0; i < got.size(); ++i) {
            sum += std::pow(got[i].r - want[i].r, 2) + std::pow(got[i].g - want[i].g, 2) +
                   std::pow(got[i].b - want[i].b, 2);
        }
        const double psnr = 10 * std::log10(255.0 * 255.0 * 3 * static_cast<double>(got.size()) /
                                            std::max(sum, 1.0));
        EXPECT_GT(psnr, 33.0);
    }
}

TEST(ClassifyFileName, ByExtensionIgnoringCase) {
    struct Case {
        const char* name;
        FileType type;
    };
    const Case cases[] = {
        {"a.bmp", FileType::kBmp},
        {"A.BMP", FileType::kBmp},
        {"x.Dib", FileType::kBmp},
        {"p.jpg", FileType::kJpeg},
        {"p.JPEG", FileType::kJpeg},
        {"p.jpe", FileType::kJpeg},
        {"p.jfif", FileType::kJpeg},
        {"C:\\shots\\img0001.png", FileType::kPng},
        {"dir.png\\file", FileType::kUnknown},
        {"dir.png/file", FileType::kUnknown},
        {"img0001", FileType::kUnknown},
        {"img.", FileType::kUnknown},
        {"img.pngx", FileType::kUnknown},
        {"img.gif", FileType::kUnknown},
        {"img.png.txt", FileType::kUnknown},
        {"archive.tar.jpg", FileType::kJpeg},
        {"", FileType::kUnknown},
        {".png", FileType::kPng},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClassifyFileName(std::string_view(c.name)), c.type) << c.name;
        const std::string narrow(c.name);
        const std::wstring wide(narrow.begin(), narrow.end());
        EXPECT_EQ(ClassifyFileName(std::wstring_view(wide)), c.type) << c.name;
    }
    EXPECT_EQ(ClassifyFileName(std::wstring_view(L"\u753b\u50cf.PNG")), FileType::kPng);
    EXPECT_EQ(ClassifyFileName(std::wstring_view(L"x.p\u00f1g")), FileType::kUnknown);
}

TEST(NullImage, EveryEntryPointRefuses) {
    VectorSink sink;
    EXPECT_EQ(GetDibDescriptor(nullptr), nullptr);
    EXPECT_EQ(GetImageInfo(nullptr).bitCount, 0);
    EXPECT_EQ(GetBgrView(nullptr).data, nullptr);
    EXPECT_FALSE(ConvertTo24Bit(nullptr));
    EXPECT_FALSE(ConvertTo16Bit(nullptr, kMasks565));
    EXPECT_FALSE(ReduceTo256Colours(nullptr));
    EXPECT_FALSE(WriteBmp(nullptr, sink));
    EXPECT_FALSE(WritePng(nullptr, sink));
    EXPECT_FALSE(WriteJpeg(nullptr, 80, sink));
    EXPECT_TRUE(sink.bytes.empty());
    ReleaseImage(nullptr);
}

}  // namespace
}  // namespace mrv::imaging
