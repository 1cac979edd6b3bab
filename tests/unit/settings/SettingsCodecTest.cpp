// The settings file image: the default bytes, round trips, rejected files and
// the clamping of damaged values.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "settings/Settings.h"
#include "tests/unit/settings/SettingsInvariants.h"

namespace mrv {
namespace {

using Bytes = std::vector<std::uint8_t>;

const char kExeDir[] = "C:\\Tools\\MRV\\";

// Appends hex pairs ("50 00 00 00"); blanks are ignored.
void Hex(Bytes& out, const char* hex) {
    auto nibble = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
    for (const char* p = hex; *p != '\0'; ++p) {
        if (*p == ' ') continue;
        out.push_back(static_cast<std::uint8_t>(nibble(p[0]) * 16 + nibble(p[1])));
        ++p;
    }
}

void Text(Bytes& out, const char* text, std::size_t width) {
    std::size_t n = std::strlen(text);
    out.insert(out.end(), text, text + n);
    out.insert(out.end(), width - n, 0);
}

// The default file, written out group by group from the documented layout.
Bytes DefaultFileFixture() {
    Bytes b;
    Hex(b, "76 65 72 5f 30 5f 38 37");  // "ver_0_87"
    // Group 1: snap 0, zoom 1, panel 1, threshold 3, grid 8, shadow 1,
    // minimise after copy 1, double-click select 1, tray 0.
    Hex(b, "00000000 01000000 01000000 03000000 08000000 01000000 01000000 01000000 00000000");
    // Group 2: frame 2, reach 24, band 12, colours 0, FFFFFF, 6666FF, FFFFFF.
    Hex(b, "02000000 18000000 0c000000 00000000 ffffff00 ff666600 ffffff00");
    // Group 3: JPEG 80, 60, 40, 20.
    Hex(b, "50000000 3c000000 28000000 14000000");
    // Group 4: radius 12, factor 3. Group 5: 4 ticks.
    Hex(b, "0c000000 03000000 04000000");
    // Group 6: number 0, digits 4, overwrite 0, reset 1, names, format bytes, padding.
    Hex(b, "00000000 04000000 00000000 01000000");
    Text(b, "img", 101);
    Text(b, kExeDir, 260);
    Hex(b, "10 00 0c 01 000000");
    // Group 7: buttons 0, 3, 6, 11, 13, 18, 19 on; corner 3.
    Hex(b, "01000000 00000000 00000000 01000000 00000000 00000000 01000000 00000000");
    Hex(b, "00000000 00000000 00000000 01000000 00000000 01000000 00000000 00000000");
    Hex(b, "00000000 00000000 01000000 01000000 03000000");
    return b;
}

Settings Defaults() {
    Settings s;
    ResetSettings(s, kExeDir);
    return s;
}

void PutLe32(Bytes& file, std::size_t recordOffset, std::int64_t value) {
    auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        file[8 + recordOffset + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Every field away from its default, in range, with bytes behind the text
// NULs and in the padding that must survive a round trip.
Settings Unusual() {
    Settings s = Defaults();
    s.zoomSnapToCorner = 1;
    s.zoomVisible = 0;
    s.toolPanelVisible = 0;
    s.dragThreshold = 7;
    s.gridSize = 16;
    s.drawShadow = 0;
    s.minimizeAfterCopy = 0;
    s.autoSelectOnDoubleClick = 0;
    s.inTaskTray = 1;
    s.frameWidth = 5;
    s.handleReach = 30;
    s.edgeBand = 9;
    s.frameForeColor = 0x00123456;
    s.frameBackColor = 0xFF00FF00;  // high byte set: kept as read
    s.pinnedFrameForeColor = 0x01020304;
    s.pinnedFrameBackColor = 0x80808080;
    s.jpegQualityHigh = 100;
    s.jpegQualityStandard = 0;
    s.jpegQualityMedium = 55;
    s.jpegQualityLow = 1;
    s.zoomRadius = 49;
    s.zoomFactor = 8;
    s.messageTicks = 9;
    s.saveNumber = 1234;
    s.numberDigits = 6;
    s.overwriteExisting = 1;
    s.resetNumberAtStartup = 0;
    std::memset(s.baseName, 'x', sizeof s.baseName);
    std::strcpy(s.baseName, "\x89\xe6\x91\x9c");  // CP932 bytes
    std::memset(s.saveFolder, 'y', sizeof s.saveFolder);
    std::strcpy(s.saveFolder, "D:\\shots\\");
    s.imageFormat = 0x2C;
    s.bmpVariant = 0x08;
    s.pngVariant = 0x04;
    s.jpegVariant = 0x03;
    s.padding[0] = 0xAA;
    s.padding[1] = 0x55;
    s.padding[2] = 0x01;
    for (int i = 0; i < kToolButtonCount; ++i) s.toolButtons[i] = (i % 3 == 0) ? 0 : 1;
    s.toolPanelCorner = 2;
    return s;
}

TEST(SettingsEncoding, DefaultFileIsExactlyTheDocumentedBytes) {
    const Bytes fixture = DefaultFileFixture();
    ASSERT_EQ(fixture.size(), kSettingsFileSize);
    EXPECT_EQ(EncodeSettings(Defaults()), fixture);

    // A default-constructed record agrees with ResetSettings, so code that
    // builds a Settings without resetting it sees the same defaults.
    Settings constructed;
    std::strcpy(constructed.saveFolder, kExeDir);
    EXPECT_EQ(EncodeSettings(constructed), fixture);
}

TEST(SettingsEncoding, ResetRestoresEveryFieldButKeepsPadding) {
    Settings s = Unusual();
    ResetSettings(s, kExeDir);
    Bytes expected = DefaultFileFixture();
    expected[8 + 473] = 0xAA;
    expected[8 + 474] = 0x55;
    expected[8 + 475] = 0x01;
    EXPECT_EQ(EncodeSettings(s), expected);
}

TEST(SettingsEncoding, ResetCutsAnOverlongDirectoryInsideTheField) {
    Settings s;
    ResetSettings(s, std::string(400, 'd'));
    EXPECT_EQ(std::strlen(s.saveFolder), kSaveFolderSize - 1);
}

TEST(SettingsEncoding, RoundTripKeepsEveryByte) {
    const Bytes image = EncodeSettings(Unusual());
    Settings loaded = Defaults();
    ASSERT_EQ(DecodeSettings(image.data(), image.size(), loaded), 1);
    EXPECT_EQ(EncodeSettings(loaded), image);
    EXPECT_EQ(loaded.frameBackColor, 0xFF00FF00u);
    EXPECT_EQ(loaded.pngVariant, 0x04);
    EXPECT_STREQ(loaded.saveFolder, "D:\\shots\\");
    EXPECT_EQ(loaded.saveFolder[100], 'y');  // bytes after the NUL are part of the file
}

TEST(SettingsDecoding, EveryShortFileIsRejectedAndLeavesTheRecordAlone) {
    const Bytes image = EncodeSettings(Unusual());
    const Bytes before = EncodeSettings(Defaults());
    for (std::size_t length = 0; length < kSettingsFileSize; ++length) {
        Settings s = Defaults();
        ASSERT_EQ(DecodeSettings(image.data(), length, s), 0) << "length " << length;
        ASSERT_EQ(EncodeSettings(s), before) << "length " << length;
    }
}

TEST(SettingsDecoding, ForeignTagsAreRejected) {
    for (const char* tag : {"ver_0_86", "VER_0_87", "ver_0_8\0", "\0er_0_87", "ver_1_00"}) {
        Bytes image = EncodeSettings(Unusual());
        std::memcpy(image.data(), tag, 8);
        Settings s = Defaults();
        EXPECT_EQ(DecodeSettings(image.data(), image.size(), s), 0) << tag;
        EXPECT_EQ(EncodeSettings(s), DefaultFileFixture()) << tag;
    }
    Settings s;
    EXPECT_EQ(DecodeSettings(nullptr, 0, s), 0);
}

TEST(SettingsDecoding, BytesAfterTheRecordAreIgnored) {
    Bytes image = EncodeSettings(Unusual());
    const Bytes exact = image;
    image.insert(image.end(), 300, 0xEE);
    Settings s = Defaults();
    ASSERT_EQ(DecodeSettings(image.data(), image.size(), s), 1);
    EXPECT_EQ(EncodeSettings(s), exact);
}

struct Damage {
    std::size_t offset;
    std::int64_t stored;
    std::int32_t Settings::*field;
    std::int32_t expected;
};

TEST(SettingsDecoding, DamagedNumbersComeBackInRange) {
    const Damage cases[] = {
        {16, 0, &Settings::gridSize, 2},
        {16, 150, &Settings::gridSize, 100},
        {16, INT32_MIN, &Settings::gridSize, 2},
        {80, 0, &Settings::zoomRadius, 1},
        {80, 50, &Settings::zoomRadius, 49},
        {80, INT32_MAX, &Settings::zoomRadius, 49},
        {84, 0, &Settings::zoomFactor, 1},
        {84, 9, &Settings::zoomFactor, 8},
        {96, 0, &Settings::numberDigits, 1},
        {96, 9, &Settings::numberDigits, 8},
        {92, -5, &Settings::saveNumber, 0},
        {92, 12345, &Settings::saveNumber, 10000},  // 4 digits: at most 10^4
        {64, 101, &Settings::jpegQualityHigh, 100},
        {76, -1, &Settings::jpegQualityLow, 0},
        {556, 0, &Settings::toolPanelCorner, 1},
        {556, 5, &Settings::toolPanelCorner, 4},
        {12, -3, &Settings::dragThreshold, 0},
        {12, 100000, &Settings::dragThreshold, 64},
        {36, 0, &Settings::frameWidth, 1},
        {36, 5000, &Settings::frameWidth, 32},
        {40, INT32_MAX, &Settings::handleReach, 256},
        {44, -7, &Settings::edgeBand, 0},
        {88, 0, &Settings::messageTicks, 1},
        {88, 1 << 30, &Settings::messageTicks, 240},
        {4, 7, &Settings::zoomVisible, 1},
        {32, -1, &Settings::inTaskTray, 1},
    };
    for (const Damage& c : cases) {
        Bytes image = EncodeSettings(Defaults());
        PutLe32(image, c.offset, c.stored);
        Settings s = Defaults();
        ASSERT_EQ(DecodeSettings(image.data(), image.size(), s), 1);
        EXPECT_EQ(s.*c.field, c.expected) << "offset " << c.offset << " stored " << c.stored;
        EXPECT_EQ(testing::FirstSettingsViolation(s), "");
    }
}

TEST(SettingsDecoding, SaveNumberLimitFollowsTheClampedDigits) {
    Bytes image = EncodeSettings(Defaults());
    PutLe32(image, 96, 2);    // digits 2
    PutLe32(image, 92, 500);  // more than 10^2
    Settings s = Defaults();
    ASSERT_EQ(DecodeSettings(image.data(), image.size(), s), 1);
    EXPECT_EQ(s.saveNumber, 100);

    PutLe32(image, 96, 99);  // clamped to 8 digits first
    PutLe32(image, 92, INT32_MAX);
    ASSERT_EQ(DecodeSettings(image.data(), image.size(), s), 1);
    EXPECT_EQ(s.numberDigits, 8);
    EXPECT_EQ(s.saveNumber, 100000000);
}

TEST(SettingsDecoding, DamagedTextsAndFormatBytesAreMadeSafe) {
    Bytes image = EncodeSettings(Defaults());
    std::memset(image.data() + 8 + 108, 'n', 101);  // no NUL anywhere in the name
    std::memset(image.data() + 8 + 209, 'f', 260);  // nor in the folder
    image[8 + 469] = 0xFF;
    image[8 + 470] = 0xFF;
    image[8 + 471] = 0xF3;
    image[8 + 472] = 0xFE;
    PutLe32(image, 48, 0xFFFFFFFF);  // colours are not range-checked
    PutLe32(image, 476 + 4 * 16, 0x100);
    Settings s = Defaults();
    ASSERT_EQ(DecodeSettings(image.data(), image.size(), s), 1);
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
