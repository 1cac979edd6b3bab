// Saving and the clipboard under Wine. Saves go into scratch folders:
// sequential names, every format at its depth, the failures and what they
// leave, the save folder, Save As through a stand-in dialog (the naming rules
// themselves are tested portably). Copies reach the clipboard as one CF_DIB of
// the selection; a clipboard held by someone else is retried, then given up.
// GDI is the outside reader of the DIBs the program writes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "output/Clipboard_win.h"
#include "output/OutputImage.h"
#include "output/SaveTarget_win.h"
#include "output/SnapshotPixels_win.h"

namespace mrv {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using Pixels = std::vector<std::uint32_t>;                           // 0x00RRGGBB, top row first
const std::wstring kSaveFailed = L"イメージの保存に失敗しました．";  // message 3

// A fresh folder under the temporary directory (ending with "\"), removed
// with everything in it.
struct TempFolder {
    TempFolder() { fs::remove_all(path, error), fs::create_directories(path); }
    ~TempFolder() { fs::remove_all(path, error); }
    std::wstring operator/(const std::wstring& name) const { return path + name; }
    static inline int count = 0;
    std::wstring path =
        (fs::temp_directory_path() / L"mrv-output-").wstring() + std::to_wstring(++count) + L"\\";
    std::error_code error;
};

std::string Read(const std::wstring& path) {
    std::ifstream in(fs::path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// An asymmetric picture with a different colour in nearly every pixel, in a
// 32-bit top-down section whose fourth byte is not zero.
struct Snapshot {
    Snapshot(int width, int height) : size(width * height) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, (void**)&pixels, nullptr, 0);
        for (int i = 0; pixels && i < size; ++i) pixels[i] = 0xA5000000u | At(i % width, i / width);
    }
    ~Snapshot() { DeleteObject(bitmap); }
    static std::uint32_t At(int x, int y) {
        return (x * 7 + y * 3) % 256 << 16 | (y * 11 + 40) % 256 << 8 | (x * 5 + y * y) % 256;
    }
    static Pixels Cut(const Rect& r) {
        Pixels p;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) p.push_back(At(x, y));
        return p;
    }
    imaging::PixelView View() const { return ViewOfDibSection(bitmap); }
    int size;
    std::uint32_t* pixels = nullptr;
    HBITMAP bitmap = nullptr;
};

// The pixels GDI draws from a DIB (its header, masks or colour table, rows)
// into a snapshot of the same size: a pixel left undrawn keeps the fourth
// byte and fails any comparison.
Pixels Draw(const BITMAPINFO* info, const void* rows) {
    const int w = info->bmiHeader.biWidth, h = std::abs(info->bmiHeader.biHeight);
    Snapshot target(w, h);
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, target.bitmap);
    SetDIBitsToDevice(dc, 0, 0, w, h, 0, 0, 0, h, rows, info, DIB_RGB_COLORS);
    DeleteDC(dc);
    return Pixels(target.pixels, target.pixels + target.size);
}

class SaveTargetTest : public ::testing::Test {
protected:
    void SetUp() override {
        target.SetUpSaveDialog(nullptr);
        settings.resetNumberAtStartup = 0;
        UseFolder(folder.path);
    }
    // The attached folder is the current directory; give it back so the
    // scratch folders can go.
    void TearDown() override { SetCurrentDirectoryW(start.c_str()); }

    void UseFolder(const std::wstring& path, int expected = 1) {
        ASSERT_TRUE(NarrowToCp932(path, settings.saveFolder, kSaveFolderSize));
        ASSERT_EQ(target.AttachSettings(settings, exeFolder.path), expected);
    }
    SaveOutcome Save(bool saveAs = false) {
        EXPECT_TRUE(image.Capture(snapshot.View(), selection));
        return target.SaveImage(image, saveAs);
    }

    std::wstring start = fs::current_path().wstring();
    TempFolder folder, exeFolder;
    Snapshot snapshot{64, 48};
    Rect selection = Rect::FromXYWH(5, 7, 13, 9);  // odd width: rows are padded
    Settings settings;
    OutputImage image;
    SaveTarget target;
};

