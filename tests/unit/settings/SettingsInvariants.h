// What loading any bytes must give. Shared by the unit tests and the fuzz
// harness, so it must not depend on GoogleTest.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "settings/FileNameCheck.h"
#include "settings/Settings.h"

namespace mrv::testing {

// The documented range of every number and flag, written apart from the
// codec's own table: record offset, field, lowest and highest value.
struct Range {
    std::size_t offset;
    std::int32_t Settings::*field;
    std::int32_t lo, hi;
};
using S = Settings;
inline const Range kRanges[] = {
    {0, &S::zoomSnapToCorner, 0, 1},     {4, &S::zoomVisible, 0, 1},
    {8, &S::toolPanelVisible, 0, 1},     {12, &S::dragThreshold, 0, 64},
    {16, &S::gridSize, 2, 100},          {20, &S::drawShadow, 0, 1},
    {24, &S::minimizeAfterCopy, 0, 1},   {28, &S::autoSelectOnDoubleClick, 0, 1},
    {32, &S::inTaskTray, 0, 1},          {36, &S::frameWidth, 1, 32},
    {40, &S::handleReach, 0, 256},       {44, &S::edgeBand, 0, 256},
    {64, &S::jpegQualityHigh, 0, 100},   {68, &S::jpegQualityStandard, 0, 100},
    {72, &S::jpegQualityMedium, 0, 100}, {76, &S::jpegQualityLow, 0, 100},
    {80, &S::zoomRadius, 1, 49},         {84, &S::zoomFactor, 1, 8},
    {88, &S::messageTicks, 1, 240},      {96, &S::numberDigits, 1, 8},
    {100, &S::overwriteExisting, 0, 1},  {104, &S::resetNumberAtStartup, 0, 1},
    {556, &S::toolPanelCorner, 1, 4}};

// Loads `data` over a record of defaults (left in `s`) and checks the outcome:
// 1 exactly for a tagged file of full length, a rejected file leaving the
// record alone, an accepted one with every field in range that loads back
// unchanged from its own image. Empty when all holds, else what failed.
inline std::string CheckLoad(const std::uint8_t* data, std::size_t size, Settings& s) {
    ResetSettings(s, "C:\\exe\\");
    const std::vector<std::uint8_t> before = EncodeSettings(s);
    const bool ok = size >= kSettingsFileSize && std::memcmp(data, "ver_0_87", 8) == 0;
    if (DecodeSettings(data, size, s) != (ok ? 1 : 0)) return "wrong result";
    if (!ok) return EncodeSettings(s) == before ? "" : "a rejected file changed the record";
    for (const Range& r : kRanges) {
        if (s.*r.field < r.lo || s.*r.field > r.hi) return "offset " + std::to_string(r.offset);
    }
    const auto flags = std::count(s.toolButtons, s.toolButtons + kToolButtonCount, 0) +
                       std::count(s.toolButtons, s.toolButtons + kToolButtonCount, 1);
    if (s.saveNumber < 0 || s.saveNumber > std::pow(10, s.numberDigits) ||
        flags != kToolButtonCount || s.imageFormat > 0x3F ||
        ((s.bmpVariant | s.pngVariant) & ~0x0C) || s.jpegVariant > 3 ||
        !std::memchr(s.baseName, 0, sizeof s.baseName) ||
        !std::memchr(s.saveFolder, 0, sizeof s.saveFolder)) {
        return "number, buttons, format bytes or texts";
    }
    const bool pngFormat = (s.imageFormat & 0x30) == 0x20;
    if (s.pngVariant == 0x04 || s.pngVariant == 0x08 ||
        (pngFormat && ((s.imageFormat & 0x0C) == 0x04 || (s.imageFormat & 0x0C) == 0x08))) {
        return "a 16-bit PNG variant";
    }
    if (!CheckBaseName(Cp932AsNameCharacters(s.baseName)).Accepted()) return "unusable base name";
    const std::vector<std::uint8_t> image = EncodeSettings(s);
    Settings again;
    if (DecodeSettings(image.data(), image.size(), again) != 1 || EncodeSettings(again) != image) {
        return "a loaded record does not load back unchanged";
    }
    return "";
}

}  // namespace mrv::testing
