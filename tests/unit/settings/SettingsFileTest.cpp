// The settings file on disk: written whole through a temporary file, read
// back, and a failed write that leaves the previous file alone.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "settings/FileAccess.h"
#include "settings/Settings.h"

#ifdef _WIN32
#include <direct.h>
static int MakeDir(const std::string& p) {
    return _mkdir(p.c_str());
}
static int RemoveDir(const std::string& p) {
    return _rmdir(p.c_str());
}
#else
#include <sys/stat.h>
#include <unistd.h>
static int MakeDir(const std::string& p) {
    return mkdir(p.c_str(), 0700);
}
static int RemoveDir(const std::string& p) {
    return rmdir(p.c_str());
}
#endif

namespace mrv {
namespace {

std::vector<std::uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::string("mrv_settings_") +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        TearDown();  // leftovers of an interrupted run
        ASSERT_EQ(MakeDir(dir_), 0);
        path_ = SettingsFilePath(dir_ + "/");
        ResetSettings(settings_, "C:\\exe\\");
    }
    void TearDown() override {
        std::remove(path_.c_str());
        RemoveDir(path_ + ".tmp");
        RemoveDir(dir_);
    }

    std::string dir_, path_;
    Settings settings_;
};

TEST_F(SettingsFile, WritesTheImageLoadsItBackAndReplacesAnOldFile) {
    ASSERT_EQ(SaveSettingsFile(path_, settings_), 1);
    settings_.gridSize = 20;
    settings_.padding[1] = 0x77;
    ASSERT_EQ(SaveSettingsFile(path_, settings_), 1);
    EXPECT_EQ(ReadAll(path_), EncodeSettings(settings_));
    EXPECT_TRUE(ReadAll(path_ + ".tmp").empty());  // no temporary left behind

    Settings loaded;
    ASSERT_EQ(LoadSettingsFile(path_, loaded), 1);
    EXPECT_EQ(EncodeSettings(loaded), EncodeSettings(settings_));
}

TEST_F(SettingsFile, MissingOrShortFileLeavesTheRecordUntouched) {
    Settings s;
    s.gridSize = 33;
    EXPECT_EQ(LoadSettingsFile(path_, s), 0);
    std::vector<std::uint8_t> image = EncodeSettings(settings_);
    std::ofstream(path_, std::ios::binary).write(reinterpret_cast<const char*>(image.data()), 567);
    EXPECT_EQ(LoadSettingsFile(path_, s), 0);
    EXPECT_EQ(s.gridSize, 33);
}

TEST_F(SettingsFile, FailedWriteKeepsThePreviousFile) {
    ASSERT_EQ(SaveSettingsFile(path_, settings_), 1);
    const auto before = ReadAll(path_);
    // A directory where the temporary file must go makes the write fail
    // before the real file is touched.
    ASSERT_EQ(MakeDir(path_ + ".tmp"), 0);
    settings_.saveNumber = 8;
    EXPECT_EQ(SaveSettingsFile(path_, settings_), 0);
    EXPECT_EQ(ReadAll(path_), before);
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