// Each BMP file's sizes agree with its header, and GDI draws the selection
// from it (16-bit colours are not exact; with 117 pixels the 8-bit palette
// is).
TEST_F(SaveTargetTest, SequentialSavesLandAtEachFormatsDepth) {
    // {code, bit count, 16-bit red mask}
    const int bmp[][3] = {
        {0x10, 24, 0}, {0x10, 24, 0}, {0x14, 16, 0xF800}, {0x18, 16, 0x7C00}, {0x1C, 8, 0}};
    for (const auto& [code, bits, mask] : bmp) {
        target.SetFormat(static_cast<std::uint8_t>(code), true);
        ASSERT_EQ(Save(), SaveOutcome::kSaved);
        // img0000.bmp, img0001.bmp, ...
        const std::string f =
            Read(folder / (L"img000" + std::to_wstring(settings.saveNumber - 1) + L".bmp"));
        ASSERT_GT(f.size(), 54u) << code;
        std::vector<DWORD> dib(f.size() / 4);  // on a 4-byte boundary
        std::memcpy(dib.data(), &f[14], f.size() - 14);
        const auto* info = reinterpret_cast<const BITMAPINFO*>(dib.data());
        const auto field = [&f](int at) { return *reinterpret_cast<const std::uint32_t*>(&f[at]); };
        EXPECT_TRUE(f.compare(0, 2, "BM") == 0 && field(2) == f.size());
        EXPECT_TRUE(info->bmiHeader.biWidth == 13 && info->bmiHeader.biHeight == 9) << "bottom-up";
        EXPECT_EQ(info->bmiHeader.biBitCount, bits);
        ASSERT_EQ(f.size(), field(10) + (13 * bits + 31) / 32 * 4 * 9) << "padded rows, no more";
        EXPECT_EQ(info->bmiHeader.biCompression == BI_BITFIELDS ? dib[10] : 0, DWORD(mask));
        const char* rows = reinterpret_cast<const char*>(dib.data()) + field(10) - 14;
        if (bits != 16) {
            EXPECT_EQ(Draw(info, rows), Snapshot::Cut(selection)) << code;
        }
    }
    EXPECT_EQ(target.SavedMessage(), L"「 img0004.bmp 」を保存しました．");

    // PNG: 13 x 9 at 8 bits, RGB or a palette; JPEG: a baseline frame of
    // 13 x 9 in three components. Both complete to their last bytes.
    const std::string png = "IHDR\0\0\0\x0D\0\0\0\x09\x08"s, pngEnd = "IEND\xAE\x42\x60\x82";
    for (auto [code, header, end] : {std::tuple{0x20, png + '\x02', pngEnd},
                                     {0x2C, png + '\x03', pngEnd},
                                     {0x31, "\xFF\xC0\0\x11\x08\0\x09\0\x0D\x03"s, "\xFF\xD9"s}}) {
        target.SetFormat(static_cast<std::uint8_t>(code), true);
        ASSERT_EQ(Save(), SaveOutcome::kSaved);
        const std::string f = Read(target.FilePath());
        EXPECT_NE(f.find(header), std::string::npos) << code;
        EXPECT_EQ(f.rfind(end), f.size() - end.size()) << code;
    }
    EXPECT_EQ(settings.saveNumber, 8);
}

// Message 3 split into its lines: the sentence, the file, the reason.
std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines(1);
    for (wchar_t c : text) {
        if (c == L'\n') {
            lines.emplace_back();
        } else {
            lines.back().push_back(c);
        }
    }
    return lines;
}

TEST_F(SaveTargetTest, FailuresSayWhyKeepTheNumberAndHarmNoFile) {
    settings.saveNumber = 5;
    ASSERT_TRUE(fs::create_directory(folder / L"doomed"));
    UseFolder(folder / L"doomed\\");
    TearDown(), fs::remove(folder / L"doomed");  // it went away after it was attached
    EXPECT_EQ(Save(), SaveOutcome::kFailed);
    std::vector<std::wstring> lines = Lines(target.Message());
    ASSERT_EQ(lines.size(), 3u) << "sentence, file, reason";
    EXPECT_EQ(lines[0], kSaveFailed);
    EXPECT_EQ(lines[1], folder / L"doomed\\img0005.bmp");
    EXPECT_EQ(lines[2], SystemErrorText(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(settings.saveNumber, 5);

    // A folder nobody may write into: as root a folder's permissions stop
    // nothing, so take the kernel's, which refuses new files to anyone.
    const std::wstring readOnly = L"Z:\\sys\\kernel\\";
    HANDLE probe = CreateFileW((readOnly + L"mrv-probe").c_str(), GENERIC_WRITE, 0, nullptr,
                               CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
        UseFolder(readOnly);
        EXPECT_EQ(Save(), SaveOutcome::kFailed);
        EXPECT_EQ(Lines(target.Message()), (std::vector{kSaveFailed, readOnly + L"img0005.bmp",
                                                        SystemErrorText(ERROR_ACCESS_DENIED)}));
    } else {
        ADD_FAILURE() << "no read-only folder at " << fs::path(readOnly).string();
        if (probe != INVALID_HANDLE_VALUE) CloseHandle(probe);
    }

    // With overwriting on: a read-only file, and an encoder that gives up
    // half-way (JPEG is at most 65535 wide), leave the files as they were.
    UseFolder(folder.path);
    settings.overwriteExisting = 1;
    const std::wstring bmp = folder / L"img0005.bmp", jpg = folder / L"img0005.jpg";
    std::ofstream(fs::path(bmp), std::ios::binary) << "keep";
    ASSERT_TRUE(SetFileAttributesW(bmp.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(Save(), SaveOutcome::kFailed);
    EXPECT_EQ(Lines(target.Message()),
              (std::vector{kSaveFailed, bmp, SystemErrorText(ERROR_ACCESS_DENIED)}));
    EXPECT_EQ(Read(bmp), "keep");
    SetFileAttributesW(bmp.c_str(), FILE_ATTRIBUTE_NORMAL);
    Snapshot wide(70000, 2);
    std::ofstream(fs::path(jpg), std::ios::binary) << "old";
    target.SetFormat(0x31, true);
    ASSERT_TRUE(image.Capture(wide.View(), Rect::FromXYWH(0, 0, 70000, 2)));
    EXPECT_EQ(target.SaveImage(image, false), SaveOutcome::kFailed);
    lines = Lines(target.Message());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0] + L" " + lines[1], kSaveFailed + L" " + jpg);
    EXPECT_EQ(lines[2], L"この画像はこの形式では書き出せません．");
    EXPECT_EQ(Read(jpg), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), {}), 2) << "no partial file";
    EXPECT_EQ(settings.saveNumber, 5);
    ASSERT_EQ(Save(), SaveOutcome::kSaved) << "overwriting that is allowed";
    EXPECT_EQ(Read(jpg).find("\xFF\xD8"), 0u);
}

