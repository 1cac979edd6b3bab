// A file appears whole or not at all, whatever the size of the pieces and
// even at the path length limit.
#include <gtest/gtest.h>

#include "OutputTestSupport.h"
#include "output/FileSink_win.h"

namespace mrv {
namespace {

TEST(FileSink, OnlyACompleteWriteReachesTheTargetName) {
    test::TempFolder folder;
    // A target of exactly 259 characters: the temporary name beside it is
    // past the classic limit and must work all the same.
    const std::wstring target =
        folder.Path() + std::wstring(255 - folder.Path().size(), L'n') + L".bmp";
    ASSERT_TRUE(test::WriteBytes(target, "old"));
    {  // dropped half-way: the old file stays, the temporary file goes
        FileSink sink;
        ASSERT_TRUE(sink.Open(target));
        ASSERT_TRUE(sink.Write(test::Bytes("abc").data(), 3));
    }
    EXPECT_EQ(test::ReadBytes(target), test::Bytes("old"));
    EXPECT_EQ(folder.Names().size(), 1u);

    // Small pieces, pieces straddling the buffer and one larger than it.
    std::vector<std::uint8_t> all(300000);
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<std::uint8_t>(i * 31 + i / 977);
    FileSink sink;
    ASSERT_TRUE(sink.Open(target));
    std::size_t at = 0;
    for (std::size_t piece : {10, 65530, 7, 200000, 34453}) {
        ASSERT_TRUE(sink.Write(all.data() + at, piece));
        at += piece;
    }
    ASSERT_EQ(at, all.size());
    EXPECT_EQ(test::ReadBytes(target), test::Bytes("old")) << "nothing moves before Commit";
    ASSERT_TRUE(sink.Commit());
    EXPECT_EQ(test::ReadBytes(target), all);
    EXPECT_EQ(folder.Names().size(), 1u);

    EXPECT_FALSE(sink.Open(folder / L"missing\\out.bmp"));
    EXPECT_FALSE(sink.Open(folder.Path())) << "no file name";
}

}  // namespace
}  // namespace mrv
