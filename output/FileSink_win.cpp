#include "output/FileSink_win.h"

#include <cstring>
#include <new>

namespace mrv {
namespace {

// Big enough that the encoders' small pieces (a JPEG is handed over a few
// hundred bytes at a time) cost one system call per 64 KiB.
constexpr std::size_t kBufferSize = 64 * 1024;
// WriteFile counts in DWORDs; stay well inside.
constexpr std::size_t kLargestWrite = std::size_t{1} << 30;
// Names are tried until one is free; another save racing for the same name
// is the only way to collide.
constexpr int kNameAttempts = 16;

// A full path longer than the classic limit still works through the "\\?\"
// form; the temporary name beside a target of 259 characters needs it.
std::wstring ForFileFunctions(const std::wstring& fullPath) {
    if (fullPath.size() < MAX_PATH) return fullPath;
    if (fullPath.compare(0, 4, L"\\\\?\\") == 0) return fullPath;
    if (fullPath.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + fullPath.substr(2);
    return L"\\\\?\\" + fullPath;
}

bool FullPath(const std::wstring& path, std::wstring* out) {
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return false;
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), needed, &full[0], nullptr);
    if (length == 0 || length >= needed) return false;
    full.resize(length);
    *out = std::move(full);
    return true;
}

std::wstring Hex8(DWORD value) {
    static const wchar_t kDigits[] = L"0123456789abcdef";
    std::wstring text(8, L'0');
    for (int i = 7; i >= 0; --i, value >>= 4)
        text[static_cast<std::size_t>(i)] = kDigits[value & 15];
    return text;
}

DWORD NameSeed() {
    static LONG counter = 0;
    const DWORD n = static_cast<DWORD>(InterlockedIncrement(&counter));
    return (GetCurrentProcessId() << 16) ^ GetTickCount() ^ (n * 0x9E3779B9u);
}

}  // namespace

FileSink::~FileSink() {
    Abandon();
}

bool FileSink::Fail(DWORD error) {
    if (error_ == 0) error_ = error != 0 ? error : ERROR_WRITE_FAULT;
    return false;
}

bool FileSink::Open(const std::wstring& target) {
    Abandon();
    failed_ = false;
    error_ = 0;
    std::wstring full;
    if (target.empty()) return Fail(ERROR_INVALID_NAME);
    if (!FullPath(target, &full)) return Fail(GetLastError());
    const std::size_t slash = full.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash + 1 == full.size())
        return Fail(ERROR_INVALID_NAME);  // no file name
    buffer_.reset(new (std::nothrow) std::uint8_t[kBufferSize]);
    if (!buffer_) return Fail(ERROR_NOT_ENOUGH_MEMORY);

    const std::wstring folder = full.substr(0, slash + 1);
    const DWORD seed = NameSeed();
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::wstring candidate = ForFileFunctions(
            folder + L"~mrv" + Hex8(seed + static_cast<DWORD>(attempt) * 7919u) + L".tmp");
        HANDLE h = CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            file_ = h;
            temporaryPath_ = std::move(candidate);
            target_ = ForFileFunctions(full);
            buffered_ = 0;
            return true;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            buffer_.reset();
            return Fail(error);
        }
    }
    buffer_.reset();
    return Fail(ERROR_FILE_EXISTS);
}

bool FileSink::Write(const std::uint8_t* data, std::size_t size) {
    if (failed_ || file_ == INVALID_HANDLE_VALUE) return false;
    if (size == 0) return true;
    if (size > kBufferSize - buffered_) {
        if (!Flush()) return false;
        if (size >= kBufferSize) return WriteThrough(data, size);
    }
    std::memcpy(buffer_.get() + buffered_, data, size);
    buffered_ += size;
    return true;
}

bool FileSink::Flush() {
    const std::size_t pending = buffered_;
    buffered_ = 0;
    return WriteThrough(buffer_.get(), pending);
}

bool FileSink::WriteThrough(const std::uint8_t* data, std::size_t size) {
    while (size > 0 && !failed_) {
        const DWORD chunk = static_cast<DWORD>(size < kLargestWrite ? size : kLargestWrite);
        DWORD written = 0;
        if (!WriteFile(file_, data, chunk, &written, nullptr)) {
            failed_ = true;
            Fail(GetLastError());
        } else if (written != chunk) {
            failed_ = true;  // a short write to a disk file: it is full
            Fail(ERROR_DISK_FULL);
        }
        data += chunk;
        size -= chunk;
    }
    return !failed_;
}

bool FileSink::Commit() {
    if (file_ == INVALID_HANDLE_VALUE || failed_ || !Flush()) {
        Fail(ERROR_INVALID_HANDLE);  // kept only when nothing failed before
        Abandon();
        return false;
    }
    // A read-only file is not replaced. Windows' MoveFileEx refuses it by
    // itself; Wine replaces it, so ask first to behave the same everywhere.
    const DWORD existing = GetFileAttributesW(target_.c_str());
    const bool replacing = existing != INVALID_FILE_ATTRIBUTES;
    if (replacing && (existing & FILE_ATTRIBUTE_READONLY) != 0) {
        Abandon();
        return Fail(ERROR_ACCESS_DENIED);
    }
    // Replacing a file: its new contents must be on the disk before the name
    // moves over, or a crash right after the move could leave an empty file
    // where the old picture was. A new name has nothing to lose.
    if (replacing && !FlushFileBuffers(file_)) {
        Fail(GetLastError());
        Abandon();
        return false;
    }
    CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
    buffer_.reset();
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | (replacing ? MOVEFILE_WRITE_THROUGH : 0);
    if (!MoveFileExW(temporaryPath_.c_str(), target_.c_str(), flags)) {
        Fail(GetLastError());
        Abandon();
        return false;
    }
    temporaryPath_.clear();
    target_.clear();
    return true;
}

void FileSink::Abandon() {
    if (file_ != INVALID_HANDLE_VALUE) {
        CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
    }
    if (!temporaryPath_.empty()) {
        DeleteFileW(temporaryPath_.c_str());
        temporaryPath_.clear();
    }
    target_.clear();
    buffer_.reset();
    buffered_ = 0;
}

bool CanWriteIn(const std::wstring& folder) {
    if (folder.empty()) return false;
    const wchar_t last = folder.back();
    FileSink probe;
    const bool opened =
        probe.Open(folder + (last == L'\\' || last == L'/' ? L"" : L"\\") + L"probe");
    probe.Abandon();
    return opened;
}

}  // namespace mrv
