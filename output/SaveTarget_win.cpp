#include "output/SaveTarget_win.h"

#include <cwchar>
#include <string>

#include "imaging/Image.h"
#include "output/FileSink_win.h"
#include "output/MessageText.h"
#include "output/OutputImage.h"
#include "resources/resource.h"

namespace mrv {
namespace {

constexpr UINT kCodePage932 = 932;

// Reasons under message 3 for failures the system has no text for.
constexpr wchar_t kUnknownTypeReason[] =
    L"ファイル名の拡張子から画像の形式を決められません（.bmp，.png，.jpg のいずれか）．";
constexpr wchar_t kNotConvertedReason[] = L"画像の色数を変換できませんでした．";
constexpr wchar_t kNotEncodedReason[] = L"この画像はこの形式では書き出せません．";

SaveDialogResult ShowSystemSaveDialog(OPENFILENAMEW& dialog) {
    if (GetSaveFileNameW(&dialog)) return SaveDialogResult::kChosen;
    // A name longer than the file buffer is the one failure worth a message;
    // anything else (closed, cancelled, the dialog could not open) ends the
    // save quietly.
    return CommDlgExtendedError() == FNERR_BUFFERTOOSMALL ? SaveDialogResult::kNameTooLong
                                                          : SaveDialogResult::kCancelled;
}

// One pass over the names matching `pattern`. "No such file" is an empty
// folder; anything else that stops the listing (a folder gone, access
// denied) is handed back, and the save stops on it rather than guess which
// numbers are free.
std::uint32_t ListNames(const std::wstring& pattern, const NameVisitor& each) {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(pattern.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES ? 0 : error;
    }
    // Folders count too: no file can be written under a folder's name.
    do each(found.cFileName);
    while (FindNextFileW(find, &found));
    const DWORD error = GetLastError();
    FindClose(find);
    return error == ERROR_NO_MORE_FILES ? 0 : error;
}

bool FullPath(const std::wstring& path, std::wstring* out) {
    wchar_t buffer[kPathBufferSize];
    const DWORD length = GetFullPathNameW(path.c_str(), kPathBufferSize, buffer, nullptr);
    if (length == 0 || length >= kPathBufferSize) return false;
    out->assign(buffer, length);
    return true;
}

// What message 3 says for a system error: a name too long for the file
// system in Japanese, like the names too long for our own buffers.
std::wstring ErrorReason(DWORD error) {
    return error == ERROR_FILENAME_EXCED_RANGE ? std::wstring(kPathTooLongReason)
                                               : SystemErrorText(error);
}

template <std::size_t N>
void CopyInto(wchar_t (&buffer)[N], std::wstring_view text) {
    const std::size_t n = text.size() < N - 1 ? text.size() : N - 1;
    text.copy(buffer, n);
    buffer[n] = L'\0';
}

}  // namespace

std::wstring LoadResourceText(HINSTANCE module, int id) {
    if (module == nullptr) module = GetModuleHandleW(nullptr);
    // With a zero buffer size LoadStringW hands out the resource's own text
    // (not NUL-terminated) and its length, so no length limit applies.
    const wchar_t* text = nullptr;
    const int length =
        LoadStringW(module, static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr) return std::wstring();
    return std::wstring(text, static_cast<std::size_t>(length));
}

std::wstring WidenCp932(const char* text, std::size_t capacity) {
    std::size_t length = 0;
    while (length < capacity && text[length] != '\0') ++length;
    if (length == 0) return std::wstring();
    const int n = MultiByteToWideChar(kCodePage932, 0, text, static_cast<int>(length), nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(kCodePage932, 0, text, static_cast<int>(length), &wide[0], n);
    return wide;
}

bool NarrowToCp932(std::wstring_view text, char* out, std::size_t capacity) {
    if (capacity == 0) return false;
    if (text.empty()) {
        out[0] = '\0';
        return true;
    }
    BOOL lossy = FALSE;
    const int n = WideCharToMultiByte(kCodePage932, WC_NO_BEST_FIT_CHARS, text.data(),
                                      static_cast<int>(text.size()), nullptr, 0, nullptr, &lossy);
    if (n <= 0 || lossy || static_cast<std::size_t>(n) >= capacity) return false;
    WideCharToMultiByte(kCodePage932, WC_NO_BEST_FIT_CHARS, text.data(),
                        static_cast<int>(text.size()), out, n, nullptr, nullptr);
    out[n] = '\0';
    return true;
}

std::wstring SystemErrorText(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::wstring result;
    if (length > 0 && text != nullptr) result.assign(text, length);
    if (text != nullptr) LocalFree(text);
    while (!result.empty() &&
           (result.back() == L'\n' || result.back() == L'\r' || result.back() == L' '))
        result.pop_back();
    if (result.empty()) result = L"エラー " + std::to_wstring(error);
    return result;
}

bool SaveOutputImage(OutputImage& image, const std::wstring& path, std::uint8_t formatCode,
                     std::wstring* reason) {
    std::wstring ignored;
    if (reason == nullptr) reason = &ignored;
    std::uint8_t code = formatCode;
    if (FormatFamily(code) == kFormatFamilyNone) {
        switch (imaging::ClassifyFileName(std::wstring_view(path))) {
            case imaging::FileType::kBmp:
                code = DecidedFormatForFamily(kFormatFamilyBmp);
                break;
            case imaging::FileType::kPng:
                code = DecidedFormatForFamily(kFormatFamilyPng);
                break;
            case imaging::FileType::kJpeg:
                code = DecidedFormatForFamily(kFormatFamilyJpeg);
                break;
            default:
                *reason = kUnknownTypeReason;
                return false;
        }
    }
    if (!image.ConvertTo(FormatVariant(code)) || image.Image() == nullptr) {
        *reason = kNotConvertedReason;
        return false;
    }

    FileSink sink;
    if (!sink.Open(path)) {
        *reason = ErrorReason(sink.Error());
        return false;
    }
    if (image.Write(code, sink) && sink.Commit()) return true;
    // The encoder gives up by itself (a JPEG wider than 65535) or because the
    // sink refused its bytes (a full disk); only the latter has a system error.
    *reason = sink.Error() != 0 ? ErrorReason(sink.Error()) : std::wstring(kNotEncodedReason);
    sink.Abandon();
    return false;
}

SaveTarget::SaveTarget() : showDialog_(ShowSystemSaveDialog) {
    ResetSaveDialog(nullptr);
}

void SaveTarget::ResetSaveDialog(HWND owner) {
    fileBuffer_[0] = L'\0';
    initialFolder_[0] = L'\0';
    std::wmemset(filterList_, L'\0', kFilterListSize);
    filterLength_ = 0;
    defaultExtension_[0] = L'\0';
    title_[0] = L'\0';
    message_.clear();

    dialog_ = OPENFILENAMEW{};
    dialog_.lStructSize = sizeof(OPENFILENAMEW);
    dialog_.hwndOwner = owner;
    dialog_.lpstrFilter = filterList_;
    dialog_.nFilterIndex = 0;
    dialog_.lpstrFile = fileBuffer_;
    dialog_.nMaxFile = kPathBufferSize;
    dialog_.lpstrInitialDir = initialFolder_;
    dialog_.lpstrTitle = title_;
    dialog_.Flags = 0;
    // An empty (not null) default extension: a name typed without one gets
    // the extension of the filter selected in the dialog.
    dialog_.lpstrDefExt = defaultExtension_;
}

bool SaveTarget::AddFilter(std::wstring_view name, std::wstring_view pattern) {
    // Each text with its NUL, and the list's closing NUL after the last pair.
    const std::size_t needed = name.size() + 1 + pattern.size() + 1;
    if (name.empty() || pattern.empty() || needed + 1 > kFilterListSize - filterLength_)
        return false;
    if (name.find(L'\0') != std::wstring_view::npos ||
        pattern.find(L'\0') != std::wstring_view::npos)
        return false;
    wchar_t* at = filterList_ + filterLength_;
    name.copy(at, name.size());
    at[name.size()] = L'\0';
    at += name.size() + 1;
    pattern.copy(at, pattern.size());
    at[pattern.size()] = L'\0';
    filterLength_ += needed;
    filterList_[filterLength_] = L'\0';
    return true;
}

void SaveTarget::SetUpSaveDialog(HWND owner, HINSTANCE strings) {
    strings_ = strings;
    ResetSaveDialog(owner);
    // The four pairs take 110 of the 512 characters; they always fit.
    (void)AddFilter(L"Bitmap Files (*.bmp)", L"*.bmp");
    (void)AddFilter(L"PNG Files (*.png)", L"*.png");
    (void)AddFilter(L"JPEG Files (*.jpg)", L"*.jpg;*.jpeg");
    (void)AddFilter(L"All Files (*.*)", L"*.*");
    dialog_.nFilterIndex = kFilterBmp;
    dialog_.Flags = 0;
    CopyInto(title_, LoadResourceText(strings_, IDS_SAVE_AS_TITLE));
}

int SaveTarget::AttachSettings(Settings& settings, const std::wstring& exeDirectory) {
    settings_ = &settings;
    naming_.BindSettings(settings);

    // A relative folder is made whole before the current directory moves
    // into it; afterwards the same text would point one level further down.
    const std::wstring stored = WidenCp932(settings.saveFolder, kSaveFolderSize);
    std::wstring folder;
    const bool entered = !stored.empty() && FullPath(stored, &folder) &&
                         SetCurrentDirectoryW(folder.c_str()) && naming_.SetSaveFolder(folder);
    if (entered) return 1;

    message_ =
        FillPlaceholders(LoadResourceText(strings_, IDS_FOLDER_MISSING), {stored, exeDirectory});
    // Should the executable's folder have no code page 932 spelling (or be
    // too long for the record), the record keeps its text and the next start
    // falls back here again; this run saves beside the executable either way.
    (void)NarrowToCp932(exeDirectory, settings.saveFolder, kSaveFolderSize);
    if (!naming_.SetSaveFolder(exeDirectory)) (void)naming_.SetSaveFolder(L"");
    return 0;
}

SequentialPath SaveTarget::NextSequentialPath() {
    const std::wstring baseName =
        settings_ != nullptr ? WidenCp932(settings_->baseName, kBaseNameSize) : L"img";
    return naming_.NextSequentialPath(baseName, ListNames);
}

std::wstring SaveTarget::SavedMessage() const {
    return FillPlaceholders(LoadResourceText(strings_, IDS_SAVED), {naming_.LastFileName()});
}

SaveOutcome SaveTarget::FailSaving(std::wstring_view path, std::wstring_view reason) {
    message_ = SaveFailedText(LoadResourceText(strings_, IDS_SAVE_FAILED), path, reason);
    return SaveOutcome::kFailed;
}

bool SaveTarget::ChooseSaveAsTarget(SaveOutcome* early) {
    dialog_.nFilterIndex = static_cast<DWORD>(FilterIndexForFormat(naming_.CurrentFormat()));
    // No suggested name; the dialog opens in the current folder. The
    // remembered file path stays as it was until a name is chosen.
    fileBuffer_[0] = L'\0';
    dialog_.lpstrFile = fileBuffer_;
    dialog_.nMaxFile = kPathBufferSize;
    CopyInto(initialFolder_, naming_.CurrentFolder());
    dialog_.lpstrInitialDir = initialFolder_;
    // Ask before replacing a file; leave the process's current directory
    // (the save folder) where it is; a folder typed into the name must exist.
    dialog_.Flags = OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;

    switch (showDialog_ ? showDialog_(dialog_) : SaveDialogResult::kCancelled) {
        case SaveDialogResult::kChosen:
            break;
        case SaveDialogResult::kNameTooLong:
            *early = FailSaving(L"", kPathTooLongReason);
            return false;
        default:
            *early = SaveOutcome::kCancelled;
            return false;
    }
    fileBuffer_[kPathBufferSize - 1] = L'\0';
    if (fileBuffer_[0] == L'\0' || !naming_.SetFilePath(fileBuffer_)) {
        *early = FailSaving(fileBuffer_, kPathTooLongReason);
        return false;
    }
    naming_.RememberPath();
    naming_.SetFormat(naming_.FormatForFilter(static_cast<int>(dialog_.nFilterIndex)), true);
    return true;
}

SaveOutcome SaveTarget::SaveImage(OutputImage& image, bool saveAs) {
    message_.clear();
    if (saveAs) {
        SaveOutcome early = SaveOutcome::kCancelled;
        if (!ChooseSaveAsTarget(&early)) return early;
    } else {
        const SequentialPath target = NextSequentialPath();
        switch (target.status) {
            case NamingStatus::kOk:
                break;
            case NamingStatus::kNumberLimitReached:
                message_ = FillPlaceholders(LoadResourceText(strings_, IDS_NUMBER_EXHAUSTED),
                                            {std::to_wstring(target.limit)});
                return SaveOutcome::kFailed;
            case NamingStatus::kListingFailed:
                return FailSaving(target.path, ErrorReason(target.error));
            default:
                return FailSaving(target.path, target.reason);
        }
    }
    std::wstring reason;
    if (!SaveOutputImage(image, naming_.FilePath(), naming_.CurrentFormat(), &reason))
        return FailSaving(naming_.FilePath(), reason);
    if (!saveAs) naming_.AdvanceSaveNumber();
    return SaveOutcome::kSaved;
}

}  // namespace mrv
