#include "output/SaveNaming.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace mrv {
namespace {

// The save folder C:\shots\ with a set of files in it; every probe is logged.
class SequentialNaming : public ::testing::Test {
protected:
    void SetUp() override {
        naming.BindSettings(settings);
        ASSERT_TRUE(naming.SetSaveFolder(L"C:\\shots"));
    }
    SequentialPath Next(std::wstring_view base = L"img") {
        return naming.NextSequentialPath(base, [this](const std::wstring& path) {
            probes.push_back(path);
            return files.count(path) != 0;
        });
    }
    Settings settings;  // defaults: 4 digits, no overwriting, BMP 24 bit
    SaveNaming naming;
    std::set<std::wstring> files;
    std::vector<std::wstring> probes;
};

TEST_F(SequentialNaming, CountsUpAndSkipsNumbersUsedInAnyFormat) {
    EXPECT_EQ(Next().path, L"C:\\shots\\img0000.bmp");
    EXPECT_EQ(probes,
              (std::vector<std::wstring>{L"C:\\shots\\img0000.bmp", L"C:\\shots\\img0000.png",
                                         L"C:\\shots\\img0000.jpg"}));
    EXPECT_EQ(naming.LastFileName(), L"img0000.bmp");
    EXPECT_EQ(naming.FilePath(), L"C:\\shots\\img0000.bmp");
    naming.AdvanceSaveNumber();
    EXPECT_EQ(Next().path, L"C:\\shots\\img0001.bmp");
    naming.AdvanceSaveNumber();
    // A JPEG with number 2 takes the number from a BMP save; ".jpeg" does not.
    files = {L"C:\\shots\\img0002.jpg", L"C:\\shots\\img0003.jpeg"};
    EXPECT_EQ(Next().path, L"C:\\shots\\img0003.bmp");
    EXPECT_EQ(settings.saveNumber, 3);
    // The extension is the current family's.
    naming.SetFormat(0x2C, true);
    EXPECT_EQ(Next().path, L"C:\\shots\\img0003.png");
    naming.SetFormat(0x00, true);  // decided from the name: BMP
    EXPECT_EQ(Next().path, L"C:\\shots\\img0003.bmp");
}

TEST_F(SequentialNaming, DigitLimitResetsTheNumber) {
    settings.numberDigits = 1;
    settings.saveNumber = 9;
    EXPECT_EQ(Next().path, L"C:\\shots\\img9.bmp");
    naming.AdvanceSaveNumber();
    const SequentialPath p = Next();
    EXPECT_EQ(p.status, NamingStatus::kNumberLimitReached);
    EXPECT_EQ(p.messageId, kMessageNumberLimit);
    EXPECT_EQ(p.limit, 10);
    EXPECT_EQ(settings.saveNumber, 0);
    EXPECT_EQ(naming.FilePath(), L"C:\\shots\\img9.bmp");
    EXPECT_EQ(Next().path, L"C:\\shots\\img0.bmp");
    // Skipping used numbers runs into the limit as well.
    files = {L"C:\\shots\\img8.png", L"C:\\shots\\img9.bmp"};
    settings.saveNumber = 8;
    EXPECT_EQ(Next().status, NamingStatus::kNumberLimitReached);
    // Digit counts from a foreign record stay within an int's digits.
    settings.numberDigits = 40;
    settings.saveNumber = 123;
    EXPECT_EQ(Next().path, L"C:\\shots\\img000000123.bmp");
}

TEST_F(SequentialNaming, OverwritingTakesTheNumberWithoutProbing) {
    settings.overwriteExisting = 1;
    files = {L"C:\\shots\\img0000.bmp"};
    EXPECT_EQ(Next().path, L"C:\\shots\\img0000.bmp");
    EXPECT_TRUE(probes.empty());
}

TEST_F(SequentialNaming, NamesTooLongForThePathBuffersAreRefused) {
    // 248-character folder + "img" + 4 digits + ".bmp" = 259: fits exactly.
    ASSERT_TRUE(naming.SetSaveFolder(L"C:\\" + std::wstring(244, L'd') + L"\\"));
    settings.saveNumber = 7;
    EXPECT_EQ(Next().path.size(), kMaxPathLength);
    ASSERT_TRUE(naming.SetSaveFolder(L"C:\\" + std::wstring(245, L'd') + L"\\"));
    probes.clear();
    const SequentialPath p = Next();
    EXPECT_EQ(p.status, NamingStatus::kPathTooLong);
    EXPECT_EQ(p.messageId, kMessageSaveFailed);
    EXPECT_TRUE(p.path.empty() && probes.empty());
    EXPECT_EQ(settings.saveNumber, 7);
    ASSERT_TRUE(naming.SetSaveFolder(L"C:\\shots\\"));
    EXPECT_EQ(Next(std::wstring(300, L'n')).status, NamingStatus::kPathTooLong);
}

TEST(SaveNaming, FoldersAndPathsAreKeptWholeOrRefused) {
    SaveNaming naming;
    const std::wstring folder = L"E:\\" + std::wstring(255, L'f');  // 258 + "\" fits
    EXPECT_TRUE(naming.SetSaveFolder(folder));
    EXPECT_EQ(naming.CurrentFolder(), folder + L"\\");
    EXPECT_EQ(naming.LastFileName(), L"");
    EXPECT_FALSE(naming.SetSaveFolder(folder + L"g"));
    EXPECT_EQ(naming.CurrentFolder(), folder + L"\\");
    EXPECT_FALSE(naming.SetFilePath(std::wstring(kPathBufferSize, L'x')));

    const wchar_t* splits[][3] = {{L"D:\\a\\b\\pic.name.png", L"D:\\a\\b\\", L"pic.name.png"},
                                  {L"D:/a/pic.jpg", L"D:/a/", L"pic.jpg"},
                                  {L"C:pic.bmp", L"C:", L"pic.bmp"},
                                  {L"pic.bmp", L"", L"pic.bmp"}};
    for (const auto& s : splits) {
        ASSERT_TRUE(naming.SetFilePath(s[0]));
        naming.RememberPath();
        EXPECT_EQ(naming.CurrentFolder(), s[1]);
        EXPECT_EQ(naming.LastFileName(), s[2]);
    }
    // Attaching the settings resets the number when the record asks for it.
    Settings settings;
    settings.saveNumber = 41;
    naming.BindSettings(settings);
    EXPECT_EQ(settings.saveNumber, 0);
    settings.resetNumberAtStartup = 0;
    settings.saveNumber = 41;
    naming.BindSettings(settings);
    EXPECT_EQ(settings.saveNumber, 41);
}

TEST(FormatCodes, VariantsAreRememberedPerFamily) {
    Settings s;  // BMP 24 current; PNG 8 and JPEG standard remembered
    SaveNaming naming;
    naming.BindSettings(s);
    naming.SetFormat(0x14, true);
    EXPECT_EQ(s.bmpVariant, 0x04);
    naming.SetFormat(0x20, false);  // a family alone takes its remembered variant
    EXPECT_EQ(s.imageFormat, 0x2C);
    naming.SetFormat(0x30, false);
    EXPECT_EQ(s.imageFormat, 0x31);
    naming.SetFormat(0x10, false);
    EXPECT_EQ(s.imageFormat, 0x14);
    naming.SetFormat(0x33, true);
    EXPECT_EQ(s.jpegVariant, 0x03);
    naming.SetFormat(0x00, true);
    naming.SetFormat(0x0C, false);  // no family: ignored
    EXPECT_EQ(s.imageFormat, 0x00);
    EXPECT_EQ(s.bmpVariant, 0x04);

    const int filters[] = {kFilterBmp, kFilterPng, kFilterJpeg, kFilterAll};
    const int codes[] = {0x14, 0x2C, 0x33, 0x00};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(naming.FormatForFilter(filters[k]), codes[k]);
        if (codes[k] != 0) {
            EXPECT_EQ(FilterIndexForFormat(std::uint8_t(codes[k])), filters[k]);
        }
    }
    EXPECT_EQ(FilterIndexForFormat(0x00), kFilterBmp);
    s.bmpVariant = 0xF3;  // stray bits from a foreign record stay out
    EXPECT_EQ(naming.FormatForFilter(kFilterBmp), 0x10);
    EXPECT_STREQ(FamilyExtension(0x33), L"jpg");
    EXPECT_EQ(DecidedFormatForFamily(0x20), 0x2C);
    EXPECT_EQ(DecidedFormatForFamily(0x30), 0x31);
    EXPECT_EQ(JpegQualityForCode(s, 0x32), 40);
}

}  // namespace
}  // namespace mrv
