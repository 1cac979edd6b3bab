#include "output/SaveNaming.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace mrv {
namespace {

// A folder of files as a set of paths; every probe is recorded.
struct FakeFolder {
    std::set<std::wstring> files;
    std::vector<std::wstring> probes;
    FileExists Predicate() {
        return [this](const std::wstring& path) {
            probes.push_back(path);
            return files.count(path) != 0;
        };
    }
};

class SequentialNaming : public ::testing::Test {
protected:
    void SetUp() override {
        naming.BindSettings(settings);
        ASSERT_TRUE(naming.SetSaveFolder(L"C:\\shots"));
    }
    SequentialPath Next() { return naming.NextSequentialPath(L"img", folder.Predicate()); }

    Settings settings;  // defaults: 4 digits, no overwriting, BMP 24 bit
    SaveNaming naming;
    FakeFolder folder;
};

TEST_F(SequentialNaming, DefaultsCountUpAndSkipNumbersUsedInAnyFormat) {
    SequentialPath p = Next();
    ASSERT_EQ(p.status, NamingStatus::kOk);
    EXPECT_EQ(p.path, L"C:\\shots\\img0000.bmp");
    EXPECT_EQ(p.messageId, 0);
    EXPECT_EQ(naming.FilePath(), p.path);
    EXPECT_EQ(naming.LastFileName(), L"img0000.bmp");
    EXPECT_EQ(naming.CurrentFolder(), L"C:\\shots\\");
    // Each free number is probed as .bmp, .png, .jpg in that order.
    EXPECT_EQ(folder.probes,
              (std::vector<std::wstring>{L"C:\\shots\\img0000.bmp", L"C:\\shots\\img0000.png",
                                         L"C:\\shots\\img0000.jpg"}));
    naming.AdvanceSaveNumber();
    EXPECT_EQ(Next().path, L"C:\\shots\\img0001.bmp");
    naming.AdvanceSaveNumber();

    // A JPEG with number 2 takes that number away from a BMP save as well; a
    // .jpeg does not count.
    folder.files = {L"C:\\shots\\img0002.jpg", L"C:\\shots\\img0003.jpeg"};
    p = Next();
    EXPECT_EQ(p.path, L"C:\\shots\\img0003.bmp");
    EXPECT_EQ(settings.saveNumber, 3);
    naming.AdvanceSaveNumber();
    EXPECT_EQ(settings.saveNumber, 4);

    // A used .png stops probing at once.
    folder.files = {L"C:\\shots\\img0004.png"};
    folder.probes.clear();
    EXPECT_EQ(Next().path, L"C:\\shots\\img0005.bmp");
    EXPECT_EQ(folder.probes[1], L"C:\\shots\\img0004.png");
    EXPECT_EQ(folder.probes[2], L"C:\\shots\\img0005.bmp");
}

TEST_F(SequentialNaming, ExtensionFollowsTheCurrentFamily) {
    naming.SetFormat(0x2C, true);
    EXPECT_EQ(Next().path, L"C:\\shots\\img0000.png");
    naming.SetFormat(0x32, true);
    EXPECT_EQ(Next().path, L"C:\\shots\\img0000.jpg");
    naming.SetFormat(0x00, true);  // decided from the name: BMP by default
    EXPECT_EQ(Next().path, L"C:\\shots\\img0000.bmp");
}

TEST_F(SequentialNaming, DigitLimitResetsTheNumberAndAsksForAnotherSave) {
    settings.numberDigits = 1;
    settings.saveNumber = 9;
    EXPECT_EQ(Next().path, L"C:\\shots\\img9.bmp");
    naming.AdvanceSaveNumber();

    SequentialPath p = Next();
    EXPECT_EQ(p.status, NamingStatus::kNumberLimitReached);
    EXPECT_EQ(p.messageId, kMessageNumberLimit);
    EXPECT_EQ(p.limit, 10);
    EXPECT_TRUE(p.path.empty());
    EXPECT_EQ(settings.saveNumber, 0);
    EXPECT_EQ(naming.FilePath(), L"C:\\shots\\img9.bmp");  // untouched

    EXPECT_EQ(Next().path, L"C:\\shots\\img0.bmp");

    // Skipping used numbers can run into the limit as well.
    folder.files = {L"C:\\shots\\img8.png", L"C:\\shots\\img9.bmp"};
    settings.saveNumber = 8;
    EXPECT_EQ(Next().status, NamingStatus::kNumberLimitReached);
    EXPECT_EQ(settings.saveNumber, 0);
}

TEST_F(SequentialNaming, OverwritingTakesTheNumberWithoutProbing) {
    settings.overwriteExisting = 1;
    folder.files = {L"C:\\shots\\img0000.bmp"};
    EXPECT_EQ(Next().path, L"C:\\shots\\img0000.bmp");
    EXPECT_TRUE(folder.probes.empty());
    naming.AdvanceSaveNumber();
    EXPECT_EQ(settings.saveNumber, 1);
}

TEST_F(SequentialNaming, DigitCountsOutsideTheirRangeStaySafe) {
    settings.numberDigits = 0;  // limit 1, no padding
    EXPECT_EQ(Next().path, L"C:\\shots\\img0.bmp");
    naming.AdvanceSaveNumber();
    EXPECT_EQ(Next().limit, 1);
    settings.numberDigits = 40;  // as 9: the limit stays within an int
    settings.saveNumber = 123;
    EXPECT_EQ(Next().path, L"C:\\shots\\img000000123.bmp");
    settings.saveNumber = -5;  // as 0
    EXPECT_EQ(Next().path, L"C:\\shots\\img000000000.bmp");
}

TEST_F(SequentialNaming, NamesTooLongForThePathBuffersAreRefused) {
    // folder + "img" + 4 digits + ".bmp": exactly 259 characters fit.
    const std::wstring folder248 = L"C:\\" + std::wstring(244, L'd') + L"\\";
    ASSERT_EQ(folder248.size(), 248u);
    ASSERT_TRUE(naming.SetSaveFolder(folder248));
    settings.saveNumber = 7;
    SequentialPath p = Next();
    ASSERT_EQ(p.status, NamingStatus::kOk);
    EXPECT_EQ(p.path.size(), kMaxPathLength);

    ASSERT_TRUE(naming.SetSaveFolder(L"C:\\" + std::wstring(245, L'd') + L"\\"));
    folder.probes.clear();
    const std::wstring before = naming.FilePath();
    p = Next();
    EXPECT_EQ(p.status, NamingStatus::kPathTooLong);
    EXPECT_EQ(p.messageId, kMessageSaveFailed);
    EXPECT_TRUE(p.path.empty());
    EXPECT_EQ(settings.saveNumber, 7);
    EXPECT_EQ(naming.FilePath(), before);
    EXPECT_TRUE(folder.probes.empty());
    // A long base name is refused the same way.
    ASSERT_TRUE(naming.SetSaveFolder(L"C:\\shots\\"));
    EXPECT_EQ(naming.NextSequentialPath(std::wstring(300, L'n'), folder.Predicate()).status,
              NamingStatus::kPathTooLong);
}

TEST(SaveNaming, FoldersAndPathsAreKeptWholeOrRefused) {
    SaveNaming naming;
    EXPECT_TRUE(naming.SetSaveFolder(L"D:\\pics"));
    EXPECT_EQ(naming.CurrentFolder(), L"D:\\pics\\");
    EXPECT_EQ(naming.FilePath(), L"D:\\pics\\");
    EXPECT_EQ(naming.LastFileName(), L"");

    // 258 characters and the separator fit; one more does not, and nothing
    // changes then.
    const std::wstring fits = L"E:\\" + std::wstring(255, L'f');
    EXPECT_TRUE(naming.SetSaveFolder(fits));
    EXPECT_EQ(naming.CurrentFolder().size(), kMaxPathLength);
    EXPECT_FALSE(naming.SetSaveFolder(fits + L"g"));
    EXPECT_EQ(naming.CurrentFolder(), fits + L"\\");

    EXPECT_FALSE(naming.SetFilePath(std::wstring(kPathBufferSize, L'x')));
    EXPECT_TRUE(naming.SetFilePath(std::wstring(kMaxPathLength, L'x')));

    struct Split {
        const wchar_t* path;
        const wchar_t* folder;
        const wchar_t* name;
    } cases[] = {
        {L"D:\\a\\b\\pic.name.png", L"D:\\a\\b\\", L"pic.name.png"},
        {L"D:/a/pic.jpg", L"D:/a/", L"pic.jpg"},
        {L"\\\\server\\share\\x.bmp", L"\\\\server\\share\\", L"x.bmp"},
        {L"C:pic.bmp", L"C:", L"pic.bmp"},
        {L"pic.bmp", L"", L"pic.bmp"},
        {L"C:\\dir\\", L"C:\\dir\\", L""},
    };
    for (const Split& c : cases) {
        ASSERT_TRUE(naming.SetFilePath(c.path));
        naming.RememberPath();
        EXPECT_EQ(naming.CurrentFolder(), c.folder) << c.path;
        EXPECT_EQ(naming.LastFileName(), c.name) << c.path;
    }
}

TEST(SaveNaming, AttachingResetsTheNumberWhenAskedTo) {
    Settings settings;
    settings.saveNumber = 41;
    SaveNaming naming;
    naming.BindSettings(settings);
    EXPECT_EQ(settings.saveNumber, 0);
    settings.resetNumberAtStartup = 0;
    settings.saveNumber = 41;
    naming.BindSettings(settings);
    EXPECT_EQ(settings.saveNumber, 41);
}

TEST(FormatCodes, SetFormatRemembersVariantsPerFamily) {
    Settings s;  // BMP 24 current; PNG 8 and JPEG standard remembered
    SaveNaming naming;
    naming.BindSettings(s);

    naming.SetFormat(0x14, true);
    EXPECT_EQ(s.imageFormat, 0x14);
    EXPECT_EQ(s.bmpVariant, 0x04);
    // A family alone picks its remembered variant.
    naming.SetFormat(0x20, false);
    EXPECT_EQ(s.imageFormat, 0x2C);
    naming.SetFormat(0x30, false);
    EXPECT_EQ(s.imageFormat, 0x31);
    naming.SetFormat(0x10, false);
    EXPECT_EQ(s.imageFormat, 0x14);
    // Exact JPEG codes remember the level, not colour bits.
    naming.SetFormat(0x33, true);
    EXPECT_EQ(s.jpegVariant, 0x03);
    EXPECT_EQ(s.bmpVariant, 0x04);
    EXPECT_EQ(s.pngVariant, 0x0C);
    naming.SetFormat(0x20, true);
    EXPECT_EQ(s.pngVariant, 0x00);
    // No family: exact sets it (decided from the name), family-only ignores it.
    naming.SetFormat(0x00, true);
    EXPECT_EQ(s.imageFormat, 0x00);
    EXPECT_EQ(s.bmpVariant, 0x04);
    naming.SetFormat(0x0C, false);
    EXPECT_EQ(s.imageFormat, 0x00);

    EXPECT_EQ(naming.FormatForFilter(kFilterBmp), 0x14);
    EXPECT_EQ(naming.FormatForFilter(kFilterPng), 0x20);
    EXPECT_EQ(naming.FormatForFilter(kFilterJpeg), 0x33);
    EXPECT_EQ(naming.FormatForFilter(kFilterAll), 0x00);
    EXPECT_EQ(naming.FormatForFilter(0), 0x00);
    // Stray bits in a remembered variant (a foreign record) stay out.
    s.bmpVariant = 0xF3;
    EXPECT_EQ(naming.FormatForFilter(kFilterBmp), 0x10);
}

TEST(FormatCodes, FamilyHelpers) {
    EXPECT_STREQ(FamilyExtension(0x00), L"bmp");
    EXPECT_STREQ(FamilyExtension(0x1C), L"bmp");
    EXPECT_STREQ(FamilyExtension(0x2C), L"png");
    EXPECT_STREQ(FamilyExtension(0x33), L"jpg");
    EXPECT_EQ(FilterIndexForFormat(0x2C), kFilterPng);
    EXPECT_EQ(FilterIndexForFormat(0x31), kFilterJpeg);
    EXPECT_EQ(FilterIndexForFormat(0x18), kFilterBmp);
    EXPECT_EQ(FilterIndexForFormat(0x00), kFilterBmp);
    EXPECT_EQ(DecidedFormatForFamily(0x10), 0x10);
    EXPECT_EQ(DecidedFormatForFamily(0x20), 0x2C);
    EXPECT_EQ(DecidedFormatForFamily(0x30), 0x31);
    EXPECT_EQ(DecidedFormatForFamily(0x00), 0x00);
    Settings s;
    EXPECT_EQ(JpegQualityForCode(s, 0x30), 80);
    EXPECT_EQ(JpegQualityForCode(s, 0x31), 60);
    EXPECT_EQ(JpegQualityForCode(s, 0x32), 40);
    EXPECT_EQ(JpegQualityForCode(s, 0x33), 20);
}

}  // namespace
}  // namespace mrv
