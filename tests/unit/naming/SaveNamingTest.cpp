// Where saved images go: sequential names, the digit limit, overwriting, path
// lengths, remembered folders and the format code rules.
#include "output/SaveNaming.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace mrv {
namespace {

// The save folder C:\shots\ with a set of files in it.
class SequentialNaming : public ::testing::Test {
protected:
    void SetUp() override {
        naming.BindSettings(settings);
        ASSERT_TRUE(naming.SetSaveFolder(L"C:\\shots"));
    }
    SequentialPath Next() {
        return naming.NextSequentialPath(L"img", [this](auto& p) { return files.count(p) > 0; });
    }
    Settings settings;  // defaults: 4 digits, no overwriting, BMP 24 bit
    SaveNaming naming;
    std::set<std::wstring> files;
};

TEST_F(SequentialNaming, CountsUpSkippingNumbersUsedInAnyFormat) {
    EXPECT_EQ(Next().path, L"C:\\shots\\img0000.bmp");
    naming.AdvanceSaveNumber();
    // A JPEG with number 1 takes the number from a BMP save; ".jpeg" does not.
    files = {L"C:\\shots\\img0001.jpg", L"C:\\shots\\img0002.jpeg"};
    EXPECT_EQ(Next().path, L"C:\\shots\\img0002.bmp");
    EXPECT_EQ(settings.saveNumber, 2);
    naming.SetFormat(0x2C, true);  // the extension is the current family's
    EXPECT_EQ(Next().path, L"C:\\shots\\img0002.png");
    settings.overwriteExisting = 1;  // a used number is taken all the same
    files.insert(L"C:\\shots\\img0002.png");
    EXPECT_EQ(Next().path, L"C:\\shots\\img0002.png");
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
    settings.numberDigits = 40;  // from a foreign record: within an int's digits
    settings.saveNumber = 123;
    EXPECT_EQ(Next().path, L"C:\\shots\\img000000123.bmp");
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
    EXPECT_EQ(settings.saveNumber, 7);

    EXPECT_TRUE(naming.SetSaveFolder(L"E:\\" + std::wstring(255, L'f')));  // 259 with the "\\"
    EXPECT_FALSE(naming.SetSaveFolder(L"E:\\" + std::wstring(256, L'f')));
    EXPECT_FALSE(naming.SetFilePath(std::wstring(kPathBufferSize, L'x')));
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
