// The few file operations the settings file needs that differ between the
// platforms: opening a UTF-8 path, forcing written data to the disk, and
// replacing a file by another in one step.
//
// std::rename cannot replace an existing file on Windows, and the ANSI fopen
// there cannot open a path outside the system code page, hence the pair
// FileAccess_posix.cpp / FileAccess_win.cpp.
#pragma once

#include <cstdio>
#include <string>

namespace mrv {

enum class FileMode { kRead, kWrite };

// Binary open ("rb" or "wb") of a UTF-8 path; null on failure.
[[nodiscard]] std::FILE* OpenFileForPath(const std::string& path, FileMode mode);

// Pushes the file's written data (already fflush-ed) to the storage device.
[[nodiscard]] bool FlushFileToDisk(std::FILE* file);

// Puts `source` in the place of `target` in one step: afterwards `target` is
// either the old file or the complete new one, never a mixture or nothing.
// `source` must be on the same volume (a file beside `target`).
[[nodiscard]] bool ReplaceFileAtomically(const std::string& source, const std::string& target);

// Best-effort removal (a leftover temporary file).
void RemoveFileAtPath(const std::string& path);

}  // namespace mrv
