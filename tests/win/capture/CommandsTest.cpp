// The command table under Wine: menu marks read back from both menus, saves
// into the scratch folder, the messages they show, the toggles, and a command
// chosen in the painted menu.
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "CaptureTestSupport.h"

namespace mrv {
namespace {

using test::CaptureWindowTest;

constexpr int kFormatIds[] = {IDM_FORMAT_BMP,  IDM_BMP_24,     IDM_BMP_565,       IDM_BMP_555,
                              IDM_BMP_8,       IDM_FORMAT_PNG, IDM_PNG_24,        IDM_PNG_8,
                              IDM_FORMAT_JPEG, IDM_JPEG_HIGH,  IDM_JPEG_STANDARD, IDM_JPEG_MEDIUM,
                              IDM_JPEG_LOW};

TEST_F(CaptureWindowTest, FormatCommandsMoveTheMarksOfTheirGroupAndOfTheFamily) {
    // After each command: the format code, and the four ids marked (family,
    // BMP variant, PNG variant, JPEG quality). The variants stay marked
    // whichever family is current.
    struct Step {
        int command;
        std::uint8_t format;
        int marked[4];
    };
    const Step steps[] = {
        {IDM_BMP_555, 0x18, {IDM_FORMAT_BMP, IDM_BMP_555, IDM_PNG_8, IDM_JPEG_STANDARD}},
        {IDM_FORMAT_PNG, 0x2C, {IDM_FORMAT_PNG, IDM_BMP_555, IDM_PNG_8, IDM_JPEG_STANDARD}},
        {IDM_PNG_24, 0x20, {IDM_FORMAT_PNG, IDM_BMP_555, IDM_PNG_24, IDM_JPEG_STANDARD}},
        {IDM_JPEG_LOW, 0x33, {IDM_FORMAT_JPEG, IDM_BMP_555, IDM_PNG_24, IDM_JPEG_LOW}},
        {IDM_FORMAT_BMP, 0x18, {IDM_FORMAT_BMP, IDM_BMP_555, IDM_PNG_24, IDM_JPEG_LOW}},
        {IDM_FORMAT_JPEG, 0x33, {IDM_FORMAT_JPEG, IDM_BMP_555, IDM_PNG_24, IDM_JPEG_LOW}},
        {IDM_PNG_8, 0x2C, {IDM_FORMAT_PNG, IDM_BMP_555, IDM_PNG_8, IDM_JPEG_LOW}},
        {IDM_BMP_8, 0x1C, {IDM_FORMAT_BMP, IDM_BMP_8, IDM_PNG_8, IDM_JPEG_LOW}},
        {IDM_FORMAT_PNG, 0x2C, {IDM_FORMAT_PNG, IDM_BMP_8, IDM_PNG_8, IDM_JPEG_LOW}},
        {IDM_JPEG_HIGH, 0x30, {IDM_FORMAT_JPEG, IDM_BMP_8, IDM_PNG_8, IDM_JPEG_HIGH}},
        {IDM_BMP_565, 0x14, {IDM_FORMAT_BMP, IDM_BMP_565, IDM_PNG_8, IDM_JPEG_HIGH}},
        {IDM_JPEG_MEDIUM, 0x32, {IDM_FORMAT_JPEG, IDM_BMP_565, IDM_PNG_8, IDM_JPEG_MEDIUM}},
        {IDM_BMP_24, 0x10, {IDM_FORMAT_BMP, IDM_BMP_24, IDM_PNG_8, IDM_JPEG_MEDIUM}},
        {IDM_JPEG_STANDARD, 0x31, {IDM_FORMAT_JPEG, IDM_BMP_24, IDM_PNG_8, IDM_JPEG_STANDARD}},
        // With nothing selected these save nothing, but the family they
        // chose is the current one and the menu has to say so.
        {IDM_SAVE_SEQUENTIAL_PNG, 0x2C, {IDM_FORMAT_PNG, IDM_BMP_24, IDM_PNG_8, IDM_JPEG_STANDARD}},
        {IDM_SAVE_SEQUENTIAL_BMP, 0x10, {IDM_FORMAT_BMP, IDM_BMP_24, IDM_PNG_8, IDM_JPEG_STANDARD}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.command);
        Command(step.command);
        EXPECT_EQ(app->settings.imageFormat, step.format);
        for (int id : kFormatIds) {
            const bool want = std::find(std::begin(step.marked), std::end(step.marked), id) !=
                              std::end(step.marked);
            EXPECT_EQ(Marked(id), want) << id;
        }
        EXPECT_TRUE(Marked(IDM_ZOOM_VIEW));
        EXPECT_FALSE(Marked(IDM_TASKTRAY));
    }
    EXPECT_TRUE(Images().empty());
    EXPECT_TRUE(messages.empty());
}

TEST_F(CaptureWindowTest, IdsOutsideTheTableDoNothingAndOnlyTheLowWordNamesTheCommand) {
    app->view.menuPane.SetItemChecked(IDM_JPEG_LOW, true);  // a mark no refresh would keep
    for (int id : {0, 40007, 40025, 40027, 40050, 40057}) Command(id);
    EXPECT_TRUE(Marked(IDM_JPEG_LOW));
    EXPECT_EQ(app->settings.imageFormat, 0x10);

    app->OnCommand(MAKEWPARAM(IDM_PNG_24, 1));
    EXPECT_EQ(app->settings.imageFormat, 0x20);
    EXPECT_FALSE(Marked(IDM_JPEG_LOW));
    EXPECT_TRUE(Marked(IDM_JPEG_STANDARD));
}

TEST_F(CaptureWindowTest, PngSaveAfterPng8WritesAnIndexedPngAndShowsTheSavedLabel) {
    Select(10, 20, 33, 17);
    Command(IDM_PNG_8);
    Command(IDM_BMP_24);  // BMP is current; PNG remembers its 8 bits
    Command(IDM_SAVE_SEQUENTIAL_PNG);

    EXPECT_TRUE(messages.empty());
    ASSERT_EQ(Images(), std::vector<std::wstring>{L"img0000.png"});
    const test::PngHeader png = test::ReadPngHeader(test::ReadBytes(folder / L"img0000.png"));
    ASSERT_TRUE(png.ok);
    EXPECT_EQ(png.width, 33);
    EXPECT_EQ(png.height, 17);
    EXPECT_EQ(png.depth, 8);
    EXPECT_EQ(png.colourType, 3) << "palette";
    EXPECT_EQ(app->settings.saveNumber, 1);
    EXPECT_TRUE(Marked(IDM_FORMAT_PNG));
    EXPECT_TRUE(Marked(IDM_PNG_8));
    EXPECT_TRUE(app->view.secondLabel.IsVisible());
    EXPECT_EQ(app->view.secondLabel.Text(), L"「 img0000.png 」を保存しました．");
    EXPECT_TRUE(IsTopmost());
    EXPECT_EQ(app->modalOpen, 0);
}

TEST_F(CaptureWindowTest, CancelledSaveAsChangesNothingAndPutsTheWindowBackOnTop) {
    Select(5, 5, 20, 10);
    Command(IDM_JPEG_LOW);
    SetWindowPos(app->window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    int shown = 0;
    app->saveTarget.SetSaveDialogFunction([&](OPENFILENAMEW& d) {
        ++shown;
        EXPECT_EQ(d.hwndOwner, app->window);
        EXPECT_EQ(d.nFilterIndex, 3u) << "the JPEG filter, from the current family";
        EXPECT_FALSE(IsTopmost()) << "the dialog must be able to come to the front";
        EXPECT_EQ(app->modalOpen, 1) << "its focus change must not minimise the window";
        return SaveDialogResult::kCancelled;
    });
    Command(IDM_SAVE_AS);

    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(Images().empty());
    EXPECT_EQ(app->settings.imageFormat, 0x33);
    EXPECT_EQ(app->settings.saveNumber, 0);
    EXPECT_TRUE(Marked(IDM_FORMAT_JPEG));
    EXPECT_TRUE(Marked(IDM_JPEG_LOW));
    EXPECT_FALSE(app->view.secondLabel.IsVisible());
    EXPECT_TRUE(IsTopmost());
    // The focus coming back from the dialog only clears the flag: the user's
    // selection stays on the same frozen picture.
    SendMessageW(app->window, WM_SETFOCUS, 0, 0);
    EXPECT_EQ(app->modalOpen, 0);
    EXPECT_TRUE(PictureIntact());
}

TEST_F(CaptureWindowTest, ExhaustedNumberShowsMessageFourAndStartsAgainFromZero) {
    app->settings.numberDigits = 1;
    const wchar_t* extensions[] = {L"bmp", L"png", L"jpg"};
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(test::WriteBytes(
            folder / (L"img" + std::to_wstring(i) + L"." + extensions[i % 3]), "x"));
    Select(0, 0, 8, 8);
    SetWindowPos(app->window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
    Command(IDM_SAVE_SEQUENTIAL);

    ASSERT_EQ(messages.size(), 1u);
    const test::ShownMessage& m = messages[0];
    EXPECT_EQ(m.text,
              L"連番保存の番号が 10 に達しました．\n 0 にリセットされます．\n"
              L"もう一度保存して下さい．");
    EXPECT_EQ(m.caption, L"MORVANTE");
    EXPECT_EQ(m.type, static_cast<UINT>(MB_OK));
    EXPECT_EQ(m.owner, app->window);
    EXPECT_EQ(m.modalOpen, 1);
    EXPECT_FALSE(m.topmost) << "a box under a topmost full-screen window cannot be seen";
    EXPECT_TRUE(IsTopmost());
    EXPECT_EQ(app->settings.saveNumber, 0);
    EXPECT_EQ(Images().size(), 10u);
    EXPECT_FALSE(app->view.secondLabel.IsVisible());

    // Nothing selected: nothing is written and nothing said.
    Select(0, 0, 0, 0);
    Command(IDM_SAVE_SEQUENTIAL);
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(Images().size(), 10u);
}

TEST_F(CaptureWindowTest, TogglesFlipTheirSettingTheirMarkAndWhatTheyControl) {
    Command(IDM_ZOOM_VIEW);
    EXPECT_EQ(app->settings.zoomVisible, 0);
    EXPECT_FALSE(app->view.zoomPane.IsVisible());
    EXPECT_FALSE(Marked(IDM_ZOOM_VIEW));
    app->OnKeyDown(VK_SPACE);  // the same toggle from the keyboard
    EXPECT_EQ(app->settings.zoomVisible, 1);
    EXPECT_TRUE(app->view.zoomPane.IsVisible());
    EXPECT_TRUE(Marked(IDM_ZOOM_VIEW));

    Command(IDM_TASKTRAY);
    EXPECT_EQ(app->settings.inTaskTray, 1);
    EXPECT_TRUE(Marked(IDM_TASKTRAY));
    EXPECT_TRUE(TrayIconShown());
    Command(IDM_TASKTRAY);
    EXPECT_EQ(app->settings.inTaskTray, 0);
    EXPECT_FALSE(Marked(IDM_TASKTRAY));
    EXPECT_FALSE(TrayIconShown());

    Select(50, 60, 70, 80);
    Command(IDM_CLEAR_SELECTION);
    const Selection& s = app->view.selection;
    EXPECT_EQ(s.left, 0);
    EXPECT_EQ(s.top, 0);
    EXPECT_EQ(s.width, 0);
    EXPECT_EQ(s.height, 0);
}

TEST_F(CaptureWindowTest, ARightReleaseOnASubmenuItemRunsItAsALeftReleaseDoes) {
    MenuPane& menu = app->view.menuPane;
    // Opens the menu, opens the format submenu from its first row and rests
    // on the row of `id` there; returns where that row is.
    auto pointAtFormatItem = [&](int id) {
        app->OnRButtonUp(100, 100);
        EXPECT_TRUE(menu.IsVisible());
        app->OnMouseMove(menu.LabelLeft() + 4, menu.RowTop(0) + 4);
        MenuModel* formats = menu.OpenSubmenu();
        EXPECT_NE(formats, nullptr);
        if (formats == nullptr) return POINT{};
        const auto& items = formats->Items();
        size_t row = 0;
        while (row < items.size() && items[row].id != id) ++row;
        EXPECT_LT(row, items.size());
        const POINT p{formats->LabelLeft() + 4, formats->RowTop(row) + 4};
        app->OnMouseMove(p.x, p.y);
        return p;
    };

    POINT p = pointAtFormatItem(IDM_PNG_24);
    app->OnLButtonDown(p.x, p.y);
    app->OnLButtonUp(p.x, p.y);
    EXPECT_EQ(app->settings.imageFormat, 0x20);
    EXPECT_FALSE(menu.IsVisible());

    p = pointAtFormatItem(IDM_JPEG_MEDIUM);
    app->OnRButtonUp(p.x, p.y);
    EXPECT_EQ(app->settings.imageFormat, 0x32);
    EXPECT_TRUE(Marked(IDM_JPEG_MEDIUM));
    EXPECT_FALSE(menu.IsVisible());
}

}  // namespace
}  // namespace mrv
