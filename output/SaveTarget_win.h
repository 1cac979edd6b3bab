// Saving the selection to a file: the Save As dialog, the sequential names,
// the format the file is written in, and the texts the caller shows.
//
// The portable rules (format codes, sequential numbering, remembered paths)
// live in SaveNaming; this is their Win32 half. It shows no message box and
// touches no window state: it returns what happened and keeps the message
// text for the caller, who owns the window, its topmost state and the modal
// flag.
#pragma once

#include <windows.h>
// After <windows.h>, which they build on.
#include <cderr.h>
#include <commdlg.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "output/SaveNaming.h"
#include "settings/Settings.h"

namespace mrv {

class OutputImage;

enum class SaveOutcome {
    kSaved,      // written; SavedMessage() is the label text
    kFailed,     // Message() says why
    kCancelled,  // the Save As dialog was closed without a name: say nothing
};

enum class SaveDialogResult { kChosen, kCancelled, kNameTooLong };

// Shows the Save As dialog described by `dialog`. The default calls
// GetSaveFileNameW; tests put a stand-in that answers as a user would.
using SaveDialogFunction = std::function<SaveDialogResult(OPENFILENAMEW& dialog)>;

// Writes the image to `path` in the format `formatCode`. A code without a
// family takes it from the path's extension (BMP 24 bit, PNG 8 bit, JPEG
// standard quality), for this write only. The image is converted to the
// code's colour variant, encoded into a temporary file beside the target
// and moved over it only when complete. False when the name has no image
// type, the conversion or the encoder failed, or the file could not be
// written; no partial file is left and an existing file is kept then, and
// `reason` (when given) says why: the system's text for a file error, a text
// of our own otherwise.
[[nodiscard]] bool SaveOutputImage(OutputImage& image, const std::wstring& path,
                                   std::uint8_t formatCode, std::wstring* reason = nullptr);

// The system's text for an error code (FormatMessageW, in the system's
// language), without the line break it ends with; the code in figures when
// the system has no text for it.
[[nodiscard]] std::wstring SystemErrorText(DWORD error);

// Loads a string-table text from `module` (null: the executable). Empty
// when there is no such entry.
[[nodiscard]] std::wstring LoadResourceText(HINSTANCE module, int id);

// The settings record's texts are code page 932 bytes; the file functions
// take UTF-16.
[[nodiscard]] std::wstring WidenCp932(const char* text, std::size_t capacity);
// False when the text has no code page 932 form or does not fit `capacity`
// with its NUL; `out` is then untouched.
[[nodiscard]] bool NarrowToCp932(std::wstring_view text, char* out, std::size_t capacity);

class SaveTarget {
public:
    static constexpr std::size_t kFilterListSize = 512;
    static constexpr std::size_t kTitleSize = 100;

    SaveTarget();
    SaveTarget(const SaveTarget&) = delete;
    SaveTarget& operator=(const SaveTarget&) = delete;

    // Empties every buffer and describes the dialog afresh: owner, filter
    // list, file buffer of 260, initial folder, title, empty default
    // extension, no filters yet, index 0, no flags.
    void ResetSaveDialog(HWND owner);
    // Appends a display name and its pattern to the filter list. False, and
    // nothing added, when the pair would not fit.
    [[nodiscard]] bool AddFilter(std::wstring_view name, std::wstring_view pattern);
    // The start-up set-up: ResetSaveDialog, the four filters BMP, PNG, JPEG
    // and "All Files", index 1, and the title from the string table.
    void SetUpSaveDialog(HWND owner, HINSTANCE strings = nullptr);
    // The dialog's owner, once the main window exists.
    void SetOwner(HWND owner) { dialog_.hwndOwner = owner; }

    // Binds the record's naming fields, resets saveNumber when
    // resetNumberAtStartup is on, and makes saveFolder the current folder
    // and the process's current directory. When that folder cannot be
    // entered, saveFolder becomes `exeDirectory` (ending with "\") and
    // Message() explains it; the result is then 0, else 1. `settings` must
    // outlive this object.
    [[nodiscard]] int AttachSettings(Settings& settings, const std::wstring& exeDirectory);

    void SetFormat(std::uint8_t code, bool exact) { naming_.SetFormat(code, exact); }
    std::uint8_t FormatForFilter(int index) const { return naming_.FormatForFilter(index); }

    // The whole save of an image already cut out of the snapshot: the target
    // from the Save As dialog (`saveAs`) or the next free sequential number,
    // then the write. A successful sequential save advances saveNumber; a
    // failed one leaves it (except at the number limit, which resets it).
    [[nodiscard]] SaveOutcome SaveImage(OutputImage& image, bool saveAs);

    // The next free sequential name in the current folder; it also becomes
    // the file path and is remembered.
    [[nodiscard]] SequentialPath NextSequentialPath();
    void RememberPath() { naming_.RememberPath(); }

    // The last failure's text (folder missing, number limit, or message 3
    // with the file that could not be written and why).
    const std::wstring& Message() const { return message_; }
    // The success label: "「 name.ext 」を保存しました．".
    [[nodiscard]] std::wstring SavedMessage() const;

    const std::wstring& CurrentFolder() const { return naming_.CurrentFolder(); }
    const std::wstring& LastFileName() const { return naming_.LastFileName(); }
    const std::wstring& FilePath() const { return naming_.FilePath(); }
    const OPENFILENAMEW& Dialog() const { return dialog_; }

    void SetSaveDialogFunction(SaveDialogFunction show) { showDialog_ = std::move(show); }

private:
    // Message 3 with the file and the reason under it.
    SaveOutcome FailSaving(std::wstring_view path, std::wstring_view reason);
    bool ChooseSaveAsTarget(SaveOutcome* early);

    SaveNaming naming_;
    Settings* settings_ = nullptr;
    HINSTANCE strings_ = nullptr;

    OPENFILENAMEW dialog_{};
    wchar_t fileBuffer_[kPathBufferSize] = {};
    wchar_t initialFolder_[kPathBufferSize] = {};
    wchar_t filterList_[kFilterListSize] = {};
    std::size_t filterLength_ = 0;
    wchar_t defaultExtension_[4] = {};
    wchar_t title_[kTitleSize] = {};

    std::wstring message_;
    SaveDialogFunction showDialog_;
};

}  // namespace mrv
