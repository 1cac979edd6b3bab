// A byte sink that puts a file in place whole or not at all.
//
// The bytes go into a temporary file in the target's own folder; only a
// complete write is moved over the target, in one step. A write that fails
// half-way, or a sink dropped before Commit, deletes the temporary file: no
// partial image is ever left under the target's name, and a file already
// there is never destroyed by a failed save.
//
//     C:\shots\~mrv1a2b3c4d.tmp   --Commit (MoveFileExW, replace)-->   C:\shots\img0000.png
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "imaging/ByteSink.h"

namespace mrv {

class FileSink final : public imaging::ByteSink {
public:
    FileSink() = default;
    ~FileSink() override;
    FileSink(const FileSink&) = delete;
    FileSink& operator=(const FileSink&) = delete;

    // Creates the temporary file beside `target`. False when it cannot be
    // made: a missing or read-only folder, a name the file system refuses.
    [[nodiscard]] bool Open(const std::wstring& target);

    // Buffered; false once anything could not be written (and from then on).
    [[nodiscard]] bool Write(const std::uint8_t* data, std::size_t size) override;

    // Writes out the buffer, closes the file and moves it over the target.
    // False when any of that failed, or when the target is a read-only file;
    // the temporary file is then gone and the target is as it was before.
    [[nodiscard]] bool Commit();

    // Drops what was written. The destructor does the same when Commit was
    // not called or failed.
    void Abandon();

    // The temporary file's path while one exists (empty otherwise).
    const std::wstring& TemporaryPath() const { return temporaryPath_; }

    // The system's error code for the first thing that failed since Open
    // (ERROR_ACCESS_DENIED for a read-only target), 0 when nothing did.
    DWORD Error() const { return error_; }

private:
    bool Flush();
    // Keeps the first error; returns false for the caller to pass on.
    bool Fail(DWORD error);
    bool WriteThrough(const std::uint8_t* data, std::size_t size);

    HANDLE file_ = INVALID_HANDLE_VALUE;
    std::wstring target_;
    std::wstring temporaryPath_;
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::size_t buffered_ = 0;
    bool failed_ = false;
    DWORD error_ = 0;
};

// Whether a file can be written into `folder` (a directory path, with or
// without a trailing separator) the way a FileSink writes one: by creating a
// temporary file there, which is removed again at once. Missing folders,
// read-only media and folders the user may not write to all answer false.
[[nodiscard]] bool CanWriteIn(const std::wstring& folder);

}  // namespace mrv
