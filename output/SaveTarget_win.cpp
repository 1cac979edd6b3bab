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

SaveDialogResult ShowSystemSaveDialog(OPENFILENAMEW& dialog) {
    if (GetSaveFileNameW(&dialog)) return SaveDialogResult::kChosen;
    // A name longer than the file buffer is the one failure worth a message;
    // anything else (closed, cancelled, the dialog could not open) ends the
    // save quietly.
    return CommDlgExtendedError() == FNERR_BUFFERTOOSMALL ? SaveDialogResult::kNameTooLong
                                                          : SaveDialogResult::kCancelled;
}

// A name counts as taken when anything answers to it. Only "not found"
// means free: a file we may not even look at is not overwritten.
bool NameTaken(const std::wstring& path) {
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    const DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

bool FullPath(const std::wstring& path, std::wstring* out) {
    wchar_t buffer[kPathBufferSize];
    const DWORD length = GetFullPathNameW(path.c_str(), kPathBufferSize, buffer, nullptr);
    if (length == 0 || length >= kPathBufferSize) return false;
    out->assign(buffer, length);
    return true;
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

bool SaveOutputImage(OutputImage& image, const std::wstring& path, std::uint8_t formatCode) {
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
                return false;
        }
    }
    if (!image.ConvertTo(FormatVariant(code))) return false;
    if (image.Image() == nullptr) return false;

    FileSink sink;
    if (!sink.Open(path)) return false;
    if (!image.Write(code, sink)) {
        sink.Abandon();
        return false;
    }
    return sink.Commit();
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
    return naming_.NextSequentialPath(baseName, NameTaken);
}

std::wstring SaveTarget::SavedMessage() const {
    return FillPlaceholders(LoadResourceText(strings_, IDS_SAVED), {naming_.LastFileName()});
}

SaveOutcome SaveTarget::Fail(int messageId) {
    message_ = LoadResourceText(strings_, messageId);
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
            *early = Fail(IDS_SAVE_FAILED);
            return false;
        default:
            *early = SaveOutcome::kCancelled;
            return false;
    }
    fileBuffer_[kPathBufferSize - 1] = L'\0';
    if (fileBuffer_[0] == L'\0' || !naming_.SetFilePath(fileBuffer_)) {
        *early = Fail(IDS_SAVE_FAILED);
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
        if (target.status == NamingStatus::kNumberLimitReached) {
            message_ = FillPlaceholders(LoadResourceText(strings_, IDS_NUMBER_EXHAUSTED),
                                        {std::to_wstring(target.limit)});
            return SaveOutcome::kFailed;
        }
        if (target.status != NamingStatus::kOk) return Fail(IDS_SAVE_FAILED);
    }
    if (!SaveOutputImage(image, naming_.FilePath(), naming_.CurrentFormat()))
        return Fail(IDS_SAVE_FAILED);
    if (!saveAs) naming_.AdvanceSaveNumber();
    return SaveOutcome::kSaved;
}

}  // namespace mrv
