#include "output/OutputImage.h"

#include <utility>

#include "settings/Settings.h"

namespace mrv {

bool OutputImage::Capture(const imaging::PixelView& snapshot, const Rect& selection) {
    ReleaseImage();
    image_ = imaging::CreateImageFromPixels(snapshot, selection.left, selection.top,
                                            selection.Width(), selection.Height());
    if (!image_) return false;
    dibInfo_ = imaging::GetDibDescriptor(image_);
    return true;
}

bool OutputImage::ConvertTo(int variant) {
    if (!image_) return false;
    switch (variant) {
        case kVariant565:
            return imaging::ConvertTo16Bit(image_, imaging::kMasks565);
        case kVariant555:
            return imaging::ConvertTo16Bit(image_, imaging::kMasks555);
        case kVariant8:
            return imaging::ReduceTo256Colours(image_);
        default:
            return imaging::ConvertTo24Bit(image_);
    }
}

int OutputImage::DibSize() const {
    if (!dibInfo_) return 0;
    return dibInfo_->headerSize + dibInfo_->pixelSize;
}

bool OutputImage::EncodePng(std::vector<std::uint8_t>* png) const {
    png->clear();
    if (!image_) return false;
    imaging::VectorSink sink;
    if (!imaging::WritePng(image_, sink)) return false;
    *png = std::move(sink.bytes);
    return true;
}

void OutputImage::ReleaseImage() {
    imaging::ReleaseImage(image_);
    image_ = nullptr;
    dibInfo_ = nullptr;
}

}  // namespace mrv
