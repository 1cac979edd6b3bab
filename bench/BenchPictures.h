// Deterministic test pictures for the imaging benchmark, as the snapshot holds
// them: 32-bit B, G, R, unused, top-down, tightly packed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/PixelView.h"

namespace mrv::bench {

struct Picture {
    std::string name;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bgrx;

    imaging::PixelView View() const {
        imaging::PixelView v;
        v.data = bgrx.data();
        v.width = width;
        v.height = height;
        v.stride = static_cast<std::ptrdiff_t>(width) * 4;
        v.format = imaging::PixelFormat::kBgrx32;
        return v;
    }
};

// "ui": overlapping windows with sub-pixel anti-aliased text (a few thousand
// colours). "flat": the same scene with plain text (under 256 colours).
// "gradient": smooth colour ramps. "photo": smooth fields plus sensor-like
// noise. "mixed": the UI with a photograph shown in one window.
Picture MakePicture(const std::string& name, int width, int height);

// Distinct colours of a picture.
int CountColours(const Picture& picture);

}  // namespace mrv::bench
