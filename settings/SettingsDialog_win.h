// The settings dialog (dialog resource IDD_SETTINGS): a modal dialog over a
// copy of the record. OK writes the copy into the record all at once and lets
// the owner apply it; Cancel, Esc and the close box change nothing.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <type_traits>

#include "settings/Settings.h"
#include "settings/SettingsForm.h"

namespace mrv {

// Code page 932 <-> UTF-16 through the system's tables. A character with no
// code page 932 form is refused rather than replaced by '?' or a look-alike.
class Cp932Converter final : public TextConverter {
public:
    [[nodiscard]] std::wstring ToWide(std::string_view bytes) const override;
    [[nodiscard]] bool ToBytes(std::wstring_view text, std::string* bytes) const override;
};

// What the capture window does around the dialog.
struct SettingsDialogHooks {
    std::function<void()> beforeOpen;  // before the dialog shows: set modalOpen
    // After OK wrote the record: re-apply the view settings and attach the
    // save settings. False when the save folder did not exist and was
    // replaced by the executable's directory (the record then says so).
    std::function<bool()> applied;
    std::function<void()> afterClose;  // on every path, once the dialog is gone: clear modalOpen
};

class SettingsDialog {
public:
    SettingsDialog(HWND parent, const TextConverter& converter);
    virtual ~SettingsDialog() = default;
    SettingsDialog(const SettingsDialog&) = delete;
    SettingsDialog& operator=(const SettingsDialog&) = delete;

    // Fills the dialog's copy from the record.
    void Load(const Settings& settings);
    // Writes the copy into the record (after OK). Refuses, leaving the record
    // untouched, when a text does not fit.
    [[nodiscard]] FormRefusal Store(Settings& settings) const;
    // Shows the dialog modally, owned by the parent window: IDOK, IDCANCEL,
    // or -1 when it could not be shown.
    int ShowModal(HINSTANCE instance);

    virtual int OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    virtual int OnInitDialog();
    virtual int OnCommand(WPARAM wParam);
    // Reads the controls back. Returns 1 when the dialog may close; 0 keeps
    // it open (OK with a text that does not fit, or a base name no file name
    // can start with, after saying so).
    virtual int OnEnd(bool accepted);

    // The window while the dialog is open, null otherwise.
    [[nodiscard]] HWND Window() const { return dialogWindow_; }
    // IDOK or IDCANCEL once the dialog has ended, 0 while it is open.
    [[nodiscard]] int Result() const { return result_; }

protected:
    // Shows a refusal; owned by the dialog.
    virtual void ShowMessage(const std::wstring& text);
    // The folder browser, as BrowseForFolder.
    virtual int Browse(const std::wstring& startFolder, std::wstring* result);

private:
    friend INT_PTR CALLBACK SettingsDialogProc(HWND, UINT, WPARAM, LPARAM);
    void End(int result);

    HWND dialogWindow_ = nullptr;
    HWND parentWindow_;
    int templateId_;
    const TextConverter& converter_;
    SettingsForm form_;
    int result_ = 0;
    // The interface face at the template font's size, set on the controls
    // when the template's font cannot show their texts. It lives as long as
    // this object, which outlives the dialog's window.
    struct FontDeleter {
        void operator()(std::remove_pointer_t<HFONT>* font) const { DeleteObject(font); }
    };
    std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter> adoptedFont_;
};

// The dialog procedure. The SettingsDialog comes as the creation parameter
// (DialogBoxParamW / CreateDialogParamW) and stays attached to the window.
INT_PTR CALLBACK SettingsDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The settings command: shows the dialog modally, owned by `owner`, over a
// copy of `settings`. On OK the record takes the dialog's values, `applied`
// runs, and a save folder that turned out missing is reported with
// string-table message IDS_FOLDER_MISSING. Returns IDOK, IDCANCEL, or -1 when
// the dialog could not be shown.
int RunSettingsDialog(HWND owner, HINSTANCE instance, Settings& settings,
                      const SettingsDialogHooks& hooks);

// The shell's folder browser, owned by `owner`, opened at `startFolder` when
// one is given. Returns 1 with the chosen folder's path in `result`, or 2 when
// the user cancelled or chose something that is no file-system folder (a
// virtual folder such as the control panel); `result` is then untouched.
int BrowseForFolder(HWND owner, const std::wstring& startFolder, std::wstring* result);

}  // namespace mrv
