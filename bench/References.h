// The reference encoders and decoders the benchmark measures against.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/PixelView.h"

namespace mrv::bench {

using Bytes = std::vector<std::uint8_t>;

// Decoded pixels, R, G, B, top-down, tightly packed.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

// libpng at `level` with its default filters (all five, chosen per row) and
// default strategy, with the same pHYs chunk as ours. `bgr` is a 24-bit view.
Bytes LibpngEncode(const imaging::PixelView& bgr, int level);
bool LibpngDecode(const Bytes& png, RgbImage* out);

// libjpeg-turbo with default settings at `quality`; 4:2:0 below 90, 4:4:4 from
// 90 up (as ours). Takes the BGR rows directly (JCS_EXT_BGR), no conversion.
Bytes TurboEncode(const imaging::PixelView& bgr, int quality);
bool JpegDecode(const Bytes& jpeg, RgbImage* out);

// stb_image_write's JPEG writer, which wants packed RGB rows.
Bytes StbJpegEncode(const RgbImage& rgb, int quality);

// Runs `pngquant --speed 4 --nofs` on a PNG file; returns the CPU time in
// seconds (user + system) of the whole command, or a negative value when it
// failed.
double RunPngquant(const std::string& input, const std::string& output);

bool WriteFile(const std::string& path, const Bytes& bytes);
bool ReadFile(const std::string& path, Bytes* bytes);

}  // namespace mrv::bench
