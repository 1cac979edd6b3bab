#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "settings/FileAccess.h"

namespace mrv {

std::FILE* OpenFileForPath(const std::string& path, FileMode mode) {
    return std::fopen(path.c_str(), mode == FileMode::kRead ? "rb" : "wb");
}

bool FlushFileToDisk(std::FILE* file) {
    return ::fsync(::fileno(file)) == 0;
}

bool ReplaceFileAtomically(const std::string& source, const std::string& target) {
    if (std::rename(source.c_str(), target.c_str()) != 0) return false;
    // Make the new directory entry itself durable; failing that is not a
    // failure of the replace, which has already happened.
    std::string::size_type slash = target.find_last_of('/');
    std::string dir = slash == std::string::npos ? std::string(".") : target.substr(0, slash + 1);
    int fd = ::open(dir.c_str(), O_RDONLY);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
    return true;
}

void RemoveFileAtPath(const std::string& path) {
    (void)std::remove(path.c_str());
}

}  // namespace mrv
