#include "output/Clipboard_win.h"

#include <cstring>
#include <vector>

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
    GlobalBlock() = default;
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;
    ~GlobalBlock() {
        if (handle != nullptr) GlobalFree(handle);
    }
};

bool FillBlock(GlobalBlock& block, const ClipboardBlock& source) {
    if (source.data == nullptr || source.size == 0 || source.format == 0) return false;
    block.handle = GlobalAlloc(GMEM_MOVEABLE, source.size);
    if (block.handle == nullptr) return false;
    void* target = GlobalLock(block.handle);
    if (target == nullptr) return false;
    std::memcpy(target, source.data, source.size);
    GlobalUnlock(block.handle);
    return true;
}

}  // namespace

UINT PngClipboardFormat() {
    static const UINT format = RegisterClipboardFormatW(L"PNG");
    return format;
}

bool PutOnClipboardWithRetry(HWND owner, std::initializer_list<ClipboardBlock> blocks, int attempts,
                             const std::function<void()>& wait) {
    if (blocks.size() == 0) return false;
    std::vector<GlobalBlock> memory(blocks.size());
    std::size_t i = 0;
    for (const ClipboardBlock& b : blocks) {
        if (!FillBlock(memory[i++], b)) return false;
    }

    bool opened = false;
    for (int attempt = 0; attempt < attempts && !opened; ++attempt) {
        if (attempt > 0 && wait) wait();
        opened = OpenClipboard(owner) != FALSE;
    }
    if (!opened) return false;
    bool handedOver = EmptyClipboard() != FALSE;
    i = 0;
    for (const ClipboardBlock& b : blocks) {
        GlobalBlock& block = memory[i++];
        if (handedOver && SetClipboardData(b.format, block.handle) != nullptr) {
            block.handle = nullptr;  // the clipboard owns it now
        } else {
            handedOver = false;
        }
    }
    CloseClipboard();
    return handedOver;
}

bool PutOnClipboard(HWND owner, std::initializer_list<ClipboardBlock> blocks) {
    return PutOnClipboardWithRetry(owner, blocks, kOpenAttempts, [] { Sleep(kRetryPauseMs); });
}

bool PutOnClipboard(HWND owner, const std::uint8_t* data, std::size_t size, UINT format) {
    return PutOnClipboard(owner, {ClipboardBlock{format, data, size}});
}

bool CopyToClipboard(HWND owner, OutputImage& image, int variant) {
    if (image.Image() == nullptr) return false;
    if (variant != kVariantAsCaptured) (void)image.ConvertTo(variant);
    const imaging::DibDescriptor* dib = image.DibInfo();
    const int size = image.DibSize();
    if (dib == nullptr || size <= 0) return false;
    const ClipboardBlock dibBlock{CF_DIB, dib->dib, static_cast<std::size_t>(size)};
    // The DIB comes first: readers that take the first format they know get
    // the one every Windows program reads.
    std::vector<std::uint8_t> png;
    if (!image.EncodePng(&png) || PngClipboardFormat() == 0)
        return PutOnClipboard(owner, {dibBlock});
    return PutOnClipboard(owner,
                          {dibBlock, ClipboardBlock{PngClipboardFormat(), png.data(), png.size()}});
}

bool CaptureAndCopy(HWND owner, OutputImage& image, const imaging::PixelView& snapshot,
                    const Rect& selection, int variant) {
    if (!image.Capture(snapshot, selection)) return false;
    return CopyToClipboard(owner, image, variant);
}

}  // namespace mrv