// The folder's own listing decides the used numbers: names in another case,
// and folders, count; a base name that is no file name writes nothing.
TEST_F(SaveTargetTest, UsedNumbersComeFromTheFoldersListing) {
    std::ofstream(fs::path(folder / L"IMG0000.PNG")) << "x";
    ASSERT_TRUE(fs::create_directory(folder / L"img0001.jpg"));
    ASSERT_EQ(Save(), SaveOutcome::kSaved);
    EXPECT_EQ(target.LastFileName(), L"img0002.bmp");
    std::strcpy(settings.baseName, "..\\up");  // kept out of records; here by hand
    EXPECT_EQ(Save(), SaveOutcome::kFailed);
    EXPECT_EQ(Lines(target.Message()).at(1), folder / L"..\\up0003.bmp");
    EXPECT_EQ(target.CurrentFolder(), folder.path);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), {}), 3);
}

// A folder named in Japanese, held as code page 932 in the record, is
// entered; a missing folder is replaced by the executable's, in the record
// too, and the message names both.
TEST_F(SaveTargetTest, TheSaveFolderIsEnteredOrReplaced) {
    const std::wstring japanese = folder / L"保存先\\";
    ASSERT_TRUE(CreateDirectoryW(japanese.c_str(), nullptr));
    UseFolder(japanese);
    ASSERT_EQ(Save(), SaveOutcome::kSaved);
    EXPECT_TRUE(fs::exists(japanese + L"img0000.bmp"));

    UseFolder(folder / L"gone\\", 0);
    EXPECT_EQ(target.Message(), L"「" + folder.path + L"gone\\」\nが存在しません．\n「" +
                                    exeFolder.path + L"」\nを保存ディレクトリに設定します．");
    EXPECT_EQ(WidenCp932(settings.saveFolder, kSaveFolderSize), exeFolder.path);
    ASSERT_EQ(Save(), SaveOutcome::kSaved);
    EXPECT_TRUE(fs::exists(exeFolder / L"img0001.bmp"));
}

// The dialog opens on the save folder; a chosen PNG name is written as 8-bit
// PNG, and sequential saves follow into its folder.
TEST_F(SaveTargetTest, SaveAsWritesWhereAndHowTheDialogSays) {
    TempFolder other;
    target.SetSaveDialogFunction([&](OPENFILENAMEW& d) {
        EXPECT_EQ(d.lpstrInitialDir, folder.path);
        wcscpy(d.lpstrFile, (other / L"shot.png").c_str());
        d.nFilterIndex = kFilterPng;
        return SaveDialogResult::kChosen;
    });
    ASSERT_EQ(Save(true), SaveOutcome::kSaved);
    EXPECT_EQ(Read(other / L"shot.png").substr(24, 2), "\x08\x03");
    ASSERT_EQ(Save(), SaveOutcome::kSaved);
    EXPECT_TRUE(fs::exists(other / L"img0000.png"));
}

