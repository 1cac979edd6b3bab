// Labels measured and painted through GDI: line heights with CR LF and empty
// lines, the white box with its black border and shadow, text inside the
// margins only, and a hidden label painting nothing.
#include <gtest/gtest.h>

#include "Canvas.h"
#include "selection/LabelPane_win.h"

namespace mrv {
namespace {

constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kBlack = 0x000000;

class LabelPaintTest : public ::testing::Test {
protected:
    LabelPaintTest() {
        LOGFONTW spec;
        InitFontSpec(spec, L"MS UI Gothic", 12);
        font.reset(CreateFontIndirectW(&spec));
        label.AttachShadowStrips(&strips);
        label.Init(Size{200, 100});
        label.MakeShadowStrips();
    }
    UniqueFont font;
    PaneShadow strips;
    LabelPane label;
};

TEST_F(LabelPaintTest, MeasuredLinesGiveTheBoxSizeWithCrLfAndEmptyLines) {
    ASSERT_TRUE(font);
    GdiTextMeasurer m(nullptr, font.get());
    Size ab, empty;
    ASSERT_TRUE(m.Measure(L"ab", &ab));
    ASSERT_TRUE(m.Measure(L"", &empty));
    EXPECT_GT(ab.width, 0);
    EXPECT_GT(ab.height, 0);
    EXPECT_EQ(empty.width, 0);
    EXPECT_EQ(empty.height, ab.height);

    label.SetText(L"ab\r\ncd", m);
    EXPECT_EQ(label.LineHeight(), ab.height);
    EXPECT_EQ(label.ContentHeight(), 2 * ab.height + 2 * 3);
    Size cd;
    ASSERT_TRUE(m.Measure(L"cd", &cd));
    EXPECT_EQ(label.ContentWidth(), std::max(ab.width, cd.width) + 6);

    label.SetText(L"ab\n", m);  // a text ending in a line feed has an empty last line
    EXPECT_EQ(label.LineHeight(), ab.height);
    EXPECT_EQ(label.ContentHeight(), 2 * ab.height + 6);
}

TEST_F(LabelPaintTest, WhiteBoxBlackBorderShadowAndTextInsideTheMargins) {
    GdiTextMeasurer m(nullptr, font.get());
    label.SetText(L"320 x 200\r\nWM", m);
    label.MoveTo(10, 10);
    label.SetVisible(true);
    test::Canvas canvas(200, 100, 0x00C000);  // green, so the white box shows
    DrawLabelPane(canvas.Dc(), label, strips, font.get());

    const int w = label.ContentWidth();
    const int h = label.ContentHeight();
    const int lh = label.LineHeight();
    int darkLine0 = 0, darkLine1 = 0;
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 200; ++x) {
            const Colour c = canvas.At(x, y);
            const bool inBox = x >= 10 && x < 10 + w && y >= 10 && y < 10 + h;
            const bool border = inBox && (x == 10 || y == 10 || x == 9 + w || y == 9 + h);
            const bool inText =
                x >= 13 && x < 13 + label.TextWidth() && y >= 13 && y < 13 + label.TextHeight();
            if (border) {
                ASSERT_EQ(c, kBlack) << x << "," << y;
            } else if (inBox && !inText) {
                ASSERT_EQ(c, kWhite) << "margin " << x << "," << y;
            } else if (inText && c != kWhite) {
                (y < 13 + lh ? darkLine0 : darkLine1)++;
            }
        }
    }
    EXPECT_GT(darkLine0, 0);
    EXPECT_GT(darkLine1, 0);
    EXPECT_EQ(canvas.At(20, 10 + h + 1), MakeColour(0, 0x60, 0));  // shadow core
    EXPECT_EQ(canvas.At(10 + w + 1, 20), MakeColour(0, 0x60, 0));
    EXPECT_EQ(canvas.At(10 + w + 5, 20), MakeColour(0, 0xC0, 0));  // untouched
}

TEST_F(LabelPaintTest, ShadowOffGivesTheBareBoxAndHiddenPaintsNothing) {
    GdiTextMeasurer m(nullptr, font.get());
    label.SetShadowOn(false);
    label.SetText(L"x", m);
    label.MoveTo(10, 10);
    label.SetVisible(true);
    EXPECT_EQ(label.OuterWidth(), label.TextWidth() + 6);
    test::Canvas canvas(100, 60, 0x00C000);
    DrawLabelPane(canvas.Dc(), label, strips, font.get());
    EXPECT_EQ(canvas.At(10 + label.ContentWidth() + 1, 15), MakeColour(0, 0xC0, 0));
    EXPECT_EQ(canvas.At(15, 10 + label.ContentHeight() + 1), MakeColour(0, 0xC0, 0));

    label.SetVisible(false);
    test::Canvas blank(100, 60);
    DrawLabelPane(blank.Dc(), label, strips, font.get());
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 100; ++x) ASSERT_EQ(blank.At(x, y), kWhite);
    }
}

}  // namespace
}  // namespace mrv
