// The settings file on disk. Kept apart from the codec so that code using only
// the record does not pull in the platform's file access.
#include <cstdio>
#include <vector>

#include "settings/FileAccess.h"
#include "settings/Settings.h"

namespace mrv {

std::string SettingsFilePath(const std::string& exeDirectory) {
    return exeDirectory + kSettingsFileName;
}

int LoadSettingsFile(const std::string& path, Settings& settings) {
    std::FILE* file = OpenFileForPath(path, FileMode::kRead);
    if (file == nullptr) return 0;
    // The record and the longest extension block a loader accepts; whatever
    // follows is ignored.
    std::vector<std::uint8_t> buffer(kSettingsFileSize + kMaxExtensionBlockSize);
    const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file);
    std::fclose(file);
    return DecodeSettingsFile(buffer.data(), got, settings);
}

int SaveSettingsFile(const std::string& path, const Settings& settings) {
    const std::vector<std::uint8_t> bytes = EncodeSettingsFile(settings);
    const std::string temporary = path + ".tmp";
    std::FILE* file = OpenFileForPath(temporary, FileMode::kWrite);
    if (file == nullptr) return 0;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    // The data must be on the disk before the swap, or a crash right after it
    // could leave an empty file under the real name.
    written = std::fflush(file) == 0 && written;
    written = FlushFileToDisk(file) && written;
    written = std::fclose(file) == 0 && written;
    if (!written || !ReplaceFileAtomically(temporary, path)) {
        RemoveFileAtPath(temporary);
        return 0;
    }
    return 1;
}

}  // namespace mrv
