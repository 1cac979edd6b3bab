// Files appear whole or not at all: the bytes go to a temporary file in the
// target's folder and only a complete write is moved over the target.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "OutputTestSupport.h"
#include "output/FileSink_win.h"

namespace mrv {
namespace {

std::vector<std::uint8_t> Ramp(std::size_t n, int seed) {
    std::vector<std::uint8_t> bytes(n);
    for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(i * 31 + seed);
    return bytes;
}

TEST(FileSink, ACommittedWriteArrivesWholeAndLeavesNoTemporaryFile) {
    test::TempFolder folder;
    const std::wstring target = folder / L"out.bin";
    // Small pieces, one larger than the buffer, and pieces that straddle it.
    const std::vector<std::uint8_t> a = Ramp(10, 1), b = Ramp(200000, 2), c = Ramp(65530, 3),
                                    d = Ramp(7, 4);
    FileSink sink;
    ASSERT_TRUE(sink.Open(target));
    EXPECT_FALSE(test::FileExists(target)) << "nothing under the target name before Commit";
    for (const auto* piece : {&a, &b, &c, &d})
        ASSERT_TRUE(sink.Write(piece->data(), piece->size()));
    ASSERT_TRUE(sink.Commit());

    std::vector<std::uint8_t> expected;
    for (const auto* piece : {&a, &b, &c, &d})
        expected.insert(expected.end(), piece->begin(), piece->end());
    EXPECT_EQ(test::ReadBytes(target), expected);
    EXPECT_EQ(folder.Names(), std::vector<std::wstring>{L"out.bin"});
}

TEST(FileSink, ReplacesAnExistingFileOnlyWhenTheWriteIsComplete) {
    test::TempFolder folder;
    const std::wstring target = folder / L"picture.png";
    ASSERT_TRUE(test::WriteBytes(target, "old picture"));

    {  // dropped half-way: the old file stays, the temporary file goes
        FileSink sink;
        ASSERT_TRUE(sink.Open(target));
        const std::vector<std::uint8_t> part = Ramp(100000, 5);
        ASSERT_TRUE(sink.Write(part.data(), part.size()));
    }
    EXPECT_EQ(test::ReadBytes(target),
              std::vector<std::uint8_t>({'o', 'l', 'd', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e'}));
    EXPECT_EQ(folder.Names().size(), 1u);

    FileSink sink;
    ASSERT_TRUE(sink.Open(target));
    ASSERT_TRUE(sink.Write(reinterpret_cast<const std::uint8_t*>("new"), 3));
    ASSERT_TRUE(sink.Commit());
    EXPECT_EQ(test::ReadBytes(target), std::vector<std::uint8_t>({'n', 'e', 'w'}));
    EXPECT_EQ(folder.Names().size(), 1u);
}

TEST(FileSink, TargetsThatCannotBeWrittenFailCleanly) {
    test::TempFolder folder;
    FileSink sink;
    EXPECT_FALSE(sink.Open(folder / L"missing\\out.bmp"));
    EXPECT_FALSE(sink.Open(L""));
    EXPECT_FALSE(sink.Open(folder.Path()));  // a folder, no file name

    // A folder stands where the file should go: the move fails, and neither
    // the folder nor a temporary file is left changed behind.
    const std::wstring blocked = folder / L"img0000.bmp";
    ASSERT_TRUE(CreateDirectoryW(blocked.c_str(), nullptr));
    ASSERT_TRUE(sink.Open(blocked));
    ASSERT_TRUE(sink.Write(reinterpret_cast<const std::uint8_t*>("x"), 1));
    EXPECT_FALSE(sink.Commit());
    EXPECT_TRUE(GetFileAttributesW(blocked.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(folder.Names(), std::vector<std::wstring>{L"img0000.bmp"});
    EXPECT_FALSE(sink.Write(reinterpret_cast<const std::uint8_t*>("x"), 1))
        << "closed after a failure";
}

TEST(FileSink, ATargetAtThePathLimitStillGetsItsTemporaryFile) {
    test::TempFolder folder;
    // Target exactly 259 characters: the temporary name beside it is longer
    // than the classic limit and must still work.
    std::wstring name(259 - folder.Path().size() - 4, L'n');
    const std::wstring target = folder.Path() + name + L".bmp";
    ASSERT_EQ(target.size(), 259u);
    FileSink sink;
    ASSERT_TRUE(sink.Open(target));
    ASSERT_TRUE(sink.Write(reinterpret_cast<const std::uint8_t*>("BM"), 2));
    ASSERT_TRUE(sink.Commit());
    EXPECT_EQ(test::ReadBytes(target).size(), 2u);
    EXPECT_EQ(folder.Names().size(), 1u);
}

}  // namespace
}  // namespace mrv
