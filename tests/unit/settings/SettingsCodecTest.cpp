// The settings file image: the documented default bytes, round trips, rejected
// files and the clamping of damaged values.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "settings/Settings.h"
#include "tests/unit/settings/SettingsInvariants.h"

namespace mrv {
namespace {

using Bytes = std::vector<std::uint8_t>;
const char kExeDir[] = "C:\\Tools\\MRV\\";

// Appends hex pairs; blanks are ignored.
void Hex(Bytes& out, const char* hex) {
    auto nibble = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
    for (const char* p = hex; *p != '\0'; ++p) {
        if (*p == ' ') continue;
        out.push_back(static_cast<std::uint8_t>(nibble(p[0]) * 16 + nibble(p[1])));
        ++p;
    }
}

void Text(Bytes& out, const char* text, std::size_t width) {
    out.insert(out.end(), text, text + std::strlen(text));
    out.resize(out.size() + width - std::strlen(text), 0);
}

// The default file, written group by group from the documented layout.
Bytes DefaultFileFixture() {
    Bytes b;
    Hex(b, "76 65 72 5f 30 5f 38 37");  // "ver_0_87"
    // Group 1: snap 0, zoom 1, panel 1, threshold 3, grid 8, shadow 1, minimise 1, dbl-click 1,
    // tray 0
    Hex(b, "00000000 01000000 01000000 03000000 08000000 01000000 01000000 01000000 00000000");
    // Group 2: frame 2, reach 24, band 12, colours 000000 FFFFFF 6666FF FFFFFF
    Hex(b, "02000000 18000000 0c000000 00000000 ffffff00 ff666600 ffffff00");
    // Groups 3-5: JPEG 80 60 40 20, radius 12, factor 3, 4 ticks
    Hex(b, "50000000 3c000000 28000000 14000000 0c000000 03000000 04000000");
    // Group 6: number 0, digits 4, overwrite 0, reset 1, names, format bytes, padding
    Hex(b, "00000000 04000000 00000000 01000000");
    Text(b, "img", 101);
    Text(b, kExeDir, 260);
    Hex(b, "10 00 0c 01 000000");
    // Group 7: buttons 0, 3, 6, 11, 13, 18, 19 on; corner 3
    Hex(b, "01000000 00000000 00000000 01000000 00000000 00000000 01000000 00000000 00000000");
    Hex(b, "00000000 00000000 01000000 00000000 01000000 00000000 00000000 00000000 00000000");
    Hex(b, "01000000 01000000 03000000");
    return b;
}

Settings Defaults() {
    Settings s;
    ResetSettings(s, kExeDir);
    return s;
}

void Put32(Bytes& file, std::size_t recordOffset, std::int64_t value) {
    for (int i = 0; i < 4; ++i)
        file[8 + recordOffset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A valid file with every kind of field away from its default, bytes behind
// the text NULs and in the padding, and colours with the high byte set.
Bytes UnusualFile() {
    Bytes f = DefaultFileFixture();
    const std::int64_t words[][2] = {{0, 1},   {12, 7},          {16, 16},         {32, 1},
                                     {36, 5},  {48, 0x12345678}, {52, 0xFF00FF00}, {64, 100},
                                     {80, 49}, {84, 8},          {88, 9},          {92, 1234},
                                     {96, 6},  {476, 0},         {480, 1},         {556, 2}};
    for (const auto& w : words) Put32(f, static_cast<std::size_t>(w[0]), w[1]);
    std::memcpy(&f[8 + 108], "\x89\xe6\0junk", 8);  // CP932 name, then leftovers
    std::memcpy(&f[8 + 209], "D:\\x\\\0old", 9);
    std::memcpy(&f[8 + 469], "\x2c\x08\x04\x03\xaa\x55\x01", 7);
    return f;
}

TEST(SettingsEncoding, DefaultsAreExactlyTheDocumentedBytes) {
    const Bytes fixture = DefaultFileFixture();
    ASSERT_EQ(fixture.size(), kSettingsFileSize);
    EXPECT_EQ(EncodeSettings(Defaults()), fixture);

    // A constructed record carries the same defaults as ResetSettings.
    Settings constructed;
    std::strcpy(constructed.saveFolder, kExeDir);
    EXPECT_EQ(EncodeSettings(constructed), fixture);

    // Reset restores everything from any state but keeps the padding.
    Settings s;
    ASSERT_EQ(DecodeSettings(UnusualFile().data(), kSettingsFileSize, s), 1);
    ResetSettings(s, kExeDir);
    Bytes expected = fixture;
    std::memcpy(&expected[8 + 473], "\xaa\x55\x01", 3);
    EXPECT_EQ(EncodeSettings(s), expected);

    ResetSettings(s, std::string(400, 'd'));  // cut inside the field
    EXPECT_EQ(std::strlen(s.saveFolder), kSaveFolderSize - 1);
}

TEST(SettingsDecoding, ValidFileRoundTripsByteForByteAndIgnoresTrailingBytes) {
    Bytes file = UnusualFile();
    const Bytes exact = file;
    file.insert(file.end(), 300, 0xEE);
    Settings s = Defaults();
    ASSERT_EQ(DecodeSettings(file.data(), file.size(), s), 1);
    EXPECT_EQ(EncodeSettings(s), exact);
    EXPECT_EQ(s.frameBackColor, 0xFF00FF00u);
    EXPECT_EQ(s.pngVariant, 0x04);
    EXPECT_STREQ(s.saveFolder, "D:\\x\\");
}

TEST(SettingsDecoding, ShortOrForeignFilesAreRejectedAndLeaveTheRecordAlone) {
    const Bytes file = UnusualFile();
    const Bytes before = EncodeSettings(Defaults());
    for (std::size_t length = 0; length < kSettingsFileSize; ++length) {
        Settings s = Defaults();
        ASSERT_EQ(DecodeSettings(file.data(), length, s), 0) << "length " << length;
        ASSERT_EQ(EncodeSettings(s), before) << "length " << length;
    }
    for (const char* tag : {"ver_0_86", "VER_0_87", "ver_0_8\0", "\0er_0_87"}) {
        Bytes foreign = file;
        std::memcpy(foreign.data(), tag, 8);
        Settings s = Defaults();
        EXPECT_EQ(DecodeSettings(foreign.data(), foreign.size(), s), 0) << tag;
        EXPECT_EQ(EncodeSettings(s), before) << tag;
    }
}

TEST(SettingsDecoding, DamagedValuesComeBackInRange) {
    const struct {
        std::size_t offset;
        std::int64_t stored;
        std::int32_t Settings::*field;
        std::int32_t expected;
    } cases[] = {
        {16, 0, &Settings::gridSize, 2},
        {16, 150, &Settings::gridSize, 100},
        {16, INT32_MIN, &Settings::gridSize, 2},
        {80, INT32_MAX, &Settings::zoomRadius, 49},
        {80, 0, &Settings::zoomRadius, 1},
        {84, 9, &Settings::zoomFactor, 8},
        {96, 0, &Settings::numberDigits, 1},
        {96, 9, &Settings::numberDigits, 8},
        {92, -5, &Settings::saveNumber, 0},
        {92, 12345, &Settings::saveNumber, 10000},
        {76, -1, &Settings::jpegQualityLow, 0},
        {64, 101, &Settings::jpegQualityHigh, 100},
        {556, 0, &Settings::toolPanelCorner, 1},
        {556, 5, &Settings::toolPanelCorner, 4},
        {12, -3, &Settings::dragThreshold, 0},
        {36, 0, &Settings::frameWidth, 1},
        {40, INT32_MAX, &Settings::handleReach, 256},
        {88, 1 << 30, &Settings::messageTicks, 240},
        {4, 7, &Settings::zoomVisible, 1},
        {32, -1, &Settings::inTaskTray, 1},
    };
    for (const auto& c : cases) {
        Bytes file = DefaultFileFixture();
        Put32(file, c.offset, c.stored);
        Settings s = Defaults();
        ASSERT_EQ(DecodeSettings(file.data(), file.size(), s), 1);
        EXPECT_EQ(s.*c.field, c.expected) << "offset " << c.offset << " stored " << c.stored;
    }

    // The number's limit follows the clamped digit count (99 -> 8 digits).
    Bytes file = DefaultFileFixture();
    Put32(file, 96, 99);
    Put32(file, 92, INT32_MAX);
    std::memset(&file[8 + 108], 'n', 101);  // no NUL anywhere in the name
    std::memset(&file[8 + 209], 'f', 260);  // nor in the folder
    std::memcpy(&file[8 + 469], "\xff\xff\xf3\xfe", 4);
    Put32(file, 48, 0xFFFFFFFF);  // colours are not range-checked
    Put32(file, 476 + 4 * 16, 0x100);
    Settings s = Defaults();
    ASSERT_EQ(DecodeSettings(file.data(), file.size(), s), 1);
    EXPECT_EQ(s.saveNumber, 100000000);
    EXPECT_EQ(std::strlen(s.baseName), kBaseNameSize - 1);
    EXPECT_EQ(std::strlen(s.saveFolder), kSaveFolderSize - 1);
    EXPECT_EQ(s.imageFormat, 0x3F);
    EXPECT_EQ(s.bmpVariant, 0x0C);
    EXPECT_EQ(s.pngVariant, 0x00);
    EXPECT_EQ(s.jpegVariant, 0x02);
    EXPECT_EQ(s.frameForeColor, 0xFFFFFFFFu);
    EXPECT_EQ(s.toolButtons[16], 1);
    EXPECT_EQ(testing::FirstSettingsViolation(s), "");
}

}  // namespace
}  // namespace mrv
