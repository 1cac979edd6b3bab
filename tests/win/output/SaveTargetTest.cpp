// Saving under Wine into scratch folders: sequential names, every format at
// its depth, Save As through a stand-in dialog, and the failures.
#include <gtest/gtest.h>

#include <iterator>

#include "OutputTestSupport.h"
#include "output/OutputImage.h"
#include "output/SaveTarget_win.h"
#include "output/SnapshotPixels_win.h"

namespace mrv {
namespace {

const std::wstring kSaveFailed = L"イメージの保存に失敗しました．";

class SaveTargetTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t cwd[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, cwd);
        startDirectory_ = cwd;
        image.SetJpegQuality({90, 60, 40, 5});
        target.SetUpSaveDialog(nullptr);
        UseFolder(folder.Path());
    }
    // The attached folder holds the current directory; give it back so the
    // scratch folders can go.
    void TearDown() override { SetCurrentDirectoryW(startDirectory_.c_str()); }

    void UseFolder(const std::wstring& path, int expected = 1) {
        ASSERT_TRUE(NarrowToCp932(path, settings.saveFolder, kSaveFolderSize));
        ASSERT_EQ(target.AttachSettings(settings, exeFolder.Path()), expected);
    }
    SaveOutcome Save(bool saveAs = false) {
        EXPECT_TRUE(image.Capture(ViewOfDibSection(snapshot.Bitmap()), selection));
        return target.SaveImage(image, saveAs);
    }
    void AnswerDialog(const std::wstring& path, int filterIndex) {
        target.SetSaveDialogFunction([path, filterIndex](OPENFILENAMEW& d) {
            path.copy(d.lpstrFile, path.size());
            d.lpstrFile[path.size()] = L'\0';
            d.nFilterIndex = static_cast<DWORD>(filterIndex);
            return SaveDialogResult::kChosen;
        });
    }
    void ExpectSelection(const std::wstring& path) {
        const test::DecodedDib d = test::DecodeBmpFile(test::ReadBytes(path));
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.bitCount, 24);
        ASSERT_EQ(d.width, 13);
        ASSERT_EQ(d.height, 9) << "bottom-up, as BMP files are";
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 13; ++x) ASSERT_EQ(d.At(x, y), snapshot.At(5 + x, 7 + y));
    }

    test::TempFolder folder, exeFolder;
    test::Snapshot snapshot{64, 48};
    Rect selection = Rect::FromXYWH(5, 7, 13, 9);  // odd width: rows are padded
    Settings settings;
    OutputImage image;
    SaveTarget target;

private:
    std::wstring startDirectory_;
};

TEST_F(SaveTargetTest, SequentialSavesNumberTheFilesAndKeepTheSelectionsPixels) {
    ASSERT_EQ(Save(), SaveOutcome::kSaved);
    ASSERT_EQ(Save(), SaveOutcome::kSaved);
    ExpectSelection(folder / L"img0000.bmp");
    ExpectSelection(folder / L"img0001.bmp");
    EXPECT_EQ(target.SavedMessage(), L"「 img0001.bmp 」を保存しました．");
    // A number carried by a file of another format is skipped too.
    ASSERT_TRUE(test::WriteBytes(folder / L"img0002.jpg", "not ours"));
    ASSERT_EQ(Save(), SaveOutcome::kSaved);
    EXPECT_EQ(target.FilePath(), folder / L"img0003.bmp");
    EXPECT_EQ(settings.saveNumber, 4);
    EXPECT_EQ(folder.Names(), (std::vector<std::wstring>{L"img0000.bmp", L"img0001.bmp",
                                                         L"img0002.jpg", L"img0003.bmp"}));
}

TEST_F(SaveTargetTest, EveryFormatCodeLandsAtItsDepth) {
    // {code, BMP bit count, 16-bit red mask, PNG colour type}; 117 pixels, so
    // the 256-colour palettes hold at most 117 colours.
    const int cases[][4] = {{0x10, 24, 0, 0}, {0x14, 16, 0xF800, 0}, {0x18, 16, 0x7C00, 0},
                            {0x1C, 8, 0, 0},  {0x20, 0, 0, 2},       {0x2C, 0, 0, 3},
                            {0x30, 0, 0, 0},  {0x33, 0, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "code " << c[0]);
        target.SetFormat(static_cast<std::uint8_t>(c[0]), true);
        ASSERT_EQ(Save(), SaveOutcome::kSaved);
        const std::wstring path = target.FilePath();
        const std::vector<std::uint8_t> file = test::ReadBytes(path);
        if (c[1] != 0) {
            ASSERT_EQ(path.substr(path.size() - 4), L".bmp");
            const test::DecodedDib d = test::DecodeBmpFile(file);
            EXPECT_TRUE(d.ok && d.width == 13 && d.height == 9);
            EXPECT_EQ(d.bitCount, c[1]);
            EXPECT_EQ(d.masks[0], static_cast<std::uint32_t>(c[2]));
            EXPECT_LE(d.colours, 117);
        } else if (c[3] != 0) {
            ASSERT_EQ(path.substr(path.size() - 4), L".png");
            const test::FileHeader h = test::ReadPngHeader(file);
            EXPECT_TRUE(h.ok && h.width == 13 && h.height == 9 && h.depth == 8);
            EXPECT_EQ(h.colourType, c[3]);
        } else {
            ASSERT_EQ(path.substr(path.size() - 4), L".jpg");
            const test::FileHeader f = test::ReadJpegFrame(file);
            EXPECT_TRUE(f.ok && f.width == 13 && f.height == 9 && f.depth == 3);
        }
    }
    EXPECT_EQ(settings.saveNumber, 8);
    // Each level uses its own quality: high (90) spends more bytes than low (5).
    EXPECT_GT(test::ReadBytes(folder / L"img0006.jpg").size(),
              test::ReadBytes(folder / L"img0007.jpg").size());
}

