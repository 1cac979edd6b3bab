#include "settings/SettingsDialog_win.h"

#include <objbase.h>
#include <shlobj.h>

#include <climits>
#include <cstring>

#include "base/InterfaceFont_win.h"
#include "base/MessageBox_win.h"
#include "resources/resource.h"
#include "settings/SettingsDialogIds.h"

namespace mrv {
namespace {

constexpr UINT kCodePage = 932;
constexpr wchar_t kMessageCaption[] = L"MORVANTE";
constexpr wchar_t kBrowseTitle[] = L"フォルダの選択";
// Shown when the string table lacks the entry, so the box is never empty.
constexpr wchar_t kFolderMissingFallback[] =
    L"「%s」\nが存在しません．\n「%s」\nを保存ディレクトリに設定します．";

// The dialog's child controls by id.
class WindowControls final : public DialogControls {
public:
    explicit WindowControls(HWND dialog) : dialog_(dialog) {}

    std::wstring Text(int id) const override {
        HWND control = GetDlgItem(dialog_, id);
        if (!control) return std::wstring();
        const int length = GetWindowTextLengthW(control);
        if (length <= 0 || length == INT_MAX) return std::wstring();
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        const int copied = GetWindowTextW(control, &text[0], length + 1);
        text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
        return text;
    }
    void SetText(int id, std::wstring_view text) override {
        SetDlgItemTextW(dialog_, id, std::wstring(text).c_str());
    }
    bool IsChecked(int id) const override { return IsDlgButtonChecked(dialog_, id) == BST_CHECKED; }
    void SetChecked(int id, bool checked) override {
        CheckDlgButton(dialog_, id, checked ? BST_CHECKED : BST_UNCHECKED);
    }

private:
    HWND dialog_;
};

std::wstring RecordText(const TextConverter& converter, const char* text, std::size_t width) {
    return converter.ToWide(std::string_view(text, strnlen(text, width)));
}

void ShowFolderMissing(HWND owner, HINSTANCE instance, const std::wstring& missing,
                       const std::wstring& replacement) {
    // With a zero buffer size LoadStringW hands out a pointer into the
    // resource itself, so the entry's length needs no guess.
    const wchar_t* entry = nullptr;
    const int length =
        LoadStringW(instance, IDS_FOLDER_MISSING, reinterpret_cast<LPWSTR>(&entry), 0);
    const std::wstring_view pattern =
        length > 0 && entry != nullptr ? std::wstring_view(entry, static_cast<std::size_t>(length))
                                       : std::wstring_view(kFolderMissingFallback);
    const std::wstring text = FormatWithStrings(pattern, {missing, replacement});
    ShowMessageBox(owner, text.c_str(), kMessageCaption, MB_OK);
}

int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM, LPARAM startFolder) {
    if (message == BFFM_INITIALIZED && startFolder != 0) {
        SendMessageW(window, BFFM_SETSELECTIONW, TRUE, startFolder);
    }
    return 0;
}

}  // namespace

std::wstring Cp932Converter::ToWide(std::string_view bytes) const {
    if (bytes.empty() || bytes.size() > INT_MAX) return std::wstring();
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(kCodePage, 0, bytes.data(), size, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(kCodePage, 0, bytes.data(), size, &text[0], length);
    return text;
}

bool Cp932Converter::ToBytes(std::wstring_view text, std::string* bytes) const {
    bytes->clear();
    if (text.empty()) return true;
    if (text.size() > INT_MAX / 2) return false;
    const int size = static_cast<int>(text.size());
    // No best fit: "é" must not quietly become "e", nor a missing character
    // become '?', which no file name may contain.
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, text.data(), size,
                                           nullptr, 0, nullptr, &usedDefault);
    if (length <= 0 || usedDefault) return false;
    bytes->assign(static_cast<std::size_t>(length), '\0');
    usedDefault = FALSE;
    const int written = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, text.data(), size,
                                            &(*bytes)[0], length, nullptr, &usedDefault);
    if (written != length || usedDefault) {
        bytes->clear();
        return false;
    }
    return true;
}

SettingsDialog::SettingsDialog(HWND parent, const TextConverter& converter)
    : parentWindow_(parent), templateId_(IDD_SETTINGS), converter_(converter) {}

void SettingsDialog::Load(const Settings& settings) {
    form_ = FormFromSettings(settings, converter_);
}

FormRefusal SettingsDialog::Store(Settings& settings) const {
    return StoreForm(form_, converter_, settings);
}

int SettingsDialog::OnMessage(UINT, WPARAM, LPARAM) {
    return 0;
}

int SettingsDialog::OnInitDialog() {
    if (!dialogWindow_) return 0;
    WindowControls controls(dialogWindow_);
    ShowForm(form_, controls);
    return 1;
}

