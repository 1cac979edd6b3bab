// PNG: 24-bit truecolour or 8-bit palette, one pHYs chunk at 96 dpi, deflate
// from zlib.
//
// Truecolour images are encoded by one plan, chosen per image by deflating
// sample bands every candidate way: rows all unfiltered or all adaptively
// filtered, and the deflate coding. Anti-aliased screen text compresses best
// unfiltered (the filters turn its repeated colour fringes into differences
// that repeat less), crisp text and gradients filtered; filtered photographs
// are mostly noise to LZ77, so Huffman coding alone is as small and several
// times faster, while screen content pays for a longer match search.
//
// The zlib stream is written as a raw deflate stream framed by our own header
// and Adler-32, so that it can also be produced in horizontal strips on worker
// threads, truecolour and palette rows alike: each strip's deflate is primed
// with the 32 KiB of filtered bytes before it, ended with a sync flush (byte
// aligned, so strips simply concatenate), and the strips' checksums are
// combined.
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "imaging/DibImage.h"
#include "imaging/Image.h"
#include "imaging/Parallel.h"
#include "imaging/PngEncoder.h"
#include "imaging/PngFilters.h"

namespace mrv::imaging {
namespace {

constexpr int kLevel = 6;
// 8 as zlib's default: a larger buffer of symbols per block (9) makes blocks
// adapt worse to pictures that change from screen content to photograph.
constexpr int kMemLevel = 8;
constexpr int kWindowBits = 15;
constexpr std::size_t kWindowSize = 1u << kWindowBits;
constexpr std::size_t kIdatSize = 1u << 18;
// A strip worth its own thread: smaller pictures are not split.
constexpr std::size_t kMinStripBytes = 1u << 18;

// ---------------------------------------------------------------------------
// Chunks

class ChunkWriter {
public:
    explicit ChunkWriter(ByteSink& sink) : sink_(sink) {}

    bool Write(const char* type, const std::uint8_t* data, std::size_t size) {
        if (size > 0x7FFFFFFFu) return false;
        std::uint8_t head[8];
        PutBe32(head, static_cast<std::uint32_t>(size));
        std::memcpy(head + 4, type, 4);
        uLong crc = crc32(0L, head + 4, 4);
        if (size > 0) crc = crc32(crc, data, static_cast<uInt>(size));
        std::uint8_t tail[4];
        PutBe32(tail, static_cast<std::uint32_t>(crc));
        return sink_.Write(head, 8) && (size == 0 || sink_.Write(data, size)) &&
               sink_.Write(tail, 4);
    }

    bool Signature() {
        static const std::uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
        return sink_.Write(kSignature, 8);
    }

    bool Header(int width, int height, int colourType) {
        std::uint8_t ihdr[13];
        PutBe32(ihdr, static_cast<std::uint32_t>(width));
        PutBe32(ihdr + 4, static_cast<std::uint32_t>(height));
        ihdr[8] = 8;  // bit depth
        ihdr[9] = static_cast<std::uint8_t>(colourType);
        ihdr[10] = 0;  // deflate
        ihdr[11] = 0;  // adaptive filtering method
        ihdr[12] = 0;  // not interlaced
        return Write("IHDR", ihdr, sizeof ihdr);
    }

