// Where saved images go: sequential names, the digit limit, overwriting, path
// lengths, remembered folders and the format code rules.
#include "output/SaveNaming.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "settings/FileNameCheck.h"
#include "tests/unit/naming/SequentialInvariants.h"

namespace mrv {
namespace {

// The save folder C:\shots\ with a set of files in it, listed as the file
// system lists a pattern: names starting with its prefix, ignoring case.
class SequentialNaming : public ::testing::Test {
protected:
    void SetUp() override {
        naming.BindSettings(settings);
        ASSERT_TRUE(naming.SetSaveFolder(L"C:\\shots"));
    }
    SequentialPath Next(std::wstring_view base = L"img") {
        return naming.NextSequentialPath(base, [this](const std::wstring& pattern, auto& each) {
            patterns.push_back(pattern);
            const std::wstring prefix = pattern.substr(0, pattern.size() - 3);  // "*.*"
            for (const std::wstring& f : files) {
                if (f.size() >= prefix.size() &&
                    std::equal(prefix.begin(), prefix.end(), f.begin(), [](wchar_t a, wchar_t b) {
                        return std::towupper(a) == std::towupper(b);
                    }))
                    each(std::wstring_view(f).substr(f.rfind(L'\\') + 1));
            }
            return listingError;
        });
    }
    Settings settings;  // defaults: 4 digits, no overwriting, BMP 24 bit
    SaveNaming naming;
    std::set<std::wstring> files;
    std::vector<std::wstring> patterns;
    std::uint32_t listingError = 0;
};

TEST_F(SequentialNaming, CountsUpSkippingNumbersUsedInAnyFormat) {
    EXPECT_EQ(Next().path, L"C:\\shots\\img0000.bmp");
    naming.AdvanceSaveNumber();
    // Numbers 1-3 are used by a JPEG, a PNG and a BMP in any case; ".jpeg",
    // other widths, other bases and stray suffixes use nothing.
    files = {L"C:\\shots\\img0001.jpg",  L"C:\\shots\\IMG0002.Png",  L"C:\\shots\\img0003.bmp",
             L"C:\\shots\\img0004.jpeg", L"C:\\shots\\img04.bmp",    L"C:\\shots\\img00004.bmp",
             L"C:\\shots\\imgx0004.bmp", L"C:\\shots\\img0004.bmp~", L"C:\\shots\\img-004.png",
             L"C:\\shots\\img0006.png"};
    EXPECT_EQ(Next().path, L"C:\\shots\\img0004.bmp");
    EXPECT_EQ(settings.saveNumber, 4);
    EXPECT_EQ(patterns, std::vector<std::wstring>(2, L"C:\\shots\\img*.*")) << "one listing a save";
    naming.SetFormat(0x2C, true);  // the extension is the current family's
    files.insert(L"C:\\shots\\img0004.bmp");
    files.insert(L"C:\\shots\\img0005.bmp");
    EXPECT_EQ(Next().path, L"C:\\shots\\img0007.png");
    EXPECT_EQ(naming.LastFileName(), L"img0007.png");
    settings.overwriteExisting = 1;  // a used number is taken all the same, unlisted
    settings.saveNumber = 2;
    patterns.clear();
    EXPECT_EQ(Next().path, L"C:\\shots\\img0002.png");
    EXPECT_TRUE(patterns.empty());
}

TEST_F(SequentialNaming, TheDigitLimitResetsTheNumber) {
    settings.numberDigits = 1;
    settings.saveNumber = 9;
    EXPECT_EQ(Next().path, L"C:\\shots\\img9.bmp");
    naming.AdvanceSaveNumber();
    const SequentialPath p = Next();
    EXPECT_EQ(p.status, NamingStatus::kNumberLimitReached);
    EXPECT_EQ(p.messageId, kMessageNumberLimit);
    EXPECT_EQ(p.limit, 10);
    EXPECT_EQ(settings.saveNumber, 0);
    files = {L"C:\\shots\\img8.png", L"C:\\shots\\img9.bmp"};  // skipping runs into it too
    settings.saveNumber = 8;
    EXPECT_EQ(Next().status, NamingStatus::kNumberLimitReached);
    EXPECT_EQ(settings.saveNumber, 0);
    settings.numberDigits = 40;  // from a foreign record: within an int's digits
    settings.saveNumber = 123;
    EXPECT_EQ(Next().path, L"C:\\shots\\img000000123.bmp");
}

// 10^8 possible numbers, 10,000 of them used: the scan walks the listing,
// not the numbers.
TEST_F(SequentialNaming, EightDigitsAmongManyUsedNumbersTakeOneListing) {
    settings.numberDigits = 8;
    for (int n = 0; n < 10000; ++n) {
        const std::wstring number = std::to_wstring(100000000 + n).substr(1);
        files.insert(L"C:\\shots\\img" + number + (n % 3 ? L".png" : L".jpg"));
    }
    EXPECT_EQ(Next().path, L"C:\\shots\\img00010000.bmp");
    EXPECT_EQ(patterns.size(), 1u);
}

// The listing fails (the folder went away, access denied): the save stops at
// once on that error, naming the file it would have written.
TEST_F(SequentialNaming, AFailedListingStopsTheSave) {
    settings.saveNumber = 3;
    listingError = 5;
    const SequentialPath p = Next();
    EXPECT_EQ(p.status, NamingStatus::kListingFailed);
    EXPECT_EQ(p.messageId, kMessageSaveFailed);
    EXPECT_EQ(p.error, 5u);
    EXPECT_EQ(p.path, L"C:\\shots\\img0003.bmp");
    EXPECT_EQ(settings.saveNumber, 3);
    EXPECT_EQ(naming.FilePath(), L"C:\\shots\\");
}

// However the base name came in, no path leaves the save folder and no
// listing runs on a wildcard; the folder stays put save after save.
TEST_F(SequentialNaming, BaseNamesThatAreNoFileNameBuildNoPath) {
    for (const wchar_t* base : {L"..\\up", L"sub\\img", L"a*b", L"C:img", L"CON", L"x."}) {
        const SequentialPath p = Next(base);
        EXPECT_EQ(p.status, NamingStatus::kUnusableBaseName) << base;
        EXPECT_EQ(p.messageId, kMessageSaveFailed);
        EXPECT_EQ(p.reason, BaseNameRefusalText(CheckBaseName(base)));
        EXPECT_EQ(p.path, L"C:\\shots\\" + std::wstring(base) + L"0000.bmp") << "for the message";
    }
    EXPECT_TRUE(patterns.empty());
    EXPECT_EQ(settings.saveNumber, 0);
    for (int k = 0; k < 3; ++k) {
        const std::wstring base = L"\x753B\x50CF";  // "画像"
        EXPECT_EQ(Next(base).path, L"C:\\shots\\" + base + L"000" + std::to_wstring(k) + L".bmp");
        naming.AdvanceSaveNumber();
        EXPECT_EQ(naming.CurrentFolder(), L"C:\\shots\\");
    }
    // "COM" with one digit would name the serial ports: those numbers are
    // skipped, overwriting or not.
    settings.numberDigits = 1;
    settings.overwriteExisting = 1;
    settings.saveNumber = 1;
    EXPECT_EQ(Next(L"com").status, NamingStatus::kNumberLimitReached);
    EXPECT_EQ(Next(L"com").path, L"C:\\shots\\com0.bmp");
    settings.numberDigits = 2;
    settings.saveNumber = 1;
    EXPECT_EQ(Next(L"LPT").path, L"C:\\shots\\LPT01.bmp");
}

TEST_F(SequentialNaming, PathsTooLongForTheBuffersAreRefused) {
    // 248-character folder + "img" + 4 digits + ".bmp" = 259: fits exactly.
    ASSERT_TRUE(naming.SetSaveFolder(L"C:\\" + std::wstring(244, L'd') + L"\\"));
    settings.saveNumber = 7;
    EXPECT_EQ(Next().path.size(), kMaxPathLength);
    ASSERT_TRUE(naming.SetSaveFolder(L"C:\\" + std::wstring(245, L'd') + L"\\"));
    const SequentialPath p = Next();
    EXPECT_EQ(p.status, NamingStatus::kPathTooLong);
    EXPECT_EQ(p.messageId, kMessageSaveFailed);
    EXPECT_EQ(p.reason, kPathTooLongReason);
    EXPECT_EQ(settings.saveNumber, 7);

    EXPECT_TRUE(naming.SetSaveFolder(L"E:\\" + std::wstring(255, L'f')));  // 259 with the "\\"
    EXPECT_FALSE(naming.SetSaveFolder(L"E:\\" + std::wstring(256, L'f')));
    EXPECT_FALSE(naming.SetFilePath(std::wstring(kPathBufferSize, L'x')));
}

// Loaded records with base names full of separators, dots, colons, spaces
// and device names, in a folder holding a file: every save stays in the
// folder. A seeded cousin of the fuzz harness in tests/fuzz.
TEST(SequentialPathsOfLoadedRecords, StayInTheSaveFolder) {
    std::mt19937 rng(0x5a7ee5u);
    const char pieces[][6] = {"..",       "\\",   "/", ":", ".",   " ",    "con", "COM", "lpt1",
                              "\x83\x5C", "\x83", "|", "*", "img", "\x7F", "\t",  "sub"};
    std::vector<std::uint8_t> file(kSettingsFileSize);
    Settings s;
    for (int round = 0; round < 3000; ++round) {
        ResetSettings(s, "C:\\exe\\");
        std::string base;
        for (int k = rng() % 6; k > 0; --k) base += pieces[rng() % std::size(pieces)];
        std::strncpy(s.baseName, base.c_str(), kBaseNameSize - 1);
        s.numberDigits = 1 + int(rng() % 3);
        s.saveNumber = int(rng() % 12);
        s.overwriteExisting = int(rng() % 2);
        file = EncodeSettings(s);
        ASSERT_EQ(DecodeSettings(file.data(), file.size(), s), 1);
        ASSERT_EQ(testing::CheckSequentialPaths(s, L"img1.bmp"), "") << base;
    }
}

// Message 3: the sentence, then the file and the reason on lines of their own.
TEST(SaveFailedText, AddsTheFileAndTheReasonOnTheirOwnLines) {
    EXPECT_EQ(SaveFailedText(L"failed.", L"C:\\a.bmp", L"Access is denied."),
              L"failed.\nC:\\a.bmp\nAccess is denied.");
    EXPECT_EQ(SaveFailedText(L"failed.", L"", L"too long"), L"failed.\ntoo long");
}

TEST(FormatCodes, VariantsAreRememberedPerFamily) {
    Settings s;  // BMP 24 current; PNG 8 and JPEG standard remembered
    SaveNaming naming;
    naming.BindSettings(s);
    // Exact codes are remembered for their family; a family alone takes its
    // remembered variant; a code without a family changes nothing.
    // clang-format off
    const struct { std::uint8_t code; bool exact; std::uint8_t now; } steps[] = {
        {0x14, true, 0x14}, {0x20, false, 0x2C}, {0x30, false, 0x31}, {0x10, false, 0x14},
        {0x33, true, 0x33}, {0x00, true, 0x00},  {0x0C, false, 0x00}};
    // clang-format on
    for (const auto& step : steps) {
        naming.SetFormat(step.code, step.exact);
        EXPECT_EQ(naming.CurrentFormat(), step.now) << int(step.code);
    }
    const std::uint8_t codes[] = {0x14, 0x2C, 0x33, 0x00};  // by filter; "All Files" last
    for (int f = kFilterBmp; f <= kFilterAll; ++f) {
        EXPECT_EQ(naming.FormatForFilter(f), codes[f - 1]);
        EXPECT_EQ(FilterIndexForFormat(codes[f - 1]), f < kFilterAll ? f : kFilterBmp);
    }
    s.bmpVariant = 0xF3;  // stray bits from a foreign record stay out
    EXPECT_EQ(naming.FormatForFilter(kFilterBmp), 0x10);
    EXPECT_STREQ(FamilyExtension(0x33), L"jpg");
    EXPECT_EQ(JpegQualityForCode(s, 0x32), 40);
}

}  // namespace
}  // namespace mrv