int SettingsDialog::OnCommand(WPARAM wParam) {
    if (!dialogWindow_ || LOWORD(wParam) != IDC_BROWSE_FOLDER) return 0;
    // The browser opens at the folder the dialog last set, not at whatever
    // has been typed into the edit since.
    std::wstring chosen;
    if (Browse(form_.saveFolder, &chosen) != 1) return 1;
    form_.saveFolder = FolderWithoutSeparator(chosen);
    SetDlgItemTextW(dialogWindow_, IDC_SAVE_FOLDER, form_.saveFolder.c_str());
    return 1;
}

int SettingsDialog::OnEnd(bool accepted) {
    if (!dialogWindow_) return 1;
    if (!accepted) return 1;  // nothing read back: the opener discards the copy
    WindowControls controls(dialogWindow_);
    ReadForm(controls, form_);
    const FormRefusal refusal = CheckForm(form_, converter_);
    if (refusal == FormRefusal::kNone) return 1;
    ShowMessage(RefusalMessage(refusal, form_));
    // Back to the offending edit, its text selected, ready to be corrected.
    if (HWND control = GetDlgItem(dialogWindow_, RefusedControl(refusal))) {
        SendMessageW(dialogWindow_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
        SendMessageW(control, EM_SETSEL, 0, -1);
    }
    return 0;
}

void SettingsDialog::ShowMessage(const std::wstring& text) {
    ShowMessageBox(dialogWindow_, text.c_str(), kMessageCaption, MB_OK);
}

int SettingsDialog::Browse(const std::wstring& startFolder, std::wstring* result) {
    return BrowseForFolder(dialogWindow_, startFolder, result);
}

int SettingsDialog::ShowModal(HINSTANCE instance) {
    const INT_PTR shown = DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId_), parentWindow_,
                                          SettingsDialogProc, reinterpret_cast<LPARAM>(this));
    return shown == IDOK || shown == IDCANCEL ? static_cast<int>(shown) : -1;
}

void SettingsDialog::End(int result) {
    result_ = result;
    EndDialog(dialogWindow_, result);
    dialogWindow_ = nullptr;
}

INT_PTR CALLBACK SettingsDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<SettingsDialog*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        if (!dialog) return FALSE;
        dialog->dialogWindow_ = window;
        dialog->result_ = 0;
        // Where the template's font has no glyphs for the texts.
        dialog->adoptedFont_.reset(AdoptInterfaceFontIfNeeded(window));
        dialog->OnInitDialog();
        dialog->OnMessage(message, wParam, lParam);
        return TRUE;  // the keyboard focus goes to the first control
    }
    auto* dialog = reinterpret_cast<SettingsDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!dialog || dialog->dialogWindow_ != window) return FALSE;
    switch (message) {
        case WM_COMMAND: {
            dialog->OnCommand(wParam);
            const int id = LOWORD(wParam);
            if ((id == IDOK || id == IDCANCEL) && dialog->OnEnd(id == IDOK)) dialog->End(id);
            dialog->OnMessage(message, wParam, lParam);
            return TRUE;
        }
        case WM_CLOSE:
            // Handled here: left to the dialog manager it would come back as
            // a second IDCANCEL.
            dialog->OnEnd(false);
            dialog->End(IDCANCEL);
            dialog->OnMessage(message, wParam, lParam);
            return TRUE;
        default:
            return FALSE;
    }
}

int RunSettingsDialog(HWND owner, HINSTANCE instance, Settings& settings,
                      const SettingsDialogHooks& hooks) {
    Cp932Converter converter;
    SettingsDialog dialog(owner, converter);
    dialog.Load(settings);
    if (hooks.beforeOpen) hooks.beforeOpen();
    const int result = dialog.ShowModal(instance);
    // OnEnd let OK through only with texts that fit, so Store cannot refuse.
    if (result == IDOK && dialog.Store(settings) == FormRefusal::kNone) {
        const std::wstring chosen =
            RecordText(converter, settings.saveFolder, sizeof settings.saveFolder);
        const bool folderFound = hooks.applied ? hooks.applied() : true;
        if (!folderFound) {
            ShowFolderMissing(
                owner, instance, chosen,
                RecordText(converter, settings.saveFolder, sizeof settings.saveFolder));
        }
    }
    if (hooks.afterClose) hooks.afterClose();
    return result;
}

int BrowseForFolder(HWND owner, const std::wstring& startFolder, std::wstring* result) {
    // The shell's browser wants COM on this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    // A bare drive "C:" names the drive's current directory, not its root.
    std::wstring start = startFolder;
    if (start.size() == 2 && start[1] == L':') start += L'\\';

    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.lpszTitle = kBrowseTitle;
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = BrowseCallback;
    info.lParam = start.empty() ? 0 : reinterpret_cast<LPARAM>(start.c_str());
    int outcome = 2;
    if (PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info)) {
        wchar_t path[MAX_PATH] = {};
        if (SHGetPathFromIDListW(item, path) && path[0] != L'\0') {
            *result = path;
            outcome = 1;
        }
        CoTaskMemFree(item);  // the shell's allocator
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return outcome;
}

}  // namespace mrv