    bool PhysicalSize() {
        std::uint8_t phys[9];
        PutBe32(phys, kPixelsPerMetre96Dpi);
        PutBe32(phys + 4, kPixelsPerMetre96Dpi);
        phys[8] = 1;  // unit: metre
        return Write("pHYs", phys, sizeof phys);
    }

private:
    ByteSink& sink_;
};

// Where a deflate stream puts its output.
class DeflateOutput {
public:
    virtual ~DeflateOutput() = default;
    // Free space to deflate into; at least one byte unless memory ran out.
    virtual std::uint8_t* Space(std::size_t* available) = 0;
    virtual bool Commit(std::size_t used) = 0;
};

// Fills IDAT chunks of kIdatSize bytes and hands each to the sink when full.
class IdatOutput final : public DeflateOutput {
public:
    explicit IdatOutput(ChunkWriter& chunks) : chunks_(chunks) {}
    bool Allocate() {
        buffer_.reset(new (std::nothrow) std::uint8_t[kIdatSize]);
        return buffer_ != nullptr;
    }
    std::uint8_t* Space(std::size_t* available) override {
        *available = kIdatSize - used_;
        return buffer_.get() + used_;
    }
    bool Commit(std::size_t used) override {
        used_ += used;
        return used_ < kIdatSize || Flush();
    }
    bool Append(const std::uint8_t* data, std::size_t size) {
        while (size > 0) {
            const std::size_t n = std::min(size, kIdatSize - used_);
            std::memcpy(buffer_.get() + used_, data, n);
            data += n;
            size -= n;
            if (!Commit(n)) return false;
        }
        return true;
    }
    bool Flush() {
        if (used_ == 0) return true;
        const bool ok = chunks_.Write("IDAT", buffer_.get(), used_);
        used_ = 0;
        return ok;
    }

private:
    ChunkWriter& chunks_;
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::size_t used_ = 0;
};

// Collects a strip's output in memory (worker threads).
class MemoryOutput final : public DeflateOutput {
public:
    std::uint8_t* Space(std::size_t* available) override {
        if (bytes.size() - used < 4096) {
            if (!Grow()) {
                *available = 0;
                return nullptr;
            }
        }
        *available = bytes.size() - used;
        return bytes.data() + used;
    }
    bool Commit(std::size_t n) override {
        used += n;
        return true;
    }
    std::vector<std::uint8_t> bytes;
    std::size_t used = 0;

private:
    bool Grow() {
        try {
            bytes.resize(std::max<std::size_t>(bytes.size() * 2, 1u << 16));
            return true;
        } catch (...) {
            return false;
        }
    }
};

// ---------------------------------------------------------------------------
// Rows

// Produces the rows of a 24-bit top-down BGR view as PNG wants them: a filter
// type byte, then R, G, B per pixel, unfiltered or adaptively filtered.
class TruecolourRows {
public:
    TruecolourRows(const PixelView& view, bool filtered)
        : view_(view), filtered_(filtered), filter_(static_cast<std::size_t>(view.width) * 3) {}

    std::size_t RowBytes() const { return 1 + static_cast<std::size_t>(view_.width) * 3; }

    bool Allocate() {
        const std::size_t length = RowBytes() - 1;
        // Two RGB rows, each with 3 zero bytes in front (the left neighbour of
        // the first pixel), and the unfiltered output row.
        storage_.reset(new (std::nothrow) std::uint8_t[2 * (length + kPad) + RowBytes()]);
        if (!storage_ || (filtered_ && !filter_.Allocate())) return false;
        cur_ = storage_.get() + kPad;
        prev_ = cur_ + length + kPad;
        plain_ = prev_ + length;
        std::memset(cur_ - kPad, 0, kPad);
        std::memset(prev_ - kPad, 0, kPad);
        plain_[0] = kFilterNone;
        return true;
    }

    // Prepares to produce row y next.
    void Seek(int y) {
        next_ = y;
        if (!filtered_) return;
        if (y == 0) {
            std::memset(prev_, 0, RowBytes() - 1);
        } else {
            ToRgb(y - 1, prev_);
        }
    }

    // The row `next_` (RowBytes() long, valid until the next call), then advances.
    const std::uint8_t* Next() {
        const int y = next_++;
        if (!filtered_) {
            ToRgb(y, plain_ + 1);
            return plain_;
        }
        ToRgb(y, cur_);
        const std::uint8_t* row = filter_.Adaptive(cur_, prev_);
        std::swap(cur_, prev_);
        return row;
    }

private:
    static constexpr std::size_t kPad = 3;

    void ToRgb(int y, std::uint8_t* rgb) const {
        const std::uint8_t* bgr = view_.Row(y);
        const std::size_t length = static_cast<std::size_t>(view_.width) * 3;
        for (std::size_t i = 0; i < length; i += 3) {
            rgb[i] = bgr[i + 2];
            rgb[i + 1] = bgr[i + 1];
            rgb[i + 2] = bgr[i];
        }
    }

    PixelView view_;
    bool filtered_;
    RowFilter filter_;
    std::unique_ptr<std::uint8_t[]> storage_;
    std::uint8_t* cur_ = nullptr;
    std::uint8_t* prev_ = nullptr;
    std::uint8_t* plain_ = nullptr;
    int next_ = 0;
};

// The rows of an 8-bit image as PNG wants them: a filter type byte (none:
// differences of palette indices mean nothing), then the indices.
class IndexRows {
public:
    explicit IndexRows(const Image& image) : image_(image) {}

