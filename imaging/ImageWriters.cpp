// BMP and the JPEG entry point. PNG has its own file.
#include <algorithm>
#include <memory>

#include "imaging/DibImage.h"
#include "imaging/Image.h"

#if __has_include("imaging/JpegWriter.h")
#include "imaging/JpegWriter.h"
#define MRV_HAVE_JPEG_WRITER 1
#else
#define MRV_HAVE_JPEG_WRITER 0
#endif

namespace mrv::imaging {

bool WriteBmp(const Image* image, ByteSink& sink) {
    if (!image) return false;
    const DibDescriptor& d = image->Descriptor();
    // BITMAPFILEHEADER: "BM", file size, two reserved words, offset of the rows.
    // DibLayout keeps the total 14 bytes under INT32_MAX, so both fit.
    std::uint8_t head[14] = {'B', 'M'};
    PutLe32(head + 2, static_cast<std::uint32_t>(14 + d.headerSize + d.pixelSize));
    PutLe32(head + 10, static_cast<std::uint32_t>(14 + d.headerSize));
    return sink.Write(head, sizeof head) &&
           sink.Write(d.dib, static_cast<std::size_t>(d.headerSize) +
                                 static_cast<std::size_t>(d.pixelSize));
}

bool WriteJpeg(const Image* image, int quality, ByteSink& sink) {
    if (!image) return false;
    quality = std::clamp(quality, 0, 100);
#if MRV_HAVE_JPEG_WRITER
    try {
        // The DIB's rows, viewed top-down with a negative stride: no copy.
        if (image->Layout().bitCount == 24) return WriteJpeg(image->BgrView(), quality, sink);
        DibLayout layout;
        if (!DibLayout::Compute(image->Layout().width, image->Layout().height, 24, 0, false,
                                &layout))
            return false;
        std::unique_ptr<Image> expanded = Image::Allocate(layout);
        if (!expanded) return false;
        for (int y = 0; y < layout.height; ++y) ExpandRowToBgr(*image, y, expanded->Row(y));
        return WriteJpeg(expanded->BgrView(), quality, sink);
    } catch (...) {
        return false;
    }
#else
    (void)sink;
    return false;
#endif
}

}  // namespace mrv::imaging
