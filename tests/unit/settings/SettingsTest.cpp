// The settings file: the documented default bytes, round trips, rejected and
// damaged files, random bytes, and the crash-safe write on disk.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "tests/unit/settings/SettingsInvariants.h"

namespace mrv {
namespace {

using Bytes = std::vector<std::uint8_t>;
const char kExeDir[] = "C:\\Tools\\MRV\\";

// The default file, typed in group by group from the documented layout.
Bytes DefaultFileFixture() {
    Bytes b;
    auto hex = [&b](const char* h) {
        for (unsigned v, n; std::sscanf(h, " %2x%n", &v, &n) == 1; h += n)
            b.push_back(std::uint8_t(v));
    };
    hex("76 65 72 5f 30 5f 38 37");  // "ver_0_87"
    // Group 1: snap 0, zoom 1, panel 1, threshold 3, grid 8, shadow 1, minimise 1,
    // double-click 1, tray 0
    hex("00000000 01000000 01000000 03000000 08000000 01000000 01000000 01000000 00000000");
    // Group 2: frame 2, reach 24, band 12, colours 000000 FFFFFF 6666FF FFFFFF
    hex("02000000 18000000 0c000000 00000000 ffffff00 ff666600 ffffff00");
    // Groups 3-5: JPEG 80 60 40 20, radius 12, factor 3, 4 ticks
    hex("50000000 3c000000 28000000 14000000 0c000000 03000000 04000000");
    // Group 6: number 0, digits 4, overwrite 0, reset 1, "img" and the executable's
    // directory in their NUL-filled widths, format bytes, padding
    hex("00000000 04000000 00000000 01000000 69 6d 67");
    b.resize(8 + 209);
    b.insert(b.end(), kExeDir, kExeDir + sizeof kExeDir - 1);
    b.resize(8 + 469);
    hex("10 00 0c 01 000000");
    // Group 7: buttons 0, 3, 6, 11, 13, 18, 19 on; corner 3
    hex("01000000 00000000 00000000 01000000 00000000 00000000 01000000 00000000 00000000");
    hex("00000000 00000000 01000000 00000000 01000000 00000000 00000000 00000000 00000000");
    hex("01000000 01000000 03000000");
    return b;
}

Bytes Put32(Bytes file, std::size_t recordOffset, long long value) {
    for (int i = 0; i < 4; ++i) file[8 + recordOffset + i] = std::uint8_t(value >> (8 * i));
    return file;
}

// A valid file with every kind of field away from its default, bytes behind
// the text NULs and in the padding, and colours with the high byte set.
Bytes UnusualFile() {
    Bytes f = DefaultFileFixture();
    const long long words[][2] = {{0, 1},     {16, 16}, {48, 0x12345678}, {52, 0xFF00FF00},
                                  {92, 1234}, {96, 6},  {480, 1},         {556, 2}};
    for (const auto& w : words) f = Put32(f, std::size_t(w[0]), w[1]);
    std::memcpy(&f[8 + 108], "\x89\xe6\0junk", 8);  // CP932 name, then leftovers
    std::memcpy(&f[8 + 209], "D:\\x\\\0old", 9);
    std::memcpy(&f[8 + 469], "\x2c\x08\x00\x03\xaa\x55\x01", 7);
    return f;
}

TEST(SettingsFileImage, DefaultsAreExactlyTheDocumentedBytes) {
    const Bytes fixture = DefaultFileFixture();
    ASSERT_EQ(fixture.size(), kSettingsFileSize);
    Settings s;  // a constructed record carries the same defaults
    std::strcpy(s.saveFolder, kExeDir);
    EXPECT_EQ(EncodeSettings(s), fixture);

    // Reset restores everything from any state but keeps the padding.
    ASSERT_EQ(DecodeSettings(UnusualFile().data(), kSettingsFileSize, s), 1);
    ResetSettings(s, kExeDir);
    EXPECT_EQ(EncodeSettings(s), Put32(fixture, 472, 0x0155AA01));  // JPEG level 1, padding
}

TEST(SettingsFileImage, ValidFilesRoundTripShortOrForeignOnesAreRejected) {
    Bytes file = UnusualFile();
    file.insert(file.end(), 300, 0xEE);  // ignored
    Settings s;
    ASSERT_EQ(DecodeSettings(file.data(), file.size(), s), 1);
    EXPECT_EQ(EncodeSettings(s), UnusualFile());
    // Rejected (0) and leaving the defaults alone: cut anywhere, or a wrong tag.
    for (std::size_t length = 0; length < kSettingsFileSize; ++length) {
        ASSERT_EQ(testing::CheckLoad(file.data(), length, s), "") << "length " << length;
    }
    for (const char* tag : {"ver_0_86", "VER_0_87", "ver_0_8\0", "\0er_0_87"}) {
        std::memcpy(file.data(), tag, 8);
        EXPECT_EQ(testing::CheckLoad(file.data(), kSettingsFileSize, s), "") << tag;
    }
}

// The four colours default to two alike (white backgrounds), so a round trip
// cannot tell their places apart: a file with four different ones, each with
// its own high byte, must load each into its own field.
TEST(SettingsFileImage, EachColourLoadsIntoItsOwnField) {
    Bytes file = DefaultFileFixture();
    const long long colours[][2] = {
        {48, 0x11223344}, {52, 0x55667788}, {56, 0x99AABBCC}, {60, 0xDDEEFF01}};
    for (const auto& c : colours) file = Put32(file, std::size_t(c[0]), c[1]);
    Settings s;
    ASSERT_EQ(DecodeSettings(file.data(), file.size(), s), 1);
    EXPECT_EQ((std::array<Colour, 4>{s.frameForeColor, s.frameBackColor, s.pinnedFrameForeColor,
                                     s.pinnedFrameBackColor}),
              (std::array<Colour, 4>{0x11223344, 0x55667788, 0x99AABBCC, 0xDDEEFF01}));
    Settings fresh;
    fresh.frameBackColor = 0x0000FF;
    EXPECT_EQ(EncodeSettings(fresh), Put32(EncodeSettings(Settings{}), 52, 0x0000FF));
}

TEST(SettingsFileImage, DamagedValuesComeBackInRange) {
    // Every number and flag stored far and just outside its range: numbers
    // are clamped, any non-zero flag is 1.
    Settings s;
    for (const testing::Range& r : testing::kRanges) {
        const bool flag = r.lo == 0 && r.hi == 1;
        for (long long v : {-(1LL << 31), r.lo - 1LL, r.hi + 1LL, (1LL << 31) - 1}) {
            const Bytes file = Put32(DefaultFileFixture(), r.offset, v);
            ASSERT_EQ(testing::CheckLoad(file.data(), file.size(), s), "");
            EXPECT_EQ(s.*r.field, flag ? 1 : v < r.lo ? r.lo : r.hi) << r.offset << ": " << v;
        }
    }
    // The number's limit follows the digit count (99 -> 8 digits); texts
    // without a NUL are cut; format bytes keep only their meaningful bits.
    Bytes file = Put32(Put32(DefaultFileFixture(), 96, 99), 92, INT32_MAX);
    std::memset(&file[8 + 108], 'n', 101 + 260);
    std::memcpy(&file[8 + 469], "\xff\xff\xf3\xfe", 4);
    ASSERT_EQ(testing::CheckLoad(file.data(), file.size(), s), "");
    EXPECT_EQ(s.saveNumber, 100000000);
    EXPECT_EQ(std::strlen(s.baseName) + std::strlen(s.saveFolder), 100u + 259u);
    EXPECT_EQ((std::array<int, 4>{s.imageFormat, s.bmpVariant, s.pngVariant, s.jpegVariant}),
              (std::array<int, 4>{0x3F, 0x0C, 0x00, 0x02}));
    file = Put32(DefaultFileFixture(), 92, 12345);
    ASSERT_EQ(testing::CheckLoad(file.data(), file.size(), s), "");
    EXPECT_EQ(s.saveNumber, 10000);  // 4 digits
}

// A base name no file name can start with loads as the default; one that
// can, in code page 932 too, loads as stored. PNG has no 16-bit variant: a
// damaged PNG variant is 8 bits, in the remembered variant and in a PNG
// current format, while BMP keeps all four.
TEST(SettingsFileImage, UnusableBaseNamesAndSixteenBitPngComeBackUsable) {
    // clang-format off
    const std::pair<const char*, const char*> names[] = {
        {"a*b", "img"},         {"..\\up", "img"},     {"sub/img", "img"},
        {"nul.txt", "img"},     {"shot.", "img"},       {"  ", "img"},
        {"tab\tname", "img"},   {"\x83*", "img"},       {"", ""},
        {"\x83\x5C", "\x83\x5C"},  // "ソ": 0x5C inside a character
        {"\xB1\xB2", "\xB1\xB2"}};  // half-width katakana
    // clang-format on
    Settings s;
    for (const auto& [stored, loaded] : names) {
        Bytes file = DefaultFileFixture();
        std::memset(&file[8 + 108], 0, kBaseNameSize);
        std::memcpy(&file[8 + 108], stored, std::strlen(stored));
        ASSERT_EQ(testing::CheckLoad(file.data(), file.size(), s), "") << stored;
        EXPECT_STREQ(s.baseName, loaded) << stored;
    }
    // {imageFormat, bmpVariant, pngVariant} stored -> loaded
    const std::array<int, 3> formats[][2] = {{{0x24, 0x04, 0x04}, {0x2C, 0x04, 0x0C}},
                                             {{0x28, 0x08, 0x08}, {0x2C, 0x08, 0x0C}},
                                             {{0x20, 0x0C, 0x00}, {0x20, 0x0C, 0x00}},
                                             {{0x14, 0x00, 0x0C}, {0x14, 0x00, 0x0C}},
                                             {{0x18, 0x00, 0x0C}, {0x18, 0x00, 0x0C}}};
    for (const auto& [stored, loaded] : formats) {
        Bytes file = DefaultFileFixture();
        for (int i = 0; i < 3; ++i) file[8 + 469 + i] = std::uint8_t(stored[i]);
        ASSERT_EQ(testing::CheckLoad(file.data(), file.size(), s), "");
        EXPECT_EQ((std::array<int, 3>{s.imageFormat, s.bmpVariant, s.pngVariant}), loaded);
    }
}

// A seeded, repeatable cousin of the fuzz harness in tests/fuzz.
TEST(SettingsFileImage, RandomBytesLoadSafely) {
    std::mt19937 rng(0x5e771265u);
    auto byte = [&rng] { return std::uint8_t(rng() & 0xFF); };
    for (int round = 0; round < 4000; ++round) {
        Bytes data(rng() % 700);
        for (auto& b : data) b = byte();
        // Most inputs carry the tag; a third hold the extreme words a damaged
        // file most likely has.
        if (round % 8 != 0 && data.size() >= 8) std::memcpy(data.data(), "ver_0_87", 8);
        for (std::size_t i = 8; round % 3 == 0 && i + 4 <= data.size(); i += 4) {
            if (byte() < 64) std::memset(&data[i], byte() < 128 ? 0xFF : 0x00, 4);
            if (byte() < 32) data[i + 3] = 0x7F;
        }
        Settings s;
        ASSERT_EQ(testing::CheckLoad(data.data(), data.size(), s), "") << "round " << round;
    }
}

TEST(SettingsFileOnDisk, WritesWholeFilesAndKeepsThePreviousOneOnFailure) {
    namespace fs = std::filesystem;
    const std::string dir = "mrv_settings_test", path = SettingsFilePath(dir + "/");
    fs::remove_all(dir);  // leftovers of an interrupted run
    ASSERT_TRUE(fs::create_directory(dir));
    Settings written, s;
    ASSERT_EQ(SaveSettingsFile(path, written), 1);
    written.gridSize = 20;
    ASSERT_EQ(SaveSettingsFile(path, written), 1);  // replaces the old file
    EXPECT_EQ(fs::file_size(path), kSettingsFileSize);
    EXPECT_FALSE(fs::exists(path + ".tmp"));
    ASSERT_EQ(LoadSettingsFile(path, s), 1);
    EXPECT_EQ(EncodeSettings(s), EncodeSettings(written));

    // A directory where the temporary file must go makes the write fail
    // before the real file is touched.
    ASSERT_TRUE(fs::create_directory(path + ".tmp"));
    written.saveNumber = 8;
    EXPECT_EQ(SaveSettingsFile(path, written), 0);
    ASSERT_EQ(LoadSettingsFile(path, s), 1);
    EXPECT_EQ(s.saveNumber, 0);
    fs::resize_file(path, kSettingsFileSize - 1);
    EXPECT_EQ(LoadSettingsFile(path, s), 0);  // short
    EXPECT_EQ(s.gridSize, 20);

    // "設定" (settings), outside every ANSI code page but 932 and 936: the file
    // must carry the real name, not the UTF-8 bytes read as ANSI.
    const std::string name = dir + "/\xE8\xA8\xAD\xE5\xAE\x9A.bin";
    ASSERT_EQ(SaveSettingsFile(name, written), 1);
    EXPECT_TRUE(fs::exists(fs::u8path(name)));
    ASSERT_EQ(LoadSettingsFile(name, s), 1);
    EXPECT_EQ(s.saveNumber, 8);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace mrv