TEST_F(SaveTargetTest, FailuresSayWhyKeepTheNumberAndHarmNoFile) {
    // The folder went away after it was attached.
    test::TempFolder doomed;
    settings.resetNumberAtStartup = 0;
    UseFolder(doomed.Path());
    TearDown();
    test::RemoveTree(doomed.Path());
    EXPECT_EQ(Save(), SaveOutcome::kFailed);
    EXPECT_EQ(target.Message(), kSaveFailed);
    EXPECT_FALSE(test::FileExists(doomed.Path()));

    // With overwriting on: a read-only file, and an encoder that gives up
    // half-way (JPEG is at most 65535 wide), leave the files as they were.
    UseFolder(folder.Path());
    settings.overwriteExisting = 1;
    ASSERT_TRUE(test::WriteBytes(folder / L"img0000.bmp", "keep"));
    ASSERT_TRUE(SetFileAttributesW((folder / L"img0000.bmp").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(Save(), SaveOutcome::kFailed);
    EXPECT_EQ(test::ReadBytes(folder / L"img0000.bmp"), test::Bytes("keep"));
    test::Snapshot wide(70000, 2);
    ASSERT_TRUE(test::WriteBytes(folder / L"img0000.jpg", "old"));
    target.SetFormat(0x31, true);
    ASSERT_TRUE(image.Capture(ViewOfDibSection(wide.Bitmap()), Rect::FromXYWH(0, 0, 70000, 2)));
    EXPECT_EQ(target.SaveImage(image, false), SaveOutcome::kFailed);
    EXPECT_EQ(target.Message(), kSaveFailed);
    EXPECT_EQ(test::ReadBytes(folder / L"img0000.jpg"), test::Bytes("old"));
    EXPECT_EQ(folder.Names().size(), 2u) << "no partial file";
    EXPECT_EQ(settings.saveNumber, 0);
    ASSERT_EQ(Save(), SaveOutcome::kSaved) << "overwriting that is allowed";
    EXPECT_TRUE(test::ReadJpegFrame(test::ReadBytes(folder / L"img0000.jpg")).ok);

    // The number limit: message 4 with the limit, then 0 again.
    settings.numberDigits = 1;
    settings.saveNumber = 9;
    ASSERT_EQ(Save(), SaveOutcome::kSaved);
    EXPECT_EQ(target.LastFileName(), L"img9.jpg");
    EXPECT_EQ(Save(), SaveOutcome::kFailed);
    EXPECT_EQ(
        target.Message(),
        L"連番保存の番号が 10 に達しました．\n 0 にリセットされます．\nもう一度保存して下さい．");
    EXPECT_EQ(settings.saveNumber, 0);
}

TEST_F(SaveTargetTest, AttachingTheSettingsEntersTheSaveFolderOrFallsBack) {
    settings.saveNumber = 12;
    UseFolder(folder.Path());
    EXPECT_EQ(settings.saveNumber, 0) << "reset at every attach while the option is on";
    EXPECT_EQ(target.FilePath(), folder.Path()) << "before the first save it names the folder";
    settings.resetNumberAtStartup = 0;
    settings.saveNumber = 12;

    // Japanese folder and base name, held as code page 932 in the record.
    const std::wstring japanese = folder / L"保存先\\";
    ASSERT_TRUE(CreateDirectoryW(japanese.c_str(), nullptr));
    ASSERT_TRUE(NarrowToCp932(L"画像", settings.baseName, kBaseNameSize));
    UseFolder(japanese);
    ASSERT_EQ(Save(), SaveOutcome::kSaved);
    EXPECT_TRUE(test::FileExists(japanese + L"画像0012.bmp"));

    // A relative folder is resolved once, not again from inside itself.
    ASSERT_TRUE(CreateDirectoryW((folder / L"rel").c_str(), nullptr));
    ASSERT_TRUE(SetCurrentDirectoryW(folder.Path().c_str()));
    UseFolder(L"rel\\");
    EXPECT_EQ(target.CurrentFolder(), folder / L"rel\\");

    // A missing folder: the executable's folder replaces it, in the record
    // too, and the message names both.
    UseFolder(folder / L"gone\\", 0);
    EXPECT_EQ(target.Message(), L"「" + folder.Path() + L"gone\\」\nが存在しません．\n「" +
                                    exeFolder.Path() + L"」\nを保存ディレクトリに設定します．");
    EXPECT_EQ(WidenCp932(settings.saveFolder, kSaveFolderSize), exeFolder.Path());
    ASSERT_EQ(Save(), SaveOutcome::kSaved);
    EXPECT_TRUE(test::FileExists(exeFolder / L"画像0013.bmp"));
}

TEST_F(SaveTargetTest, SaveAsOpensOnTheCurrentFormatAndFolder) {
    std::vector<OPENFILENAMEW> shown;
    target.SetSaveDialogFunction([&shown](OPENFILENAMEW& d) {
        shown.push_back(d);
        return SaveDialogResult::kCancelled;
    });
    for (int code : {0x10, 0x2C, 0x31, 0x00}) {
        target.SetFormat(static_cast<std::uint8_t>(code), true);
        EXPECT_EQ(Save(true), SaveOutcome::kCancelled);
    }
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0].nFilterIndex, 1u);
    EXPECT_EQ(shown[1].nFilterIndex, 2u);
    EXPECT_EQ(shown[2].nFilterIndex, 3u);
    EXPECT_EQ(shown[3].nFilterIndex, 1u);
    const OPENFILENAMEW& d = shown[0];
    EXPECT_EQ(std::wstring(d.lpstrTitle), L"名前を付けて保存");
    EXPECT_EQ(std::wstring(d.lpstrInitialDir), folder.Path());
    EXPECT_EQ(d.lpstrFile[0], L'\0');
    EXPECT_EQ(d.nMaxFile, 260u);
    EXPECT_EQ(d.Flags & (OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR),
              DWORD{OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR});
    const wchar_t filters[] =
        L"Bitmap Files (*.bmp)\0*.bmp\0PNG Files (*.png)\0*.png\0"
        L"JPEG Files (*.jpg)\0*.jpg;*.jpeg\0All Files (*.*)\0*.*\0";
    EXPECT_EQ(std::wstring(d.lpstrFilter, std::size(filters)),
              std::wstring(filters, std::size(filters)));
    // Cancelling says nothing, writes nothing and forgets nothing.
    EXPECT_EQ(target.Message(), L"");
    EXPECT_TRUE(folder.Names().empty());
    EXPECT_EQ(target.FilePath(), folder.Path());
}

