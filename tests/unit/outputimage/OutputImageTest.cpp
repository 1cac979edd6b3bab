// OutputImage: each output cuts afresh from the snapshot and converts in place.
#include "output/OutputImage.h"

#include <gtest/gtest.h>

#include "settings/Settings.h"
#include "tests/unit/imaging/TestPictures.h"

namespace mrv {
namespace {

using imaging::test::Le16;
using imaging::test::Le32;
using imaging::test::Rgb;
using imaging::test::Snapshot;

// The part of the snapshot under the selection, top-down.
std::vector<Rgb> Under(const Snapshot& s, const Rect& r) {
    std::vector<Rgb> out;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) out.push_back(s.At(x, y));
    return out;
}

TEST(OutputImage, CapturesTheSelectionWithItsDescriptor) {
    const Snapshot screen = imaging::test::Noise(64, 48, 1, 1000);
    const Rect selection = Rect::FromXYWH(10, 5, 21, 13);
    OutputImage out;
    EXPECT_EQ(out.DibSize(), 0);
    ASSERT_TRUE(out.Capture(screen.View(), selection));
    ASSERT_NE(out.Image(), nullptr);
    ASSERT_NE(out.DibInfo(), nullptr);
    EXPECT_EQ(out.DibSize(), 40 + 64 * 13);  // 21 * 3 = 63 bytes a row, padded to 64
    EXPECT_EQ(out.DibSize(), out.DibInfo()->headerSize + out.DibInfo()->pixelSize);
    EXPECT_EQ(imaging::test::ReadDib(out.DibInfo()->dib), Under(screen, selection));
}

TEST(OutputImage, EveryOutputStartsFromTheSnapshotAgain) {
    const Snapshot screen = imaging::test::Noise(40, 30, 2);
    const Rect selection = Rect::FromXYWH(3, 4, 30, 20);
    OutputImage out;
    // A 256-colour copy first, then a full-colour save: the second is not a
    // conversion of the first.
    ASSERT_TRUE(out.Capture(screen.View(), selection));
    ASSERT_TRUE(out.ConvertTo(kVariant8));
    ASSERT_NE(imaging::test::ReadDib(out.DibInfo()->dib), Under(screen, selection));
    ASSERT_TRUE(out.Capture(screen.View(), selection));
    ASSERT_TRUE(out.ConvertTo(kVariant24));
    EXPECT_EQ(imaging::test::ReadDib(out.DibInfo()->dib), Under(screen, selection));
}

TEST(OutputImage, AFailedCaptureLeavesNothingOfTheLastImage) {
    const Snapshot screen = imaging::test::LetterF(20, 10);
    OutputImage out;
    for (const Rect& bad : {Rect{}, Rect::FromXYWH(5, 5, 0, 3), Rect::FromXYWH(15, 0, 6, 4),
                            Rect::FromXYWH(-1, 0, 4, 4)}) {
        ASSERT_TRUE(out.Capture(screen.View(), Rect::FromXYWH(0, 0, 4, 4)));
        EXPECT_FALSE(out.Capture(screen.View(), bad));
        EXPECT_EQ(out.Image(), nullptr);
        EXPECT_EQ(out.DibInfo(), nullptr);
        EXPECT_EQ(out.DibSize(), 0);
        EXPECT_FALSE(out.ConvertTo(kVariant8));
    }
}

TEST(OutputImage, ConvertsByTheVariantBits) {
    const Snapshot screen = imaging::test::Noise(16, 8, 3, 2000);
    struct Case {
        int variant;
        int bitCount;
        std::uint32_t redMask;
    };
    // Anything that is not one of the three named variants means 24 bits.
    const Case cases[] = {{kVariant565, 16, 0xF800},
                          {kVariant555, 16, 0x7C00},
                          {kVariant8, 8, 0},
                          {kVariant24, 24, 0},
                          {0x10, 24, 0},
                          {0x03, 24, 0},
                          {-1, 24, 0}};
    OutputImage out;
    for (const Case& c : cases) {
        ASSERT_TRUE(out.Capture(screen.View(), Rect::FromXYWH(0, 0, 16, 8)));
        const imaging::DibDescriptor* before = out.DibInfo();
        ASSERT_TRUE(out.ConvertTo(c.variant)) << c.variant;
        EXPECT_EQ(out.DibInfo(), before) << "the descriptor stays valid";
        const std::uint8_t* h = out.DibInfo()->dib;
        EXPECT_EQ(Le16(h + 14), c.bitCount) << c.variant;
        if (c.bitCount == 16) {
            EXPECT_EQ(Le32(h + 16), 3u);
            EXPECT_EQ(Le32(h + 40), c.redMask);
        }
        EXPECT_EQ(out.DibSize(), out.DibInfo()->headerSize + out.DibInfo()->pixelSize);
    }
}

TEST(OutputImage, ReleasesAndKeepsJpegQualities) {
    const Snapshot screen = imaging::test::LetterF(8, 8);
    OutputImage out;
    EXPECT_EQ(out.jpegQuality, (std::array<int, 4>{80, 60, 40, 20}));
    out.SetJpegQuality({95, 75, 50, 10});
    EXPECT_EQ(out.jpegQuality[2], 50);
    ASSERT_TRUE(out.Capture(screen.View(), Rect::FromXYWH(0, 0, 8, 8)));
    out.ReleaseImage();
    EXPECT_EQ(out.Image(), nullptr);
    EXPECT_EQ(out.DibSize(), 0);
    out.ReleaseImage();
    EXPECT_FALSE(out.ConvertTo(kVariant24));
}

}  // namespace
}  // namespace mrv
