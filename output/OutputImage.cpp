#include "output/OutputImage.h"

#include <algorithm>
#include <thread>

#include "settings/Settings.h"

namespace mrv {

int SaveThreads(int width, int height, unsigned hardwareThreads) {
    if (static_cast<long long>(width) * height < kThreadedSavePixels) return 1;
    return static_cast<int>(
        std::clamp(hardwareThreads, 1u, static_cast<unsigned>(kMaxSaveThreads)));
}

int OutputImage::Threads() const {
    if (threads_ > 0) return threads_;
    const imaging::ImageInfo info = imaging::GetImageInfo(image_);
    return SaveThreads(info.width, info.height, std::thread::hardware_concurrency());
}

bool OutputImage::Capture(const imaging::PixelView& snapshot, const Rect& selection) {
    ReleaseImage();
    const int threads = threads_ > 0 ? threads_
                                     : SaveThreads(selection.Width(), selection.Height(),
                                                   std::thread::hardware_concurrency());
    image_ = imaging::CreateImageFromPixels(snapshot, selection.left, selection.top,
                                            selection.Width(), selection.Height(), threads);
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
            return imaging::ReduceTo256Colours(image_, Threads());
        default:
            return imaging::ConvertTo24Bit(image_);
    }
}

bool OutputImage::Write(std::uint8_t code, imaging::ByteSink& sink) const {
    if (!image_) return false;
    switch (code & kFormatFamilyMask) {
        case kFormatFamilyBmp:
            return imaging::WriteBmp(image_, sink);
        case kFormatFamilyPng:
            return imaging::WritePng(image_, sink,
                                     imaging::PngOptions{imaging::PngFilter::kAuto, Threads()});
        case kFormatFamilyJpeg:
            return imaging::WriteJpeg(image_, jpegQuality[code & kJpegLevelMask], sink);
        default:
            return false;
    }
}

int OutputImage::DibSize() const {
    if (!dibInfo_) return 0;
    return dibInfo_->headerSize + dibInfo_->pixelSize;
}

void OutputImage::ReleaseImage() {
    imaging::ReleaseImage(image_);
    image_ = nullptr;
    dibInfo_ = nullptr;
}

}  // namespace mrv
