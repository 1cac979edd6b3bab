#include "tests/unit/settings/SettingsInvariants.h"

#include <cstring>

namespace mrv::testing {
namespace {

bool In(long long v, long long lo, long long hi) {
    return v >= lo && v <= hi;
}

}  // namespace

std::string FirstSettingsViolation(const Settings& s) {
    // Written from the documented ranges, not from the codec's table.
    const struct {
        const char* name;
        long long value;
        long long lo;
        long long hi;
    } ranges[] = {
        {"zoomSnapToCorner", s.zoomSnapToCorner, 0, 1},
        {"zoomVisible", s.zoomVisible, 0, 1},
        {"toolPanelVisible", s.toolPanelVisible, 0, 1},
        {"dragThreshold", s.dragThreshold, 0, 64},
        {"gridSize", s.gridSize, 2, 100},
        {"drawShadow", s.drawShadow, 0, 1},
        {"minimizeAfterCopy", s.minimizeAfterCopy, 0, 1},
        {"autoSelectOnDoubleClick", s.autoSelectOnDoubleClick, 0, 1},
        {"inTaskTray", s.inTaskTray, 0, 1},
        {"frameWidth", s.frameWidth, 1, 32},
        {"handleReach", s.handleReach, 0, 256},
        {"edgeBand", s.edgeBand, 0, 256},
        {"jpegQualityHigh", s.jpegQualityHigh, 0, 100},
        {"jpegQualityStandard", s.jpegQualityStandard, 0, 100},
        {"jpegQualityMedium", s.jpegQualityMedium, 0, 100},
        {"jpegQualityLow", s.jpegQualityLow, 0, 100},
        {"zoomRadius", s.zoomRadius, 1, 49},
        {"zoomFactor", s.zoomFactor, 1, 8},
        {"messageTicks", s.messageTicks, 1, 240},
        {"numberDigits", s.numberDigits, 1, 8},
        {"overwriteExisting", s.overwriteExisting, 0, 1},
        {"resetNumberAtStartup", s.resetNumberAtStartup, 0, 1},
        {"imageFormat", s.imageFormat, 0, 0x3F},
        {"bmpVariant bits", s.bmpVariant & ~0x0C, 0, 0},
        {"pngVariant bits", s.pngVariant & ~0x0C, 0, 0},
        {"jpegVariant", s.jpegVariant, 0, 3},
        {"toolPanelCorner", s.toolPanelCorner, 1, 4},
    };
    for (const auto& r : ranges) {
        if (!In(r.value, r.lo, r.hi)) return r.name;
    }
    long long limit = 1;
    for (int i = 0; i < s.numberDigits && i < 8; ++i) limit *= 10;
    if (!In(s.saveNumber, 0, limit)) return "saveNumber";
    for (int i = 0; i < kToolButtonCount; ++i) {
        if (!In(s.toolButtons[i], 0, 1)) return "toolButtons[" + std::to_string(i) + "]";
    }
    if (std::memchr(s.baseName, '\0', sizeof s.baseName) == nullptr) return "baseName unterminated";
    if (std::memchr(s.saveFolder, '\0', sizeof s.saveFolder) == nullptr) {
        return "saveFolder unterminated";
    }
    return std::string();
}

}  // namespace mrv::testing
