// The interface face by what it can show, and the rules of the program's own
// message box.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "base/FontChoice.h"
#include "base/MessageBoxModel.h"

namespace mrv {
namespace {

// Installed families with the characters each has glyphs for.
struct FakeCatalogue final : FontCatalogue {
    std::map<std::wstring, std::wstring, std::less<>> installed;
    std::vector<std::wstring> shiftJis;
    int enumerations = 0;

    bool Shows(std::wstring_view face, std::wstring_view characters) override {
        const auto found = installed.find(face);
        return found != installed.end() &&
               characters.find_first_not_of(found->second) == std::wstring_view::npos;
    }
    std::vector<std::wstring> ShiftJisFamilies() override {
        ++enumerations;
        return shiftJis;
    }
};

constexpr std::wstring_view kTexts = L"画像設定ｷｬﾝｾﾙ OK";

TEST(FontChoiceTest, CharacterSetKeepsEachDrawnCharacterOnceInOrder) {
    CharacterSet set;
    set.Add(L"設定\t画像\r\n");
    set.Add(L"画像 OK");
    EXPECT_EQ(set.Characters(), L"設定画像 OK");
}

TEST(FontChoiceTest, TheFirstPreferredFamilyThatShowsEveryCharacterWins) {
    FakeCatalogue fonts;
    fonts.installed[L"MS UI Gothic"] = std::wstring(kTexts);
    fonts.installed[L"Meiryo UI"] = std::wstring(kTexts);
    FaceChoice choice = ChooseInterfaceFace(fonts, kTexts);
    EXPECT_EQ(choice.face, L"MS UI Gothic");
    EXPECT_TRUE(choice.legible);
    EXPECT_EQ(fonts.enumerations, 0);  // no enumeration when the list has one

    // Installed but one half-width katakana short: skipped, though earlier.
    fonts.installed[L"MS UI Gothic"] = L"画像設定ｷｬﾝ OK";
    fonts.installed[L"IPAGothic"] = std::wstring(kTexts);
    choice = ChooseInterfaceFace(fonts, kTexts);
    EXPECT_EQ(choice.face, L"Meiryo UI");  // before IPAGothic in the list
    fonts.installed.erase(L"Meiryo UI");
    EXPECT_EQ(ChooseInterfaceFace(fonts, kTexts).face, L"IPAGothic");
}

TEST(FontChoiceTest, ShiftJisFamiliesComeNextAndNothingLegibleKeepsTheDesignFace) {
    FakeCatalogue fonts;
    fonts.installed[L"@Kaku"] = std::wstring(kTexts);  // the vertical variant
    fonts.installed[L"Mincho"] = L"画像設定";
    fonts.installed[L"Kaku"] = std::wstring(kTexts);
    fonts.installed[L"Maru"] = std::wstring(kTexts);
    fonts.shiftJis = {L"", L"@Kaku", L"Mincho", L"Kaku", L"Maru"};
    FaceChoice choice = ChooseInterfaceFace(fonts, kTexts);
    EXPECT_EQ(choice.face, L"Kaku");
    EXPECT_TRUE(choice.legible);

    fonts.installed.erase(L"Kaku");
    fonts.installed.erase(L"Maru");
    choice = ChooseInterfaceFace(fonts, kTexts);
    EXPECT_EQ(choice.face, kDesignFace);
    EXPECT_FALSE(choice.legible);
    for (const wchar_t c : kNoJapaneseFontNotice) EXPECT_LT(c, 0x80);
}

TEST(MessageBoxModelTest, ButtonsEnterAndEscapeFollowTheSystemsBox) {
    const MessageButtons ok = ButtonsOf(mb::kOk | mb::kIconExclamation);
    ASSERT_EQ(ok.buttons.size(), 1u);
    EXPECT_EQ(ok.buttons[0].id, mb::kIdOk);
    EXPECT_EQ(ok.escapeId, mb::kIdOk);  // OK alone: Esc answers OK

    const MessageButtons okCancel = ButtonsOf(mb::kOkCancel | 0x200);  // no third button
    EXPECT_EQ(okCancel.defaultIndex, 0);
    EXPECT_EQ(okCancel.escapeId, mb::kIdCancel);

    const MessageButtons yesNo = ButtonsOf(mb::kYesNo | 0x100);  // MB_DEFBUTTON2
    ASSERT_EQ(yesNo.buttons.size(), 2u);
    EXPECT_EQ(yesNo.buttons[yesNo.defaultIndex].id, mb::kIdNo);
    EXPECT_EQ(yesNo.escapeId, 0);
    EXPECT_EQ(ButtonsOf(mb::kAbortRetryIgnore).escapeId, 0);

    const MessageButtons yesNoCancel = ButtonsOf(mb::kYesNoCancel | 0x200);
    EXPECT_EQ(yesNoCancel.buttons[yesNoCancel.defaultIndex].id, mb::kIdCancel);
    EXPECT_EQ(yesNoCancel.escapeId, mb::kIdCancel);
    EXPECT_EQ(ButtonsOf(0x0E).buttons.size(), 1u);  // an unknown type: OK alone
}

TEST(MessageBoxModelTest, LayoutKeepsTheTextClearOfTheIconAndTheButtonsInARowAtTheRight) {
    const MessageBoxGeometry plain = LayoutMessageBox(Size{300, 60}, false, {40, 90});
    EXPECT_TRUE(plain.icon.IsEmpty());
    ASSERT_EQ(plain.buttons.size(), 2u);
    // At least the minimum width; a gap between them; the last at the margin.
    EXPECT_EQ(plain.buttons[0].Width(), kMessageButtonMinWidth);
    EXPECT_EQ(plain.buttons[1].Width(), 90);
    EXPECT_EQ(plain.buttons[1].left - plain.buttons[0].right, kMessageButtonGap);
    EXPECT_EQ(plain.buttons[1].right, plain.client.width - kMessageMargin);
    EXPECT_EQ(plain.buttons[0].top, plain.text.bottom + kMessageMargin);
    EXPECT_EQ(plain.client.height, plain.buttons[0].bottom + kMessageMargin);

    // One short line beside an icon: the text moves right and stands at the
    // icon's middle; a narrow text still leaves room for the buttons.
    const MessageBoxGeometry icon = LayoutMessageBox(Size{20, 12}, true, {40, 40, 40});
    EXPECT_EQ(icon.text.left, icon.icon.right + kMessageMargin);
    EXPECT_EQ(icon.text.top, icon.icon.top + 10);
    EXPECT_EQ(icon.buttons[0].top, icon.icon.bottom + kMessageMargin);
    EXPECT_EQ(icon.buttons[0].left, kMessageMargin);
    EXPECT_GE(LayoutMessageBox(Size{1, 12}, false, {}).client.width, kMessageMinClientWidth);
}

}  // namespace
}  // namespace mrv
