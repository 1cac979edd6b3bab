// Copies reach the clipboard as one CF_DIB of the selection, full colour or
// reduced; a clipboard held by someone else is retried, then given up.
#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "OutputTestSupport.h"
#include "output/Clipboard_win.h"
#include "output/OutputImage.h"
#include "output/SnapshotPixels_win.h"

namespace mrv {
namespace {

std::vector<std::uint8_t> ClipboardDib() {
    std::vector<std::uint8_t> bytes;
    if (!OpenClipboard(nullptr)) return bytes;
    HANDLE h = GetClipboardData(CF_DIB);
    if (const auto* p = static_cast<const std::uint8_t*>(h ? GlobalLock(h) : nullptr)) {
        bytes.assign(p, p + GlobalSize(h));
        GlobalUnlock(h);
    }
    CloseClipboard();
    return bytes;
}

// Another thread holds the clipboard open until it is let go.
class Holder {
public:
    Holder()
        : thread_([this] {
              held = OpenClipboard(nullptr) != FALSE;
              SetEvent(opened_);
              WaitForSingleObject(letGo_, INFINITE);
              if (held) CloseClipboard();
          }) {
        WaitForSingleObject(opened_, INFINITE);
    }
    ~Holder() {
        LetGo();
        CloseHandle(opened_);
        CloseHandle(letGo_);
    }
    void LetGo() {
        SetEvent(letGo_);
        if (thread_.joinable()) thread_.join();
    }
    bool held = false;

private:
    HANDLE opened_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE letGo_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread thread_;
};

class ClipboardTest : public ::testing::Test {
protected:
    ~ClipboardTest() override { DestroyWindow(owner); }
    test::DecodedDib Copy(int variant) {
        EXPECT_TRUE(
            CaptureAndCopy(owner, image, ViewOfDibSection(snapshot.Bitmap()), selection, variant));
        const std::vector<std::uint8_t> dib = ClipboardDib();
        return test::DecodeDib(dib.data(), dib.size());
    }

    HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                                 nullptr);
    test::Snapshot snapshot{120, 90};
    Rect selection = Rect::FromXYWH(10, 20, 97, 31);
    OutputImage image;
};

TEST_F(ClipboardTest, CopiesCarryTheSelectionFullOrReduced) {
    const test::DecodedDib full = Copy(kVariantAsCaptured);
    ASSERT_TRUE(full.ok);
    EXPECT_EQ(full.width, 97);
    EXPECT_EQ(std::abs(full.height), 31);
    EXPECT_EQ(full.bitCount, 24);
    for (int y = 0; y < 31; ++y)
        for (int x = 0; x < 97; ++x) ASSERT_EQ(full.At(x, y), snapshot.At(10 + x, 20 + y));

    const test::DecodedDib reduced = Copy(0x0C);  // 3007 pixels of many colours
    ASSERT_TRUE(reduced.ok);
    EXPECT_EQ(reduced.width, 97);
    EXPECT_EQ(std::abs(reduced.height), 31);
    EXPECT_EQ(reduced.bitCount, 8);
    EXPECT_GT(reduced.colours, 0);
    EXPECT_LE(reduced.colours, 256);
    // The next copy starts from the snapshot again, not from the reduction.
    EXPECT_EQ(Copy(kVariantAsCaptured).pixels, full.pixels);

    // Nothing captured: nothing copied, the clipboard keeps what it had.
    EXPECT_FALSE(CaptureAndCopy(owner, image, ViewOfDibSection(snapshot.Bitmap()),
                                Rect::FromXYWH(100, 80, 30, 30), kVariantAsCaptured));
    EXPECT_FALSE(CopyToClipboard(owner, image, kVariantAsCaptured));
    const std::vector<std::uint8_t> kept = ClipboardDib();
    EXPECT_EQ(test::DecodeDib(kept.data(), kept.size()).pixels, full.pixels);
}

TEST_F(ClipboardTest, AHeldClipboardIsRetriedThenGivenUp) {
    ASSERT_TRUE(Copy(kVariantAsCaptured).ok);
    const std::vector<std::uint8_t> before = ClipboardDib();
    const std::uint8_t other[64] = {40};
    {
        Holder holder;
        ASSERT_TRUE(holder.held);
        int pauses = 0;
        EXPECT_FALSE(PutOnClipboardWithRetry(owner, other, sizeof other, CF_DIB, 5,
                                             [&pauses] { ++pauses; }));
        EXPECT_EQ(pauses, 4) << "one pause between two attempts";
        EXPECT_FALSE(PutOnClipboard(owner, other, sizeof other));
    }
    EXPECT_EQ(ClipboardDib(), before) << "a copy that gave up leaves the clipboard alone";

    Holder holder;  // let go during the retries: the copy gets through
    EXPECT_TRUE(PutOnClipboardWithRetry(owner, other, sizeof other, CF_DIB, 5,
                                        [&holder] { holder.LetGo(); }));
    EXPECT_EQ(ClipboardDib().at(0), 40);
}

}  // namespace
}  // namespace mrv
