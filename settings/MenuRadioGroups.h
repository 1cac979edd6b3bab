// Groups of mutually exclusive menu command ids, whose check marks behave like
// radio buttons, and the rule that derives every mark of the popup menu from
// the settings record.
//
// The groups hold ids only; the marks themselves live in the menu. The menu
// pane derives from MenuRadioGroups and implements SetItemChecked (its own item
// list plus the Win32 menu item).
#pragma once

#include "settings/Settings.h"

namespace mrv {

// Command ids whose marks follow the settings (the ids of the command table).
// Named apart from the IDM_ macros of the resource header so that both can be
// included together.
constexpr int kIdFormatBmp = 40011;     // IDM_FORMAT_BMP
constexpr int kIdBmp24 = 40012;         // IDM_BMP_24
constexpr int kIdBmp565 = 40013;        // IDM_BMP_565
constexpr int kIdBmp555 = 40014;        // IDM_BMP_555
constexpr int kIdBmp8 = 40015;          // IDM_BMP_8
constexpr int kIdFormatPng = 40016;     // IDM_FORMAT_PNG
constexpr int kIdPng24 = 40017;         // IDM_PNG_24
constexpr int kIdPng8 = 40018;          // IDM_PNG_8
constexpr int kIdFormatJpeg = 40019;    // IDM_FORMAT_JPEG
constexpr int kIdJpegHigh = 40020;      // IDM_JPEG_HIGH
constexpr int kIdJpegStandard = 40021;  // IDM_JPEG_STANDARD
constexpr int kIdJpegMedium = 40022;    // IDM_JPEG_MEDIUM
constexpr int kIdJpegLow = 40023;       // IDM_JPEG_LOW
constexpr int kIdZoomView = 40008;      // IDM_ZOOM_VIEW
constexpr int kIdTaskTray = 40054;      // IDM_TASKTRAY

// The groups as the menu pane fills them.
constexpr int kFormatGroup = 0;
constexpr int kBmpVariantGroup = 1;
constexpr int kPngVariantGroup = 2;
constexpr int kJpegQualityGroup = 3;

class MenuRadioGroups {
public:
    static constexpr int kGroupCount = 8;
    static constexpr int kSlotsPerGroup = 12;

    MenuRadioGroups() = default;
    virtual ~MenuRadioGroups() = default;
    MenuRadioGroups(const MenuRadioGroups&) = delete;
    MenuRadioGroups& operator=(const MenuRadioGroups&) = delete;

    // Stores `id` in the first empty slot of `group`. False when the group is
    // full, `group` is out of 0-7, or `id` is 0 (0 marks an empty slot).
    [[nodiscard]] bool AddToGroup(int group, int id);
    // First group (0-7) holding `id`, or -1.
    int FindGroup(int id) const;
    // SetItemChecked for each id of `group` in slot order, up to the first
    // empty slot. A group out of 0-7 does nothing.
    void SetGroupChecked(int group, bool checked);
    // With `exclusive`, first unchecks the id's whole group (if it has one),
    // then sets the id itself. Returns 1.
    int CheckItem(int id, bool checked, bool exclusive);

    // Id in `slot` of `group`; 0 for an empty slot or indices out of range.
    int IdAt(int group, int slot) const;

protected:
    virtual void SetItemChecked(int id, bool checked) = 0;

private:
    int ids_[kGroupCount][kSlotsPerGroup] = {};
};

// Fills groups 0-3 in the menu's slot order. Returns false if any id was
// refused (a group already held ids).
[[nodiscard]] bool AddFormatGroups(MenuRadioGroups& groups);

// Sets every settings-driven mark through CheckItem: format family, BMP
// variant, PNG variant, JPEG quality (each exclusively), then the zoom and
// task-tray toggles. A format code without a family leaves the family mark as
// it was; a PNG variant with no menu item (16 bit) clears the PNG group.
void RefreshMenuChecks(MenuRadioGroups& groups, const Settings& settings);

}  // namespace mrv
