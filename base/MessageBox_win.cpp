#include "base/MessageBox_win.h"

#include <algorithm>
#include <string>
#include <vector>

#include "base/InterfaceFont_win.h"
#include "base/MessageBoxModel.h"

namespace mrv {
namespace {

static_assert(mb::kOkCancel == MB_OKCANCEL && mb::kYesNo == MB_YESNO &&
                  mb::kCancelTryContinue == MB_CANCELTRYCONTINUE && mb::kTypeMask == MB_TYPEMASK &&
                  mb::kIconMask == MB_ICONMASK && mb::kDefaultMask == MB_DEFMASK,
              "message box types");
static_assert(mb::kIdOk == IDOK && mb::kIdCancel == IDCANCEL && mb::kIdNo == IDNO &&
                  mb::kIdTryAgain == IDTRYAGAIN && mb::kIdContinue == IDCONTINUE,
              "message box answers");

// The ids of the system's own box, which tools that read boxes look for.
constexpr int kIconId = 0x14;
constexpr int kTextId = 0xFFFF;
constexpr int kButtonPadding = 12;  // each side of a button's label

struct OwnBox {
    const wchar_t* text;
    const wchar_t* caption;
    UINT type;
    MessageButtons buttons;
    HFONT font = nullptr;
};

LPCWSTR IconOf(UINT type) {
    switch (type & MB_ICONMASK) {
        case MB_ICONHAND:
            return IDI_HAND;
        case MB_ICONQUESTION:
            return IDI_QUESTION;
        case MB_ICONEXCLAMATION:
            return IDI_EXCLAMATION;
        case MB_ICONASTERISK:
            return IDI_ASTERISK;
        default:
            return nullptr;
    }
}

// The system's message font (size, weight) in the interface face.
HFONT MakeBoxFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    LOGFONTW spec{};
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        spec = metrics.lfMessageFont;
    else
        spec.lfHeight = -12;
    spec.lfCharSet = DEFAULT_CHARSET;
    SetFaceName(spec, InterfaceFace().face);
    return CreateFontIndirectW(&spec);
}

HWND MakeChild(HWND box, const wchar_t* cls, const wchar_t* text, DWORD style, const Rect& r,
               int id, HFONT font) {
    HWND child = CreateWindowExW(
        0, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.Width(), r.Height(), box,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (child != nullptr && font != nullptr)
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return child;
}

// Lays the box out in the font, makes its controls, sizes and centres it.
void BuildBox(HWND box, OwnBox& own) {
    SetWindowTextW(box, own.caption != nullptr ? own.caption : L"");
    const wchar_t* text = own.text != nullptr ? own.text : L"";

    HDC dc = GetDC(box);
    HGDIOBJ previous = SelectObject(dc, own.font);
    RECT textRect{0, 0, kMessageMaxTextWidth, 0};
    DrawTextW(dc, text, -1, &textRect, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    std::vector<int> widths;
    for (const MessageButton& b : own.buttons.buttons) {
        RECT label{0, 0, 0, 0};
        DrawTextW(dc, b.label.data(), static_cast<int>(b.label.size()), &label,
                  DT_CALCRECT | DT_SINGLELINE);
        widths.push_back(label.right + 2 * kButtonPadding);
    }
    SelectObject(dc, previous);
    ReleaseDC(box, dc);

    LPCWSTR iconName = IconOf(own.type);
    HICON icon = iconName != nullptr ? LoadIconW(nullptr, iconName) : nullptr;
    const MessageBoxGeometry g =
        LayoutMessageBox(Size{textRect.right - textRect.left, textRect.bottom - textRect.top},
                         icon != nullptr, widths);

    if (icon != nullptr) {
        HWND picture = MakeChild(box, L"STATIC", nullptr, SS_ICON, g.icon, kIconId, nullptr);
        SendMessageW(picture, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    }
    MakeChild(box, L"STATIC", text, SS_LEFT | SS_NOPREFIX, g.text, kTextId, own.font);
    HWND focus = nullptr;
    for (std::size_t i = 0; i < own.buttons.buttons.size(); ++i) {
        const MessageButton& b = own.buttons.buttons[i];
        const bool isDefault = static_cast<int>(i) == own.buttons.defaultIndex;
        const DWORD style =
            WS_TABSTOP | (i == 0 ? WS_GROUP : 0) | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        HWND button = MakeChild(box, L"BUTTON", std::wstring(b.label).c_str(), style, g.buttons[i],
                                b.id, own.font);
        if (isDefault) focus = button;
    }
    if (own.buttons.escapeId == 0) {
        // Like the system's box: without Cancel (or OK alone) the close box
        // does nothing, so it is greyed.
        EnableMenuItem(GetSystemMenu(box, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    }

    RECT frame{0, 0, g.client.width, g.client.height};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(box, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(box, GWL_EXSTYLE)));
    const int w = frame.right - frame.left;
    const int h = frame.bottom - frame.top;
    HWND owner = GetWindow(box, GW_OWNER);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(owner != nullptr ? owner : box, MONITOR_DEFAULTTOPRIMARY),
                    &monitor);
    const RECT& area = monitor.rcWork;
    SetWindowPos(box, nullptr, area.left + (area.right - area.left - w) / 2,
                 area.top + (area.bottom - area.top - h) / 2, w, h, SWP_NOZORDER);

    const int defaultId = own.buttons.buttons[own.buttons.defaultIndex].id;
    SendMessageW(box, DM_SETDEFID, static_cast<WPARAM>(defaultId), 0);
    if (focus != nullptr) SetFocus(focus);
}

INT_PTR CALLBACK OwnBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(box, DWLP_USER, lParam);
        BuildBox(box, *reinterpret_cast<OwnBox*>(lParam));
        return FALSE;  // the focus is set: on the default button
    }
    auto* own = reinterpret_cast<OwnBox*>(GetWindowLongPtrW(box, DWLP_USER));
    if (own == nullptr) return FALSE;
    if (message == WM_CLOSE) {
        if (own->buttons.escapeId != 0) EndDialog(box, own->buttons.escapeId);
        return TRUE;
    }
    if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return FALSE;
    const int id = LOWORD(wParam);
    // Esc arrives as IDCANCEL whatever the buttons are.
    if (id == IDCANCEL) {
        if (own->buttons.escapeId != 0) EndDialog(box, own->buttons.escapeId);
        return TRUE;
    }
    for (const MessageButton& b : own->buttons.buttons) {
        if (b.id == id) {
            EndDialog(box, id);
            return TRUE;
        }
    }
    return FALSE;
}

}  // namespace

bool SystemMessageFontShows(std::wstring_view text) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return false;
    HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
    HDC dc = CreateCompatibleDC(nullptr);
    CharacterSet characters;
    characters.Add(text);
    const bool shows = FontShowsAll(dc, font, characters.Characters());
    if (dc != nullptr) DeleteDC(dc);
    if (font != nullptr) DeleteObject(font);
    return shows;
}

int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    if (text == nullptr || SystemMessageFontShows(text))
        return MessageBoxW(owner, text, caption, type);
    return ShowOwnMessageBox(owner, text, caption, type);
}

int ShowOwnMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    OwnBox own{text, caption, type, ButtonsOf(type)};
    own.font = MakeBoxFont();
    // An empty template: the controls are made once the font has measured
    // the text. DWORD-aligned, as the dialog manager wants it.
    DWORD storage[16] = {};
    auto* shape = reinterpret_cast<DLGTEMPLATE*>(storage);
    shape->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    if ((type & MB_TOPMOST) != 0) shape->dwExtendedStyle = WS_EX_TOPMOST;
    shape->cdit = 0;
    // Menu, class and title follow as three empty names: zeros.
    const INT_PTR answer = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), shape, owner,
                                                   OwnBoxProc, reinterpret_cast<LPARAM>(&own));
    if (own.font != nullptr) DeleteObject(own.font);
    if (answer <= 0) return MessageBoxW(owner, text, caption, type);
    return static_cast<int>(answer);
}

}  // namespace mrv
