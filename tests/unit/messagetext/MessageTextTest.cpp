// Placeholders of the string-table texts are filled in order, from texts
// that are never themselves read as patterns.
#include <gtest/gtest.h>

#include "output/MessageText.h"

namespace mrv {
namespace {

TEST(FillPlaceholders, FillsTheProgramsTextsInOrder) {
    // The folder message names the missing folder first, then the new one.
    EXPECT_EQ(
        FillPlaceholders(L"「%s」\nが存在しません．\n「%s」\nを保存ディレクトリに設定します．",
                         {L"D:\\gone\\", L"C:\\app\\"}),
        L"「D:\\gone\\」\nが存在しません．\n「C:\\app\\」\nを保存ディレクトリに設定します．");
    EXPECT_EQ(FillPlaceholders(L"連番保存の番号が %d に達しました．", {L"10000"}),
              L"連番保存の番号が 10000 に達しました．");
    EXPECT_EQ(FillPlaceholders(L"「 %s 」を保存しました．", {L"img0000.bmp"}),
              L"「 img0000.bmp 」を保存しました．");
}

TEST(FillPlaceholders, ArgumentsAreNeverPatterns) {
    // A file called "100%s%d.png" is shown as it is called.
    EXPECT_EQ(FillPlaceholders(L"「 %s 」", {L"100%s%d.png"}), L"「 100%s%d.png 」");
    EXPECT_EQ(FillPlaceholders(L"%s|%s", {L"%s", L"b"}), L"%s|b");
}

TEST(FillPlaceholders, OddPatternsStayBounded) {
    EXPECT_EQ(FillPlaceholders(L"%s and %s", {L"one"}), L"one and ");  // arguments run out
    EXPECT_EQ(FillPlaceholders(L"plain", {L"unused"}), L"plain");
    EXPECT_EQ(FillPlaceholders(L"100%% %x %", {}), L"100% %x %");  // no placeholder but %%
    EXPECT_EQ(FillPlaceholders(L"", {L"x"}), L"");
}

}  // namespace
}  // namespace mrv
