// The settings file on disk: written whole through a temporary file, read
// back, and a failed write that leaves the previous file alone.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "settings/FileAccess.h"
#include "settings/Settings.h"

#ifdef _WIN32
#include <direct.h>
#define MRV_MKDIR(p) _mkdir(p)
#define MRV_RMDIR(p) _rmdir(p)
#else
#include <sys/stat.h>
#include <unistd.h>
#define MRV_MKDIR(p) mkdir(p, 0700)
#define MRV_RMDIR(p) rmdir(p)
#endif

namespace mrv {
namespace {

std::vector<std::uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

bool Exists(const std::string& path) {
    return std::ifstream(path).good();
}

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::string("mrv_settings_test_") + info->name();
        std::remove((dir_ + "/mrv_setting.bin").c_str());
        std::remove((dir_ + "/mrv_setting.bin.tmp").c_str());
        MRV_RMDIR((dir_ + "/mrv_setting.bin.tmp").c_str());
        MRV_RMDIR(dir_.c_str());
        ASSERT_EQ(MRV_MKDIR(dir_.c_str()), 0);
        path_ = SettingsFilePath(dir_ + "/");
        ResetSettings(settings_, "C:\\exe\\");
    }
    void TearDown() override {
        std::remove(path_.c_str());
        std::remove((path_ + ".tmp").c_str());
        MRV_RMDIR((path_ + ".tmp").c_str());
        MRV_RMDIR(dir_.c_str());
    }

    std::string dir_;
    std::string path_;
    Settings settings_;
};

TEST_F(SettingsFile, PathIsTheFileNameBehindTheDirectory) {
    EXPECT_EQ(SettingsFilePath("C:\\a b\\"), "C:\\a b\\mrv_setting.bin");
}

TEST_F(SettingsFile, SavedFileIsTheEncodedImageAndLoadsBack) {
    settings_.gridSize = 20;
    settings_.padding[1] = 0x77;
    ASSERT_EQ(SaveSettingsFile(path_, settings_), 1);
    const auto bytes = ReadAll(path_);
    EXPECT_EQ(bytes, EncodeSettings(settings_));
    ASSERT_EQ(bytes.size(), 568u);
    EXPECT_EQ(std::memcmp(bytes.data(), "ver_0_87", 8), 0);
    EXPECT_FALSE(Exists(path_ + ".tmp"));

    Settings loaded;
    ASSERT_EQ(LoadSettingsFile(path_, loaded), 1);
    EXPECT_EQ(EncodeSettings(loaded), bytes);
}

TEST_F(SettingsFile, SavingAgainReplacesTheOldFile) {
    ASSERT_EQ(SaveSettingsFile(path_, settings_), 1);
    settings_.saveNumber = 42;
    ASSERT_EQ(SaveSettingsFile(path_, settings_), 1);
    Settings loaded;
    ASSERT_EQ(LoadSettingsFile(path_, loaded), 1);
    EXPECT_EQ(loaded.saveNumber, 42);
}

TEST_F(SettingsFile, MissingOrShortFileLeavesTheRecordUntouched) {
    Settings s;
    s.gridSize = 33;
    EXPECT_EQ(LoadSettingsFile(path_, s), 0);
    EXPECT_EQ(s.gridSize, 33);

    std::vector<std::uint8_t> image = EncodeSettings(settings_);
    image.resize(567);
    std::ofstream(path_, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()),
               static_cast<std::streamsize>(image.size()));
    EXPECT_EQ(LoadSettingsFile(path_, s), 0);
    EXPECT_EQ(s.gridSize, 33);
}

TEST_F(SettingsFile, FailedWriteKeepsThePreviousFile) {
    settings_.saveNumber = 7;
    ASSERT_EQ(SaveSettingsFile(path_, settings_), 1);
    const auto before = ReadAll(path_);

    // A directory where the temporary file must go makes the write fail
    // before the real file is touched.
    ASSERT_EQ(MRV_MKDIR((path_ + ".tmp").c_str()), 0);
    settings_.saveNumber = 8;
    EXPECT_EQ(SaveSettingsFile(path_, settings_), 0);
    EXPECT_EQ(ReadAll(path_), before);

    // A folder that does not exist cannot be written at all.
    EXPECT_EQ(SaveSettingsFile(dir_ + "/missing/mrv_setting.bin", settings_), 0);
}

TEST_F(SettingsFile, PathsAreUtf8) {
    // "設定" (settings): outside every ANSI code page but 932 and 936.
    const std::string name = dir_ + "/\xE8\xA8\xAD\xE5\xAE\x9A.bin";
    settings_.zoomFactor = 6;
    ASSERT_EQ(SaveSettingsFile(name, settings_), 1);
#ifdef _WIN32
    // The file must carry the real name, not the UTF-8 bytes read as ANSI.
    std::wstring wide = std::wstring(dir_.begin(), dir_.end()) + L"/\u8A2D\u5B9A.bin";
    std::FILE* direct = _wfopen(wide.c_str(), L"rb");
    ASSERT_NE(direct, nullptr);
    std::fclose(direct);
#endif
    Settings loaded;
    ASSERT_EQ(LoadSettingsFile(name, loaded), 1);
    EXPECT_EQ(loaded.zoomFactor, 6);
    RemoveFileAtPath(name);
    EXPECT_EQ(LoadSettingsFile(name, loaded), 0);
}

}  // namespace
}  // namespace mrv