// The CF_DIB block on the clipboard, as 4-byte words.
std::vector<DWORD> ClipboardDib() {
    std::vector<DWORD> dib;
    HANDLE h = OpenClipboard(nullptr) ? GetClipboardData(CF_DIB) : nullptr;
    if (const auto* p = static_cast<const DWORD*>(h ? GlobalLock(h) : nullptr)) {
        dib.assign(p, p + GlobalSize(h) / 4);
        GlobalUnlock(h);
    }
    CloseClipboard();
    return dib;
}

class ClipboardTest : public ::testing::Test {
protected:
    ~ClipboardTest() override { DestroyWindow(owner); }
    bool Copy(int variant) {
        return CaptureAndCopy(owner, image, snapshot.View(), selection, variant);
    }

    HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                                 nullptr);
    Snapshot snapshot{120, 90};
    Rect selection = Rect::FromXYWH(10, 20, 97, 31);  // 3007 pixels of many colours
    OutputImage image;
};

TEST_F(ClipboardTest, CopiesCarryTheSelectionFullOrReduced) {
    ASSERT_TRUE(Copy(0x0C));
    std::vector<DWORD> dib = ClipboardDib();
    const auto* h = reinterpret_cast<const BITMAPINFOHEADER*>(dib.data());
    ASSERT_GE(dib.size(), 10u);
    EXPECT_TRUE(h->biWidth == 97 && std::abs(h->biHeight) == 31 && h->biBitCount == 8);
    EXPECT_LT(h->biClrUsed - 1, 256u) << "a colour table of 1 to 256 entries";
    EXPECT_GE(dib.size() * 4, 40 + 4 * h->biClrUsed + 100 * 31) << "header, colours, rows";

    // The next copy starts from the snapshot again, not from the reduction.
    ASSERT_TRUE(Copy(kVariantAsCaptured));
    dib = ClipboardDib();
    h = reinterpret_cast<const BITMAPINFOHEADER*>(dib.data());
    ASSERT_GE(dib.size(), 10u + 73 * 31) << "header, rows of 73 words";
    EXPECT_TRUE(h->biWidth == 97 && std::abs(h->biHeight) == 31 && h->biBitCount == 24);
    EXPECT_EQ(Draw(reinterpret_cast<const BITMAPINFO*>(h), &dib[10]), Snapshot::Cut(selection));
}

// Another thread holds the clipboard: a copy is retried, then given up, and
// gets through when the clipboard is let go in a pause.
TEST_F(ClipboardTest, AHeldClipboardIsRetriedThenGivenUp) {
    ASSERT_TRUE(Copy(kVariantAsCaptured));
    const std::vector<DWORD> before = ClipboardDib();
    const std::uint8_t other[64] = {40};
    HANDLE opened = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE letGo = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::thread holder([&] {
        const bool held = OpenClipboard(nullptr);
        SignalObjectAndWait(opened, letGo, INFINITE, FALSE);
        if (held) CloseClipboard();
    });
    WaitForSingleObject(opened, INFINITE);
    int pauses = 0;
    EXPECT_FALSE(
        PutOnClipboardWithRetry(owner, other, sizeof other, CF_DIB, 5, [&pauses] { ++pauses; }));
    EXPECT_EQ(pauses, 4) << "one pause between two attempts";
    EXPECT_FALSE(PutOnClipboard(owner, other, sizeof other));
    EXPECT_TRUE(PutOnClipboardWithRetry(owner, other, sizeof other, CF_DIB, 5, [&] {
        SetEvent(letGo);
        holder.join();
        EXPECT_EQ(ClipboardDib(), before) << "the copies that gave up left the clipboard alone";
    }));
    EXPECT_EQ(ClipboardDib().at(0), 40u);
    if (holder.joinable()) SetEvent(letGo), holder.join();
    CloseHandle(opened), CloseHandle(letGo);
}

// The copy command itself, with its own retries: a clipboard viewer that
// holds the clipboard for a moment (here about 50 ms from the start of the
// copy) must not make the copy fail.
TEST_F(ClipboardTest, TheCopyCommandRidesOutAClipboardHeldForAMoment) {
    HANDLE opened = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::thread holder([&] {
        const bool held = OpenClipboard(nullptr);
        SetEvent(opened);
        Sleep(50);
        if (held) CloseClipboard();
    });
    WaitForSingleObject(opened, INFINITE);
    const bool copied = Copy(kVariantAsCaptured);
    holder.join();
    CloseHandle(opened);
    ASSERT_TRUE(copied);
    const std::vector<DWORD> dib = ClipboardDib();
    ASSERT_GE(dib.size(), 10u + 73 * 31);
    EXPECT_EQ(Draw(reinterpret_cast<const BITMAPINFO*>(dib.data()), &dib[10]),
              Snapshot::Cut(selection));
}

}  // namespace
}  // namespace mrv
