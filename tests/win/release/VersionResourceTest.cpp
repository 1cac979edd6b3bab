// The version resource of morvante.exe, read back the way Explorer's file
// properties read it, must carry the project version.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "mrv_version.h"

namespace mrv {
namespace {

std::wstring Widen(const char* text) {
    return std::wstring(text, text + std::char_traits<char>::length(text));
}

class VersionResource : public ::testing::Test {
protected:
    void SetUp() override {
        const std::wstring path = Widen(MRV_EXE_PATH);
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
        ASSERT_NE(size, 0u) << "no version resource in " << MRV_EXE_PATH;
        block.resize(size);
        ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
    }
    // A string of the Japanese / UTF-16 table, or "(missing)".
    std::wstring Text(const wchar_t* name) {
        const std::wstring key = std::wstring(L"\\StringFileInfo\\041104B0\\") + name;
        void* value = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(block.data(), key.c_str(), &value, &length) || length == 0)
            return L"(missing)";
        return static_cast<const wchar_t*>(value);
    }
    std::vector<unsigned char> block;
};

TEST_F(VersionResource, NumbersAreTheProjectVersion) {
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    const DWORD high = (MRV_VERSION_MAJOR << 16) | MRV_VERSION_MINOR;
    const DWORD low = MRV_VERSION_PATCH << 16;
    EXPECT_EQ(fixed->dwFileVersionMS, high);
    EXPECT_EQ(fixed->dwFileVersionLS, low);
    EXPECT_EQ(fixed->dwProductVersionMS, high);
    EXPECT_EQ(fixed->dwProductVersionLS, low);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

TEST_F(VersionResource, TextsAreJapaneseUnicodeAndNameTheProduct) {
    // The one translation Explorer looks up: Japanese, code page 1200.
    WORD* translation = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0411);
    EXPECT_EQ(translation[1], 1200);

    EXPECT_EQ(Text(L"FileVersion"), Widen(MRV_VERSION_TEXT));
    EXPECT_EQ(Text(L"ProductVersion"), Widen(MRV_VERSION_TEXT));
    EXPECT_EQ(Text(L"ProductName"), L"MORVANTE");
    EXPECT_EQ(Text(L"OriginalFilename"), L"morvante.exe");
    EXPECT_EQ(Text(L"FileDescription"), L"範囲指定の画面キャプチャ");
}

}  // namespace
}  // namespace mrv
