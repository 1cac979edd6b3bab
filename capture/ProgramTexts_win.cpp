#include "capture/ProgramTexts_win.h"

#include "base/FontChoice.h"
#include "base/MessageBoxModel.h"
#include "resources/resource.h"
#include "settings/DialogTemplate.h"
#include "settings/FileNameCheck.h"
#include "settings/SettingsForm.h"
#include "view/ToolPanel.h"

namespace mrv {
namespace {

constexpr int kMaxMenuDepth = 16;

void AddMenu(CharacterSet& set, HMENU menu, int depth) {
    if (menu == nullptr || depth >= kMaxMenuDepth) return;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        if (GetMenuStringW(menu, static_cast<UINT>(i), text, 256, MF_BYPOSITION) > 0) set.Add(text);
        AddMenu(set, GetSubMenu(menu, i), depth + 1);
    }
}

void AddDialog(CharacterSet& set, HINSTANCE instance, int id) {
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));  // RT_DIALOG
    HGLOBAL loaded = found != nullptr ? LoadResource(instance, found) : nullptr;
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr) return;
    DialogTexts texts;
    // A template cut short still gives the texts read before the cut.
    (void)ReadDialogTexts(static_cast<const std::uint8_t*>(bytes), SizeofResource(instance, found),
                          &texts);
    set.Add(texts.caption);
    for (const std::wstring& text : texts.controls) set.Add(text);
}

}  // namespace

std::wstring ProgramCharacters(HINSTANCE instance) {
    CharacterSet set;
    if (HMENU menu = LoadMenuW(instance, MAKEINTRESOURCEW(IDR_MENU))) {
        AddMenu(set, menu, 0);
        DestroyMenu(menu);
    }
    for (const UINT id : {IDS_FIRST_RUN, IDS_FOLDER_MISSING, IDS_SAVE_FAILED, IDS_NUMBER_EXHAUSTED,
                          IDS_SAVE_AS_TITLE, IDS_SAVED, IDS_FOLDER_READ_ONLY}) {
        const wchar_t* text = nullptr;
        const int n = LoadStringW(instance, id, reinterpret_cast<LPWSTR>(&text), 0);
        if (n > 0 && text != nullptr) set.Add(std::wstring_view(text, static_cast<std::size_t>(n)));
    }
    for (int i = 0; i < kToolButtonCount; ++i) set.Add(ToolButtonLabel(i));
    set.Add(L"0123456789 x");  // the size read-out
    AddDialog(set, instance, IDD_SETTINGS);
    for (const FormRefusal refusal :
         {FormRefusal::kBaseNameTooLong, FormRefusal::kBaseNameUnencodable,
          FormRefusal::kBaseNameUnusable, FormRefusal::kSaveFolderTooLong,
          FormRefusal::kSaveFolderUnencodable}) {
        set.Add(RefusalMessage(refusal, SettingsForm{}));
    }
    // The base-name refusals name the reason: one name of each kind.
    for (const wchar_t* name : {L"", L"a*", L"CON", L"a.", L"a ", L"a\x1F"})
        set.Add(BaseNameRefusalText(CheckBaseName(name)));
    for (const std::wstring_view label : AllMessageButtonLabels()) set.Add(label);
    return set.Characters();
}

}  // namespace mrv
