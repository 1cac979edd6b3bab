// OutputImage: each output cuts afresh from the snapshot and converts in place.
#include "output/OutputImage.h"

#include <gtest/gtest.h>

#include "settings/Settings.h"
#include "tests/unit/imaging/TestPictures.h"

namespace mrv {
namespace {

using namespace imaging::test;

TEST(OutputImage, EachCaptureStartsAfreshConvertsByTheVariantBitsAndFailsToNothing) {
    const Snapshot screen = Noise(64, 48, 1);
    const Rect selection = Rect::FromXYWH(10, 5, 21, 13);
    // Variant, then bits or (16 bits) the red mask: anything but the three named
    // variants means 24 bits.
    const int cases[] = {kVariant8,  8,  kVariant565, 0xF800, kVariant555, 0x7C00,
                         kVariant24, 24, 0x10,        24,     -1,          24};
    OutputImage out;
    for (int i = 0; i < 12; i += 2) {
        // Nothing is left of the previous output's conversion.
        ASSERT_TRUE(out.Capture(screen.View(), selection));
        EXPECT_EQ(out.DibSize(), 40 + 64 * 13);  // 63 bytes a row, padded to 64
        EXPECT_EQ(ReadDib(out.DibInfo()->dib), screen.Pixels(10, 5, 21, 13));
        const imaging::DibDescriptor* d = out.DibInfo();
        ASSERT_TRUE(out.ConvertTo(cases[i])) << cases[i];  // read through the same descriptor
        const std::uint32_t bits = Le(d->dib + 14, 2);
        EXPECT_EQ(bits == 16 ? Le(d->dib + 40) : bits, std::uint32_t(cases[i + 1])) << cases[i];
        EXPECT_EQ(out.DibSize(), d->headerSize + d->pixelSize);
    }
    // A capture that fails leaves nothing of the last image, as a release does.
    const auto gone = [&out] {
        return !out.Image() && !out.DibInfo() && !out.DibSize() && !out.ConvertTo(kVariant24);
    };
    for (const Rect& bad : {Rect{}, Rect::FromXYWH(50, 0, 15, 4), Rect::FromXYWH(-1, 0, 4, 4)}) {
        ASSERT_TRUE(out.Capture(screen.View(), selection));
        EXPECT_FALSE(out.Capture(screen.View(), bad));
        EXPECT_TRUE(gone());
    }
    ASSERT_TRUE(out.Capture(screen.View(), selection));
    out.ReleaseImage();
    EXPECT_TRUE(gone());
}

// A selection of more than a megapixel is cut and reduced on worker threads
// (here also under Wine, on the program's own thread library): the same
// bytes as on one thread, and the cut is the snapshot's pixels.
TEST(OutputImage, LargeCutsAndReductionsGiveTheSameBytesOnAnyNumberOfThreads) {
    const Snapshot screen = Noise(1200, 1000, 3, 200);
    const Rect selection = Rect::FromXYWH(37, 21, 1101, 950);
    std::vector<std::uint8_t> cut, reduced;
    for (int threads : {1, 3, 0}) {
        OutputImage out;
        out.SetThreads(threads);
        ASSERT_TRUE(out.Capture(screen.View(), selection));
        const auto bytes = [&out] {
            return std::vector<std::uint8_t>(out.DibInfo()->dib,
                                             out.DibInfo()->dib + out.DibSize());
        };
        if (threads == 1) {
            EXPECT_EQ(ReadDib(out.DibInfo()->dib), screen.Pixels(37, 21, 1101, 950));
            cut = bytes();
        }
        EXPECT_EQ(bytes(), cut) << threads;
        ASSERT_TRUE(out.ConvertTo(kVariant8));
        if (threads == 1) reduced = bytes();
        EXPECT_EQ(bytes(), reduced) << threads;
    }
}

}  // namespace
}  // namespace mrv
