// The settings file: the documented default bytes, round trips, rejected and
// damaged files, the extension block behind the 568 bytes, random bytes, and
// the crash-safe write on disk.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "GoldenSettingsFile.h"
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

// Two colours default alike, so a round trip cannot tell their places apart.
TEST(SettingsFileImage, EachColourLoadsIntoItsOwnField) {
    const std::array<Colour, 4> colours{0x11223344, 0x55667788, 0x99AABBCC, 0xDDEEFF01};
    Bytes file = DefaultFileFixture();
    for (std::size_t i = 0; i < 4; ++i) file = Put32(file, 48 + 4 * i, colours[i]);
    Settings s;
    ASSERT_EQ(DecodeSettings(file.data(), file.size(), s), 1);
    EXPECT_EQ((std::array<Colour, 4>{s.frameForeColor, s.frameBackColor, s.pinnedFrameForeColor,
                                     s.pinnedFrameBackColor}),
              colours);
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

// The extension block: tag, length of the fields, the fields, CRC-32.
Bytes Block(const Bytes& fields, std::uint32_t length, std::uint32_t crc) {
    Bytes b = {'m', 'r', 'v', '_', 'e', 'x', 't', '_'};
    for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(length >> (8 * i)));
    b.insert(b.end(), fields.begin(), fields.end());
    for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(crc >> (8 * i)));
    return b;
}

