#include "settings/DialogTemplate.h"

namespace mrv {
namespace {

constexpr std::uint32_t kSetFont = 0x40;  // DS_SETFONT, also part of DS_SHELLFONT

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool Skip(std::size_t n) {
        if (n > size_ - at_) return false;
        at_ += n;
        return true;
    }
    bool U16(std::uint16_t* v) {
        if (size_ - at_ < 2) return false;
        *v = static_cast<std::uint16_t>(data_[at_] | data_[at_ + 1] << 8);
        at_ += 2;
        return true;
    }
    bool U32(std::uint32_t* v) {
        std::uint16_t lo = 0, hi = 0;
        if (!U16(&lo) || !U16(&hi)) return false;
        *v = lo | static_cast<std::uint32_t>(hi) << 16;
        return true;
    }
    // A name or an ordinal; an ordinal leaves `text` empty.
    bool Name(std::wstring* text) {
        text->clear();
        std::uint16_t c = 0;
        if (!U16(&c)) return false;
        if (c == 0xFFFF) return U16(&c);
        while (c != 0) {
            text->push_back(static_cast<wchar_t>(c));
            if (!U16(&c)) return false;
        }
        return true;
    }
    bool AlignTo4() { return Skip((4 - at_ % 4) % 4); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

}  // namespace

bool ReadDialogTexts(const std::uint8_t* data, std::size_t size, DialogTexts* texts) {
    *texts = DialogTexts{};
    if (data == nullptr) return false;
    Reader r(data, size);
    std::uint16_t version = 0, signature = 0;
    if (!r.U16(&version) || !r.U16(&signature)) return false;
    const bool extended = version == 1 && signature == 0xFFFF;

    std::uint32_t style = 0;
    std::uint16_t count = 0;
    std::wstring ignored;
    if (extended) {
        // helpID, exStyle, style
        if (!r.Skip(8) || !r.U32(&style)) return false;
    } else {
        style = version | static_cast<std::uint32_t>(signature) << 16;
        if (!r.Skip(4)) return false;  // exStyle
    }
    if (!r.U16(&count) || !r.Skip(8)) return false;  // x, y, cx, cy
    if (!r.Name(&ignored) || !r.Name(&ignored) || !r.Name(&texts->caption)) return false;
    if ((style & kSetFont) != 0) {
        std::uint16_t points = 0;
        if (!r.U16(&points)) return false;
        texts->pointSize = points;
        if (extended && !r.Skip(4)) return false;  // weight, italic, charset
        if (!r.Name(&texts->fontFace)) return false;
    }

    for (int i = 0; i < count; ++i) {
        if (!r.AlignTo4()) return false;
        // EX: helpID, exStyle, style, x, y, cx, cy, id (32 bits) = 24 bytes;
        // plain: style, exStyle, x, y, cx, cy, id (16 bits) = 18 bytes.
        if (!r.Skip(extended ? 24 : 18)) return false;
        std::wstring title;
        std::uint16_t extra = 0;
        if (!r.Name(&ignored) || !r.Name(&title) || !r.U16(&extra)) return false;
        // The plain layout counts its size word in the creation data; EX does not.
        if (!r.Skip(extended || extra == 0 ? extra : extra - 2u)) return false;
        if (!title.empty()) texts->controls.push_back(std::move(title));
    }
    return true;
}

}  // namespace mrv
