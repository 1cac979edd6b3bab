// The texts of a dialog template read from its bytes, in both layouts, and
// templates cut short at every length.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "settings/DialogTemplate.h"

namespace mrv {
namespace {

class Bytes {
public:
    Bytes& U16(std::uint16_t v) {
        data.push_back(static_cast<std::uint8_t>(v));
        data.push_back(static_cast<std::uint8_t>(v >> 8));
        return *this;
    }
    Bytes& U32(std::uint32_t v) { return U16(static_cast<std::uint16_t>(v)).U16(v >> 16); }
    Bytes& Zeros(int n) {
        data.insert(data.end(), static_cast<std::size_t>(n), 0);
        return *this;
    }
    Bytes& Text(std::u16string_view text) {
        for (const char16_t c : text) U16(c);
        return U16(0);
    }
    Bytes& Ordinal(std::uint16_t v) { return U16(0xFFFF).U16(v); }
    Bytes& Align() {
        while (data.size() % 4 != 0) data.push_back(0);
        return *this;
    }
    std::vector<std::uint8_t> data;
};

constexpr std::uint32_t kPopupSetFont = 0x80000000u | 0x40;

// DIALOG: "設定" in 9-point "ＭＳ Ｐゴシック"; a button, an icon (a title by
// ordinal), an edit without a title, and a control with creation data.
std::vector<std::uint8_t> PlainTemplate() {
    Bytes b;
    b.U32(kPopupSetFont).U32(0).U16(4).Zeros(8);
    b.U16(0).U16(0).Text(u"設定").U16(9).Text(u"ＭＳ Ｐゴシック");
    b.Align().U32(0).U32(0).Zeros(8).U16(1).Ordinal(0x80).Text(u"OK").U16(0);
    b.Align().U32(0).U32(0).Zeros(8).U16(2).Ordinal(0x82).Ordinal(109).U16(0);
    b.Align().U32(0).U32(0).Zeros(8).U16(3).Text(u"EDIT").U16(0).U16(0);
    b.Align().U32(0).U32(0).Zeros(8).U16(4).Ordinal(0x82).Text(u"ｷｬﾝｾﾙ").U16(6).U16(0xAAAA).U16(
        0xBBBB);
    return b.data;
}

// DIALOGEX with one control carrying 3 bytes of creation data, then one more.
std::vector<std::uint8_t> ExtendedTemplate() {
    Bytes b;
    b.U16(1).U16(0xFFFF).U32(0).U32(0).U32(kPopupSetFont).U16(2).Zeros(8);
    b.Ordinal(7).Ordinal(0x8000).Text(u"拡大").U16(10).U16(400).U16(0).Text(u"Meiryo UI");
    b.Align().U32(0).U32(0).U32(0).Zeros(8).U32(1).Ordinal(0x80).Text(u"はい").U16(3).Zeros(3);
    b.Align().U32(0).U32(0).U32(0).Zeros(8).U32(2).Text(u"Static").Text(u"いいえ").U16(0);
    return b.data;
}

TEST(DialogTemplateTest, ReadsCaptionFontAndControlTitlesOfBothLayouts) {
    const std::vector<std::uint8_t> plain = PlainTemplate();
    DialogTexts texts;
    ASSERT_TRUE(ReadDialogTexts(plain.data(), plain.size(), &texts));
    EXPECT_EQ(texts.caption, L"設定");
    EXPECT_EQ(texts.fontFace, L"ＭＳ Ｐゴシック");
    EXPECT_EQ(texts.pointSize, 9);
    EXPECT_EQ(texts.controls, (std::vector<std::wstring>{L"OK", L"ｷｬﾝｾﾙ"}));

    const std::vector<std::uint8_t> ex = ExtendedTemplate();
    ASSERT_TRUE(ReadDialogTexts(ex.data(), ex.size(), &texts));
    EXPECT_EQ(texts.caption, L"拡大");
    EXPECT_EQ(texts.fontFace, L"Meiryo UI");
    EXPECT_EQ(texts.pointSize, 10);
    EXPECT_EQ(texts.controls, (std::vector<std::wstring>{L"はい", L"いいえ"}));
}

TEST(DialogTemplateTest, ATemplateCutShortIsRefusedAtEveryLength) {
    for (const std::vector<std::uint8_t>& whole : {PlainTemplate(), ExtendedTemplate()}) {
        for (std::size_t n = 0; n < whole.size(); ++n) {
            // A copy of exactly n bytes, so a read past the end is caught.
            const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + n);
            DialogTexts texts;
            // The final control's creation data may end at the last byte.
            EXPECT_FALSE(ReadDialogTexts(cut.data(), cut.size(), &texts)) << n;
        }
    }
    DialogTexts texts;
    EXPECT_FALSE(ReadDialogTexts(nullptr, 0, &texts));
}

}  // namespace
}  // namespace mrv