// A well-formed block over `fields`, its CRC computed here, apart from the codec.
Bytes Block(const Bytes& fields) {
    std::uint32_t crc = 0xFFFFFFFFu;  // CRC-32 (ISO-HDLC), bit by bit
    for (std::uint8_t byte : fields) {
        crc ^= byte;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return Block(fields, std::uint32_t(fields.size()), ~crc);
}

Bytes Cat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Ctrl+Shift+F9: key 0x78, modifiers control 2 | shift 4.
const Bytes kCtrlShiftF9 = {0x78, 0, 0, 0, 0x06, 0, 0, 0};

// Decodes a whole file over a record with another hotkey; the status, and
// the options in `s`.
ExtensionStatus LoadWhole(const Bytes& file, Settings& s) {
    ResetSettings(s, kExeDir);
    s.extension = {'Z', kHotkeyAlt};
    ExtensionStatus status = ExtensionStatus::kLoaded;
    EXPECT_EQ(DecodeSettingsFile(file.data(), file.size(), s, &status), 1);
    return status;
}

TEST(SettingsExtensionBlock, DefaultsAreTheGoldenBytesAndOptionsRoundTrip) {
    const Bytes golden(kGoldenSettingsFile, kGoldenSettingsFile + sizeof kGoldenSettingsFile);
    // Print Screen (0x2C) without modifiers; CRC-32 of the eight field bytes.
    const Bytes block = {0x6d, 0x72, 0x76, 0x5f, 0x65, 0x78, 0x74, 0x5f, 0x08, 0,    0,    0,
                         0x2c, 0,    0,    0,    0,    0,    0,    0,    0x70, 0xa8, 0xfb, 0xcb};
    EXPECT_EQ(golden, Cat(DefaultFileFixture(), block));
    Settings s;
    std::strcpy(s.saveFolder, kExeDir);
    EXPECT_EQ(EncodeSettingsFile(s), golden);
    EXPECT_EQ(Block({0x2c, 0, 0, 0, 0, 0, 0, 0}), block);  // the test's own CRC agrees

    // Every kind of hotkey, "none" included, comes back as written.
    for (const SettingsExtension e : {SettingsExtension{0, 0}, SettingsExtension{0x78, 6},
                                      SettingsExtension{'P', 7}, SettingsExtension{0xFE, 1}}) {
        s.extension = e;
        const Bytes file = EncodeSettingsFile(s);
        ASSERT_EQ(LoadWhole(file, s), ExtensionStatus::kLoaded);
        EXPECT_EQ(s.extension, e) << e.hotkeyKey;
    }
    ASSERT_EQ(LoadWhole(Cat(UnusualFile(), Block(kCtrlShiftF9)), s), ExtensionStatus::kLoaded);
    EXPECT_EQ(s.extension, (SettingsExtension{0x78, 6}));
    EXPECT_EQ(EncodeSettings(s), UnusualFile());
}

TEST(SettingsExtensionBlock, AnyDamageGivesDefaultsAndLeavesThe568BytesAlone) {
    const Bytes record = UnusualFile(), block = Block(kCtrlShiftF9);
    Settings s;
    auto expectDefaults = [&](const Bytes& behind, ExtensionStatus want, const std::string& what) {
        EXPECT_EQ(LoadWhole(Cat(record, behind), s), want) << what;
        EXPECT_EQ(s.extension, SettingsExtension{}) << what;
        EXPECT_EQ(EncodeSettings(s), record) << what;
    };
    // A file of exactly 568 bytes (an old version wrote it) loads completely.
    expectDefaults({}, ExtensionStatus::kAbsent, "no block");
    for (std::size_t n = 1; n < block.size(); ++n) {
        expectDefaults(Bytes(block.begin(), block.begin() + n),
                       n < 8 ? ExtensionStatus::kForeign : ExtensionStatus::kShort,
                       "cut to " + std::to_string(n));
    }
    for (std::size_t i = 0; i < 8; ++i) {
        Bytes foreign = block;
        foreign[i] ^= 0x20;  // "MRV_EXT_" and the like
        expectDefaults(foreign, ExtensionStatus::kForeign, "tag byte " + std::to_string(i));
    }
    expectDefaults(Bytes(40, 0), ExtensionStatus::kForeign, "zeros");
    // Every single bit of the fields and the CRC.
    for (std::size_t bit = 12 * 8; bit < block.size() * 8; ++bit) {
        Bytes flipped = block;
        flipped[bit / 8] ^= std::uint8_t(1u << (bit % 8));
        expectDefaults(flipped, ExtensionStatus::kBadCrc, "bit " + std::to_string(bit));
    }
    // Length words that do not fit what follows, or no sane block at all.
    const std::uint32_t crc = std::uint32_t(block[20] | block[21] << 8 | block[22] << 16) |
                              std::uint32_t(block[23]) << 24;
    expectDefaults(Block(kCtrlShiftF9, 9, crc), ExtensionStatus::kShort, "length 9");
    expectDefaults(Block(kCtrlShiftF9, 4, crc), ExtensionStatus::kBadCrc, "length 4");
    expectDefaults(Block(kCtrlShiftF9, 0x10001, crc), ExtensionStatus::kTooLong, "64 KiB + 1");
    expectDefaults(Block(kCtrlShiftF9, 0xFFFFFFFF, crc), ExtensionStatus::kTooLong, "2^32 - 1");
}

TEST(SettingsExtensionBlock, NewerLongerAndOlderShorterBlocksKeepWhatIsKnown) {
    Settings s;
    // A newer version's block: more fields behind ours, covered by the CRC;
    // and bytes behind the block are ignored like those behind the record.
    Bytes newer = Cat(kCtrlShiftF9, {9, 9, 9, 9, 0xFF, 0xFF, 0xFF, 0xFF, 1});
    ASSERT_EQ(LoadWhole(Cat(Cat(UnusualFile(), Block(newer)), {1, 2, 3}), s),
              ExtensionStatus::kLoaded);
    EXPECT_EQ(s.extension, (SettingsExtension{0x78, 6}));
    EXPECT_EQ(EncodeSettings(s), UnusualFile());
    // A block too short for a field leaves that field at its default.
    ASSERT_EQ(LoadWhole(Cat(UnusualFile(), Block({'Q', 0, 0, 0})), s), ExtensionStatus::kLoaded);
    EXPECT_EQ(s.extension, (SettingsExtension{'Q', 0}));
    ASSERT_EQ(LoadWhole(Cat(UnusualFile(), Block({})), s), ExtensionStatus::kLoaded);
    EXPECT_EQ(s.extension, SettingsExtension{});
    // Values no version writes, under a good CRC: a key beyond 254 gives the
    // default hotkey, unknown modifier bits go, "none" has no modifiers.
    const std::pair<Bytes, SettingsExtension> odd[] = {
        {{0x00, 1, 0, 0, 2, 0, 0, 0}, {0x2C, 0}},
        {{0xFF, 0, 0, 0, 2, 0, 0, 0}, {0x2C, 0}},
        {{0xFE, 0, 0, 0, 0xFF, 0xFF, 0, 0}, {0xFE, 7}},
        {{0, 0, 0, 0, 3, 0, 0, 0}, {0, 0}},
        {{0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0}, {0x2C, 0}}};
    for (const auto& [fields, want] : odd) {
        ASSERT_EQ(LoadWhole(Cat(UnusualFile(), Block(fields)), s), ExtensionStatus::kLoaded);
        EXPECT_EQ(s.extension, want) << int(fields[0]) << " " << int(fields[4]);
    }
    // A file whose 568 bytes are refused gives nothing of its block either.
    Bytes refused = Cat(UnusualFile(), Block(kCtrlShiftF9));
    refused[0] = 'V';
    ResetSettings(s, kExeDir);
    EXPECT_EQ(DecodeSettingsFile(refused.data(), refused.size(), s), 0);
    EXPECT_EQ(s.extension, SettingsExtension{});
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
        // Behind a whole record, half the time a block with a good CRC over
        // random fields of random length, its tail perhaps cut.
        if (round % 2 == 1 && data.size() >= kSettingsFileSize) {
            Bytes fields(rng() % 20);
            for (auto& b : fields) b = byte() < 128 ? byte() : std::uint8_t(0);
            const Bytes block = Block(fields);
            data.resize(kSettingsFileSize);
            data.insert(data.end(), block.begin(), block.end() - (byte() < 32 ? byte() % 4 : 0));
        }
        Settings s;
        ASSERT_EQ(testing::CheckFileLoad(data.data(), data.size(), s), "") << "round " << round;
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
    ASSERT_EQ(SaveSettingsFile(path, written), 1);           // replaces the old file
    EXPECT_EQ(fs::file_size(path), kSettingsFileSize + 24);  // the record and the block
    EXPECT_FALSE(fs::exists(path + ".tmp"));
    ASSERT_EQ(LoadSettingsFile(path, s), 1);
    EXPECT_EQ(EncodeSettingsFile(s), EncodeSettingsFile(written));

    // An old version's file, read and written back by this one: the 568
    // bytes come back exactly, and what the old rules read from the new file
    // (the first 568 bytes, the rest ignored) is the old record.
    const Bytes old = UnusualFile();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(old.data()), old.size());
    ASSERT_EQ(LoadSettingsFile(path, s), 1);
    EXPECT_EQ(s.extension, SettingsExtension{});
    ASSERT_EQ(SaveSettingsFile(path, s), 1);
    const Bytes back = [&path] {  // closed again before the next save
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }();
    ASSERT_EQ(back.size(), kSettingsFileSize + 24);
    EXPECT_EQ(Bytes(back.begin(), back.begin() + kSettingsFileSize), old);
    Settings oldRules;
    ASSERT_EQ(DecodeSettings(back.data(), back.size(), oldRules), 1);
    EXPECT_EQ(EncodeSettings(oldRules), old);
    ASSERT_EQ(SaveSettingsFile(path, written), 1);

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