TEST_F(SaveTargetTest, SaveAsChoosesFolderNameAndFormat) {
    test::TempFolder other;
    // The PNG filter: PNG in its remembered variant (8 bit); the folder is
    // where sequential saves go from now on.
    AnswerDialog(other / L"shot.png", 2);
    ASSERT_EQ(Save(true), SaveOutcome::kSaved);
    EXPECT_EQ(test::ReadPngHeader(test::ReadBytes(other / L"shot.png")).colourType, 3);
    EXPECT_EQ(settings.imageFormat, 0x2C);
    EXPECT_EQ(target.SavedMessage(), L"「 shot.png 」を保存しました．");
    ASSERT_EQ(Save(), SaveOutcome::kSaved);
    EXPECT_TRUE(test::FileExists(other / L"img0000.png"));

    // "All Files": the name decides for that file; later saves are 24-bit BMP.
    AnswerDialog(other / L"any.PNG", 4);
    ASSERT_EQ(Save(true), SaveOutcome::kSaved);
    EXPECT_EQ(test::ReadPngHeader(test::ReadBytes(other / L"any.PNG")).colourType, 3);
    EXPECT_EQ(settings.imageFormat, 0x00);
    ASSERT_EQ(Save(), SaveOutcome::kSaved);
    ExpectSelection(other / L"img0001.bmp");

    AnswerDialog(other / L"notes.txt", 4);
    EXPECT_EQ(Save(true), SaveOutcome::kFailed);
    EXPECT_EQ(target.Message(), kSaveFailed);
    EXPECT_FALSE(test::FileExists(other / L"notes.txt"));
    target.SetSaveDialogFunction([](OPENFILENAMEW&) { return SaveDialogResult::kNameTooLong; });
    EXPECT_EQ(Save(true), SaveOutcome::kFailed);
    EXPECT_EQ(target.Message(), kSaveFailed);
}

}  // namespace
}  // namespace mrv
