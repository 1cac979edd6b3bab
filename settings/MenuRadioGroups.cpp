#include "settings/MenuRadioGroups.h"

namespace mrv {

bool MenuRadioGroups::AddToGroup(int group, int id) {
    if (group < 0 || group >= kGroupCount || id == 0) return false;
    for (int& slot : ids_[group]) {
        if (slot == 0) {
            slot = id;
            return true;
        }
    }
    return false;
}

int MenuRadioGroups::FindGroup(int id) const {
    if (id == 0) return -1;  // 0 is an empty slot, not an id
    for (int group = 0; group < kGroupCount; ++group) {
        for (int slot : ids_[group]) {
            if (slot == id) return group;
        }
    }
    return -1;
}

void MenuRadioGroups::SetGroupChecked(int group, bool checked) {
    if (group < 0 || group >= kGroupCount) return;
    for (int id : ids_[group]) {
        if (id == 0) break;
        SetItemChecked(id, checked);
    }
}

int MenuRadioGroups::CheckItem(int id, bool checked, bool exclusive) {
    if (exclusive) {
        int group = FindGroup(id);
        if (group >= 0) SetGroupChecked(group, false);
    }
    SetItemChecked(id, checked);
    return 1;
}

int MenuRadioGroups::IdAt(int group, int slot) const {
    if (group < 0 || group >= kGroupCount || slot < 0 || slot >= kSlotsPerGroup) return 0;
    return ids_[group][slot];
}

bool AddFormatGroups(MenuRadioGroups& groups) {
    static constexpr int kFormats[] = {kIdFormatBmp, kIdFormatPng, kIdFormatJpeg};
    static constexpr int kBmp[] = {kIdBmp24, kIdBmp565, kIdBmp555, kIdBmp8};
    static constexpr int kPng[] = {kIdPng24, kIdPng8};
    static constexpr int kJpeg[] = {kIdJpegHigh, kIdJpegStandard, kIdJpegMedium, kIdJpegLow};
    bool ok = true;
    for (int id : kFormats) ok = groups.AddToGroup(kFormatGroup, id) && ok;
    for (int id : kBmp) ok = groups.AddToGroup(kBmpVariantGroup, id) && ok;
    for (int id : kPng) ok = groups.AddToGroup(kPngVariantGroup, id) && ok;
    for (int id : kJpeg) ok = groups.AddToGroup(kJpegQualityGroup, id) && ok;
    return ok;
}

void RefreshMenuChecks(MenuRadioGroups& groups, const Settings& settings) {
    switch (settings.imageFormat & kFormatFamilyMask) {
        case kFormatFamilyBmp:
            groups.CheckItem(kIdFormatBmp, true, true);
            break;
        case kFormatFamilyPng:
            groups.CheckItem(kIdFormatPng, true, true);
            break;
        case kFormatFamilyJpeg:
            groups.CheckItem(kIdFormatJpeg, true, true);
            break;
        default:
            // No family: the format is decided from the file name at each
            // save, and the menu keeps showing the family chosen last.
            break;
    }

    static constexpr int kBmpIds[] = {kIdBmp24, kIdBmp565, kIdBmp555, kIdBmp8};
    groups.CheckItem(kBmpIds[(settings.bmpVariant & kColourVariantMask) >> 2], true, true);

    switch (settings.pngVariant & kColourVariantMask) {
        case kVariant24:
            groups.CheckItem(kIdPng24, true, true);
            break;
        case kVariant8:
            groups.CheckItem(kIdPng8, true, true);
            break;
        default:
            // 16-bit PNG has no menu item: no PNG variant is marked.
            groups.SetGroupChecked(kPngVariantGroup, false);
            break;
    }

    static constexpr int kJpegIds[] = {kIdJpegHigh, kIdJpegStandard, kIdJpegMedium, kIdJpegLow};
    groups.CheckItem(kJpegIds[settings.jpegVariant & kJpegLevelMask], true, true);

    groups.CheckItem(kIdZoomView, settings.zoomVisible != 0, false);
    groups.CheckItem(kIdTaskTray, settings.inTaskTray != 0, false);
}

}  // namespace mrv
