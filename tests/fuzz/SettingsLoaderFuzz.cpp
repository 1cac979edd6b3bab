// libFuzzer harness for the settings file loader. Any bytes must load without
// a crash or sanitizer report; a rejected file must leave the record alone; an
// accepted one must have every field in range and be a fixed point of
// encode/decode. The bytes after the record drive the selection geometry with
// the loaded settings, so values a damaged file can hold are also tried in the
// arithmetic that reads them.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "selection/Selection.h"
#include "settings/Settings.h"
#include "tests/unit/settings/SettingsInvariants.h"

namespace {

void Fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
    std::abort();
}

int TakeInt(const std::uint8_t*& p, const std::uint8_t* end) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(p < end ? *p++ : 0) << (8 * i);
    // Pointer coordinates come from 16-bit message words; screen sizes are
    // small positive numbers. Keep the fuzzed values in what callers can pass.
    return static_cast<std::int16_t>(v & 0xFFFF);
}

void DriveSelection(const mrv::Settings& settings, const std::uint8_t* p, const std::uint8_t* end) {
    mrv::Selection sel;
    sel.BindSettings(settings);
    sel.SetScreenSize(TakeInt(p, end) & 0x3FFF, TakeInt(p, end) & 0x3FFF);
    while (p < end) {
        const int op = *p++ % 8;
        const int x = TakeInt(p, end);
        const int y = TakeInt(p, end);
        switch (op) {
            case 0:
                sel.mode = sel.Classify(x, y);
                (void)sel.IsNear(x, y);
                break;
            case 1:
                sel.BeginDrag(x, y);
                break;
            case 2:
                sel.BeginMove(x, y);
                break;
            case 3:
                sel.ResizeTo(x, y, (y & 1) ? settings.gridSize : 1);
                break;
            case 4:
                sel.MoveGrabTo(x, y);
                break;
            case 5:
                sel.EndDrag(x, y, settings.gridSize);
                break;
            case 6:
                sel.Nudge(x & 3, (y & 1) ? settings.gridSize : 1);
                break;
            default:
                (void)sel.FrameDirtyRect();
                (void)sel.FrameRingGeometry();
                break;
        }
        if (sel.width < 0 || sel.height < 0 || sel.left < 0 || sel.top < 0 ||
            sel.left + sel.width > sel.maxWidth || sel.top + sel.height > sel.maxHeight) {
            Fail("selection left the screen", std::to_string(sel.left) + "," +
                                                  std::to_string(sel.top) + " " +
                                                  std::to_string(sel.width) + "x" +
                                                  std::to_string(sel.height));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    mrv::Settings settings;
    mrv::ResetSettings(settings, "C:\\exe\\");
    const std::vector<std::uint8_t> before = mrv::EncodeSettings(settings);

    const int result = mrv::DecodeSettings(data, size, settings);
    const bool acceptable = size >= mrv::kSettingsFileSize && std::memcmp(data, "ver_0_87", 8) == 0;
    if (result != (acceptable ? 1 : 0)) Fail("wrong result", std::to_string(result));
    if (result == 0) {
        if (mrv::EncodeSettings(settings) != before) Fail("rejected file changed the record", "");
        return 0;
    }
    const std::string violation = mrv::testing::FirstSettingsViolation(settings);
    if (!violation.empty()) Fail("field out of range", violation);

    const std::vector<std::uint8_t> image = mrv::EncodeSettings(settings);
    mrv::Settings again;
    if (mrv::DecodeSettings(image.data(), image.size(), again) != 1 ||
        mrv::EncodeSettings(again) != image) {
        Fail("loaded record is not stable", "");
    }
    DriveSelection(settings, data + mrv::kSettingsFileSize, data + size);
    return 0;
}
