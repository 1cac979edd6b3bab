#include <gtest/gtest.h>

#include "output/SaveTarget_win.h"
#include "resources/resource.h"

namespace mrv {
namespace {

// Every character of the texts survives the UTF-8 script and LoadStringW,
// line breaks and placeholders included.
TEST(StringTable, HoldsTheProgramsTextsExactly) {
    EXPECT_EQ(LoadResourceText(nullptr, IDS_FIRST_RUN),
              L"初回起動か，新しいバージョンです．設定が初期化されます．\n\n"
              L"このアプリケーションは，一時的に全画面を占有します．\n"
              L"「右クリック」でメニュー表示，「Esc キー」で強制終了します．");
    EXPECT_EQ(LoadResourceText(nullptr, IDS_FOLDER_MISSING),
              L"「%s」\nが存在しません．\n「%s」\nを保存ディレクトリに設定します．");
    EXPECT_EQ(LoadResourceText(nullptr, IDS_SAVE_FAILED), L"イメージの保存に失敗しました．");
    EXPECT_EQ(
        LoadResourceText(nullptr, IDS_NUMBER_EXHAUSTED),
        L"連番保存の番号が %d に達しました．\n 0 にリセットされます．\nもう一度保存して下さい．");
    EXPECT_EQ(LoadResourceText(nullptr, IDS_SAVE_AS_TITLE), L"名前を付けて保存");
    EXPECT_EQ(LoadResourceText(nullptr, IDS_SAVED), L"「 %s 」を保存しました．");
}

}  // namespace
}  // namespace mrv