    std::size_t RowBytes() const { return 1 + static_cast<std::size_t>(image_.Layout().width); }

    bool Allocate() {
        row_.reset(new (std::nothrow) std::uint8_t[RowBytes()]);
        if (!row_) return false;
        row_[0] = kFilterNone;
        return true;
    }

    void Seek(int y) { next_ = y; }

    const std::uint8_t* Next() {
        std::memcpy(row_.get() + 1, image_.Row(next_++), RowBytes() - 1);
        return row_.get();
    }

private:
    const Image& image_;
    std::unique_ptr<std::uint8_t[]> row_;
    int next_ = 0;
};

// ---------------------------------------------------------------------------
// Deflate

class RawDeflate {
public:
    RawDeflate() = default;
    RawDeflate(const RawDeflate&) = delete;
    RawDeflate& operator=(const RawDeflate&) = delete;
    ~RawDeflate() {
        if (ready_) deflateEnd(&z_);
    }

    bool Init(int strategy) {
        std::memset(&z_, 0, sizeof z_);
        ready_ = deflateInit2(&z_, kLevel, Z_DEFLATED, -kWindowBits, kMemLevel, strategy) == Z_OK;
        return ready_;
    }

    bool Init(const PngPlan& plan) {
        int strategy = Z_DEFAULT_STRATEGY;
        if (plan.coding == DeflateCoding::kFilteredMatches) strategy = Z_FILTERED;
        if (plan.coding == DeflateCoding::kHuffmanOnly) strategy = Z_HUFFMAN_ONLY;
        if (!Init(strategy)) return false;
        if (plan.goodLength != 0) {
            planEffort_ = {plan.goodLength, plan.maxLazy, plan.niceLength, plan.maxChain};
        }
        adaptiveEffort_ = plan.filtered && plan.coding != DeflateCoding::kHuffmanOnly;
        return Tune(planEffort_);
    }

    // Deflates one row. With filtered rows and match search, each stretch of
    // the row is searched with the plan's effort when it looks like screen
    // content (mostly zero after filtering) and with a minimal effort when it
    // looks like a photograph's noise, where a long search finds nothing
    // worth having and costs most of the time. zlib takes new search limits
    // between calls without ending the block.
    bool FeedRow(const std::uint8_t* row, std::size_t size, int flush, DeflateOutput& out) {
        if (!adaptiveEffort_) return Feed(row, size, flush, out);
        constexpr std::size_t kStretch = 384;
        for (std::size_t at = 0; at < size; at += kStretch) {
            const std::size_t n = std::min(kStretch, size - at);
            std::size_t zeros = 0;
            for (std::size_t i = 0; i < n; ++i) zeros += row[at + i] == 0;
            const bool noisy = zeros * 4 < n;
            if (noisy != noisy_) {
                noisy_ = noisy;
                if (!Tune(noisy ? kNoiseEffort : planEffort_)) return false;
            }
            if (!Feed(row + at, n, at + n < size ? Z_NO_FLUSH : flush, out)) return false;
        }
        return true;
    }

    bool SetDictionary(const std::uint8_t* data, std::size_t size) {
        return deflateSetDictionary(&z_, data, static_cast<uInt>(size)) == Z_OK;
    }

    // Deflates `size` bytes with `flush` (Z_NO_FLUSH, Z_SYNC_FLUSH, Z_FINISH).
    bool Feed(const std::uint8_t* data, std::size_t size, int flush, DeflateOutput& out) {
        z_.next_in = const_cast<Bytef*>(data);
        z_.avail_in = static_cast<uInt>(size);
        for (;;) {
            std::size_t available = 0;
            std::uint8_t* space = out.Space(&available);
            if (space == nullptr || available == 0) return false;
            available = std::min<std::size_t>(available, 0x7FFFFFFFu);
            z_.next_out = space;
            z_.avail_out = static_cast<uInt>(available);
            const int status = deflate(&z_, flush);
            if (status == Z_STREAM_ERROR) return false;
            if (!out.Commit(available - z_.avail_out)) return false;
            if (flush == Z_FINISH) {
                if (status == Z_STREAM_END) return true;
            } else if (z_.avail_in == 0 && z_.avail_out != 0) {
                return true;
            }
        }
    }

private:
    struct Effort {
        int goodLength, maxLazy, niceLength, maxChain;
    };
    // zlib's level 6, and a search that gives up almost at once.
    static constexpr Effort kLevel6Effort{8, 16, 128, 128};
    static constexpr Effort kNoiseEffort{4, 4, 16, 4};

