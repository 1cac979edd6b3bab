#include "output/Clipboard_win.h"

#include <cstring>

#include "output/OutputImage.h"

namespace mrv {
namespace {

// Another program (a clipboard viewer, a remote-desktop client) may hold the
// clipboard open for a moment; about 100 ms of retries rides that out
// without making the copy command feel stuck when it is held for good.
constexpr int kOpenAttempts = 11;
constexpr DWORD kRetryPauseMs = 10;

// Frees the block unless the clipboard took it over.
struct GlobalBlock {
    HGLOBAL handle = nullptr;
    ~GlobalBlock() {
        if (handle != nullptr) GlobalFree(handle);
    }
};

}  // namespace

bool PutOnClipboardWithRetry(HWND owner, const std::uint8_t* data, std::size_t size, UINT format,
                             int attempts, const std::function<void()>& wait) {
    if (data == nullptr || size == 0) return false;
    GlobalBlock block;
    block.handle = GlobalAlloc(GMEM_MOVEABLE, size);
    if (block.handle == nullptr) return false;
    void* target = GlobalLock(block.handle);
    if (target == nullptr) return false;
    std::memcpy(target, data, size);
    GlobalUnlock(block.handle);

    bool opened = false;
    for (int attempt = 0; attempt < attempts && !opened; ++attempt) {
        if (attempt > 0 && wait) wait();
        opened = OpenClipboard(owner) != FALSE;
    }
    if (!opened) return false;
    bool handedOver = false;
    if (EmptyClipboard() && SetClipboardData(format, block.handle) != nullptr) {
        block.handle = nullptr;  // the clipboard owns it now
        handedOver = true;
    }
    CloseClipboard();
    return handedOver;
}

bool PutOnClipboard(HWND owner, const std::uint8_t* data, std::size_t size, UINT format) {
    return PutOnClipboardWithRetry(owner, data, size, format, kOpenAttempts,
                                   [] { Sleep(kRetryPauseMs); });
}

bool CopyToClipboard(HWND owner, OutputImage& image, int variant) {
    if (image.Image() == nullptr) return false;
    if (variant != kVariantAsCaptured) (void)image.ConvertTo(variant);
    const imaging::DibDescriptor* dib = image.DibInfo();
    const int size = image.DibSize();
    if (dib == nullptr || size <= 0) return false;
    return PutOnClipboard(owner, dib->dib, static_cast<std::size_t>(size), CF_DIB);
}

bool CaptureAndCopy(HWND owner, OutputImage& image, const imaging::PixelView& snapshot,
                    const Rect& selection, int variant) {
    if (!image.Capture(snapshot, selection)) return false;
    return CopyToClipboard(owner, image, variant);
}

}  // namespace mrv