    bool Tune(const Effort& e) {
        return deflateTune(&z_, e.goodLength, e.maxLazy, e.niceLength, e.maxChain) == Z_OK;
    }

    z_stream z_;
    bool ready_ = false;
    Effort planEffort_ = kLevel6Effort;
    bool adaptiveEffort_ = false;
    bool noisy_ = false;
};

// Deflates rows [first, end) of the image and returns their Adler-32 (the
// checksum of the uncompressed filtered bytes, starting from 1). makeRows()
// gives a fresh row source (TruecolourRows or IndexRows) for this strip.
template <typename MakeRows>
bool DeflateStrip(const MakeRows& makeRows, const PngPlan& plan, int first, int end, bool last,
                  DeflateOutput& out, uLong* adler) {
    auto rows = makeRows();
    if (!rows.Allocate()) return false;
    RawDeflate deflater;
    if (!deflater.Init(plan)) return false;
    const std::size_t rowBytes = rows.RowBytes();

    if (first > 0) {
        // Prime the window with what precedes the strip in the whole stream.
        const int back = static_cast<int>(std::min<std::size_t>(
            static_cast<std::size_t>(first), (kWindowSize + rowBytes - 1) / rowBytes));
        std::vector<std::uint8_t> dictionary;
        try {
            dictionary.resize(static_cast<std::size_t>(back) * rowBytes);
        } catch (...) {
            return false;
        }
        rows.Seek(first - back);
        for (int i = 0; i < back; ++i) {
            std::memcpy(dictionary.data() + static_cast<std::size_t>(i) * rowBytes, rows.Next(),
                        rowBytes);
        }
        const std::size_t size = std::min(dictionary.size(), kWindowSize);
        if (!deflater.SetDictionary(dictionary.data() + dictionary.size() - size, size))
            return false;
    }

    uLong sum = adler32(0L, nullptr, 0);
    rows.Seek(first);
    for (int y = first; y < end; ++y) {
        const std::uint8_t* row = rows.Next();
        sum = adler32(sum, row, static_cast<uInt>(rowBytes));
        const int flush = y + 1 < end ? Z_NO_FLUSH : (last ? Z_FINISH : Z_SYNC_FLUSH);
        if (!deflater.FeedRow(row, rowBytes, flush, out)) return false;
    }
    *adler = sum;
    return true;
}

// zlib stream header for a 32 KiB window at the default level: 0x78 0x9C.
constexpr std::uint8_t kZlibHeader[2] = {0x78, 0x9C};

// The zlib stream of `height` rows of `rowBytes` (filter byte included).
template <typename MakeRows>
bool WriteImageData(const MakeRows& makeRows, int height, std::size_t rowBytes, const PngPlan& plan,
                    int threads, IdatOutput& idat) {
    if (!idat.Append(kZlibHeader, 2)) return false;

    const std::size_t total = rowBytes * static_cast<std::size_t>(height);
    // Two strips a thread when there is enough work, handed out one at a time,
    // so that a strip heavy with photograph does not leave a core idle.
    int strips = 1;
    if (threads > 1) {
        strips = static_cast<int>(
            std::min<std::size_t>(2 * static_cast<std::size_t>(threads), total / kMinStripBytes));
        strips = std::max(strips, 1);
    }

    uLong adler = 0;
    if (strips == 1) {
        if (!DeflateStrip(makeRows, plan, 0, height, true, idat, &adler)) return false;
    } else {
        struct Strip {
            int first = 0;
            int end = 0;
            MemoryOutput out;
            uLong adler = 1;
            bool ok = false;
        };
        std::vector<Strip> work(static_cast<std::size_t>(strips));
        for (int i = 0; i < strips; ++i) {
            const Span span = PartOf(height, strips, i);
            work[static_cast<std::size_t>(i)].first = span.first;
            work[static_cast<std::size_t>(i)].end = span.end;
        }
        if (!RunInParallel(work.size(), threads, [&](std::size_t i, int) {
                Strip& s = work[i];
                s.ok = DeflateStrip(makeRows, plan, s.first, s.end, i + 1 == work.size(), s.out,
                                    &s.adler);
            }))
            return false;

        adler = adler32(0L, nullptr, 0);
        for (Strip& s : work) {
            if (!s.ok) return false;
            // z_off_t is 32-bit on Windows: a strip is at most half of a DIB
            // that fits an int32, so its length does too.
            const z_off_t length =
                static_cast<z_off_t>(rowBytes * static_cast<std::size_t>(s.end - s.first));
            adler = adler32_combine(adler, s.adler, length);
            if (!idat.Append(s.out.bytes.data(), s.out.used)) return false;
        }
    }

    std::uint8_t trailer[4];
    PutBe32(trailer, static_cast<std::uint32_t>(adler));
    return idat.Append(trailer, 4) && idat.Flush();
}

// ---------------------------------------------------------------------------
// Filter choice

// Counts deflated bytes without keeping them.
class CountingOutput final : public DeflateOutput {
public:
    std::uint8_t* Space(std::size_t* available) override {
        *available = sizeof buffer_;
        return buffer_;
    }
    bool Commit(std::size_t n) override {
        count += n;
        return true;
    }
    std::size_t count = 0;

private:
    std::uint8_t buffer_[16384];
};

std::size_t DeflatedSize(const std::vector<std::uint8_t>& rows, std::size_t rowBytes,
                         const PngPlan& plan) {
    RawDeflate deflater;
    CountingOutput counter;
    if (!deflater.Init(plan)) return static_cast<std::size_t>(-1);
    for (std::size_t at = 0; at < rows.size(); at += rowBytes) {
        const int flush = at + rowBytes < rows.size() ? Z_NO_FLUSH : Z_FINISH;
        if (!deflater.FeedRow(rows.data() + at, rowBytes, flush, counter))
            return static_cast<std::size_t>(-1);
    }
    return counter.count;
}

bool CollectRows(const PixelView& view, bool filtered, const std::vector<int>& bandStarts,
                 int bandRows, std::vector<std::uint8_t>* out) {
    TruecolourRows rows(view, filtered);
    if (!rows.Allocate()) return false;
    try {
        for (int start : bandStarts) {
            rows.Seek(start);
            for (int y = start; y < std::min(view.height, start + bandRows); ++y) {
                const std::uint8_t* row = rows.Next();
                out->insert(out->end(), row, row + rows.RowBytes());
            }
        }
    } catch (...) {
        return false;
    }
    return true;
}

}  // namespace

std::vector<PngPlan> CandidatePlans() {
    // Screen content: a longer search than level 6 finds the repeats of text
    // and window parts further back, for little time on such compressible
    // rows. Unfiltered rows take the longer search; filtered ones keep it
    // shorter, because smooth gradients filter into long runs of repeating
    // differences whose match search gets slow.
    const PngPlan screenUnfiltered{false, DeflateCoding::kMatches, 8, 32, 258, 256};
    const PngPlan screenFiltered{true, DeflateCoding::kMatches, 8, 16, 258, 128};
    const PngPlan photo{true, DeflateCoding::kFilteredMatches, 0, 0, 0, 0};
    const PngPlan noise{true, DeflateCoding::kHuffmanOnly, 0, 0, 0, 0};
    return {noise, photo, screenFiltered, screenUnfiltered};
}

PngPlan ChoosePlan(const PixelView& view, int threads) {
    // Bands of consecutive rows (Up, Average and Paeth look one row up, and
    // deflate finds most matches within a few rows) spread over the picture.
    constexpr int kBands = 6;
    constexpr int kBandRows = 8;
    std::vector<int> bandStarts;
    int bandRows = kBandRows;
    if (view.height <= kBands * kBandRows * 2) {
        bandStarts.push_back(0);
        bandRows = view.height;
    } else {
        for (int i = 0; i < kBands; ++i) {
            bandStarts.push_back(static_cast<int>(static_cast<long long>(view.height - kBandRows) *
                                                  (2 * i + 1) / (2 * kBands)));
        }
    }
    std::vector<std::uint8_t> samples[2];  // unfiltered, filtered
    const std::vector<PngPlan> plans = CandidatePlans();
    for (const bool filtered : {false, true}) {
        if (!CollectRows(view, filtered, bandStarts, bandRows, &samples[filtered ? 1 : 0]))
            return plans.front();
    }
    std::vector<std::size_t> sizes(plans.size());
    const std::size_t rowBytes = 1 + static_cast<std::size_t>(view.width) * 3;
    if (!RunInParallel(plans.size(), threads, [&](std::size_t i, int) {
            sizes[i] = DeflatedSize(samples[plans[i].filtered ? 1 : 0], rowBytes, plans[i]);
        }))
        return plans.front();
    // The first of the smallest: the order of the candidates breaks ties.
    std::size_t best = 0;
    for (std::size_t i = 1; i < plans.size(); ++i) {
        if (sizes[i] < sizes[best]) best = i;
    }
    return plans[best];
}

bool EncodeTruecolourPng(const PixelView& view, const PngPlan& plan, int threads, ByteSink& sink) {
    ChunkWriter chunks(sink);
    IdatOutput idat(chunks);
    if (!idat.Allocate()) return false;
    const auto makeRows = [&] { return TruecolourRows(view, plan.filtered); };
    return chunks.Signature() && chunks.Header(view.width, view.height, 2) &&
           chunks.PhysicalSize() &&
           WriteImageData(makeRows, view.height, 1 + static_cast<std::size_t>(view.width) * 3, plan,
                          std::max(threads, 1), idat) &&
           chunks.Write("IEND", nullptr, 0);
}

namespace {

bool WriteTruecolour(const PixelView& view, ByteSink& sink, const PngOptions& options) {
    PngPlan plan;
    switch (options.filter) {
        case PngFilter::kAuto:
            plan = ChoosePlan(view, options.threads);
            break;
        case PngFilter::kNone:
            plan = PngPlan{false, DeflateCoding::kMatches, 0, 0, 0, 0};
            break;
        case PngFilter::kAdaptive:
            plan = PngPlan{true, DeflateCoding::kFilteredMatches, 0, 0, 0, 0};
            break;
    }
    return EncodeTruecolourPng(view, plan, options.threads, sink);
}

bool WritePalette(const Image& image, int threads, ByteSink& sink) {
    const DibLayout& layout = image.Layout();
    ChunkWriter chunks(sink);
    IdatOutput idat(chunks);
    if (!idat.Allocate()) return false;
    if (!chunks.Signature() || !chunks.Header(layout.width, layout.height, 3)) return false;

    std::uint8_t plte[3 * 256];
    const std::uint8_t* palette = image.PaletteBytes();
    for (int i = 0; i < layout.paletteSize; ++i) {
        plte[3 * i] = palette[4 * i + 2];
        plte[3 * i + 1] = palette[4 * i + 1];
        plte[3 * i + 2] = palette[4 * i];
    }
    if (!chunks.Write("PLTE", plte, static_cast<std::size_t>(layout.paletteSize) * 3) ||
        !chunks.PhysicalSize())
        return false;

    // zlib's level 6 as it is, on unfiltered rows.
    const PngPlan plan{false, DeflateCoding::kMatches, 0, 0, 0, 0};
    const auto makeRows = [&] { return IndexRows(image); };
    return WriteImageData(makeRows, layout.height, 1 + static_cast<std::size_t>(layout.width), plan,
                          std::max(threads, 1), idat) &&
           chunks.Write("IEND", nullptr, 0);
}

}  // namespace

bool WritePng(const Image* image, ByteSink& sink, const PngOptions& options) {
    if (!image) return false;
    try {
        const DibLayout& layout = image->Layout();
        if (layout.bitCount == 8) return WritePalette(*image, options.threads, sink);
        if (layout.bitCount == 24) return WriteTruecolour(image->BgrView(), sink, options);

        // 16-bit pixels are written as the truecolour they stand for.
        DibLayout layout24;
        if (!DibLayout::Compute(layout.width, layout.height, 24, 0, false, &layout24)) return false;
        std::unique_ptr<Image> expanded = Image::Allocate(layout24);
        if (!expanded) return false;
        for (int y = 0; y < layout.height; ++y) ExpandRowToBgr(*image, y, expanded->Row(y));
        return WriteTruecolour(expanded->BgrView(), sink, options);
    } catch (...) {
        return false;  // out of memory in a container; the sink's bytes are garbage
    }
}

}  // namespace mrv::imaging
