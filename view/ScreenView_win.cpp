#include "view/ScreenView_win.h"

#include <utility>
#include <vector>

#include "base/InterfaceFont_win.h"
#include "base/Win32Geometry.h"
#include "resources/resource.h"
#include "view/ToolPanel_win.h"
#include "view/ZoomPane_win.h"

namespace mrv {
namespace {

// The virtual screen and every monitor in desktop coordinates.
BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM param) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(monitor, &info))
        reinterpret_cast<std::vector<Rect>*>(param)->push_back(FromRECT(info.rcMonitor));
    return TRUE;
}

MonitorLayout ReadDesktopMonitors() {
    const Rect virtualScreen =
        Rect::FromXYWH(GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                       GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
    std::vector<Rect> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    return MonitorLayout::FromDesktop(virtualScreen, monitors);
}

// The frame tiles in slot order: each next slot shifts the stripes two pixels.
constexpr int kFrameTileIds[4] = {IDB_FRAME_SLOT0, IDB_FRAME_SLOT1, IDB_FRAME_SLOT2,
                                  IDB_FRAME_SLOT3};

}  // namespace

ScreenView::ScreenView() = default;

ScreenView::~ScreenView() {
    measurer_.reset();
    if (displayDC_) DeleteDC(displayDC_);
}

int ScreenView::InitScreenView(Settings& s, HINSTANCE instance) {
    settings = &s;
    instance_ = instance;
    monitors_ = ReadDesktopMonitors();
    screenWidth_ = monitors_.size.width;
    screenHeight_ = monitors_.size.height;
    displayDC_ = CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr);
    if (!displayDC_) return 0;
    RecreateScreenBitmap();

    for (int slot = 0; slot < 4; ++slot) {
        frameTiles_[slot].reset(LoadBitmapW(instance, MAKEINTRESOURCEW(kFrameTileIds[slot])));
        if (!frameTiles_[slot]) return 0;
        framePatterns_[slot].reset(CreatePatternBrush(frameTiles_[slot].get()));
    }

    const Size screen{screenWidth_, screenHeight_};
    selection.BindSettings(s);
    selection.SetScreenSize(screenWidth_, screenHeight_);
    selection.Clear();

    toolPanel.Init(screen);
    toolPanel.Link(&selection, s.toolButtons, &s.toolPanelCorner);
    const int stripIds[3] = {IDB_TOOL_ICONS, IDB_TOOL_ICONS_150, IDB_TOOL_ICONS_200};
    for (int i = 0; i < 3; ++i)
        toolIcons_[i].reset(LoadBitmapW(instance, MAKEINTRESOURCEW(stripIds[i])));
    toolPanel.SetFlipMargin(0);
    toolPanel.SetPinned(false);
    toolPanel.AttachShadowStrips(&toolShadow_);
    toolPanel.Layout();

    zoomPane.Init(screen);
    zoomPane.LinkSelection(&selection);
    zoomPane.AttachShadowStrips(&zoomShadow_);
    zoomPane.ConfigureFromSettings(s);
    zoomPane.FollowCursor(0, 0);

    for (LabelPane* label : {&secondLabel, &firstLabel}) {
        label->Init(screen);
        label->LinkMessageTicks(&s.messageTicks);
        label->SetInnerMargin(kSizeLabelMargin);
        label->SetVisible(false);
    }
    secondLabel.AttachShadowStrips(&secondShadow_);
    firstLabel.AttachShadowStrips(&firstShadow_);
    secondLabel.MakeShadowStrips();
    firstLabel.MakeShadowStrips();

    if (!menuPane.Init(screen, instance)) return 0;
    for (Pane* pane : Panes()) pane->SetMonitors(&monitors_.monitors);

    pointerTarget = kTargetNothing;
    chosenToolButton = -1;
    chosenMenuCommand = 0;
    pinnedMode = false;

    LOGFONTW spec;
    InitFontSpec(spec, InterfaceFace().face, kInterfaceCellHeight);
    uiFont_.reset(CreateFontIndirectW(&spec));
    pinnedRegion = nullptr;
    measurer_ = MakeMeasurer();

    menu = LoadMenuW(instance, MAKEINTRESOURCEW(IDR_MENU));
    // A menu whose texts cannot be measured still shows.
    if (menu) (void)menuPane.BuildFromMenu(GetSubMenu(menu, 0));
    menuPane.Hide();

    secondLabel.SetInnerMargin(kMessageLabelMargin);
    firstLabel.SetInnerMargin(kSizeLabelMargin);

    // The panes start at 96 dpi; the monitor's scale replaces it.
    uiScale_ = UiScale();
    POINT pointer{};
    if (!GetCursorPos(&pointer)) pointer = POINT{monitors_.origin.x, monitors_.origin.y};
    (void)FollowScaleAt(pointer.x - monitors_.origin.x, pointer.y - monitors_.origin.y);

    // Magnifier, tool panel, JPEG qualities and shadows from the settings.
    ApplySettingsToView(s);
    return 1;
}

bool ScreenView::RecreateScreenBitmap() {
    screenBitmap_.reset();
    screenBits_ = nullptr;
    // A 32-bit top-down DIB section: still a bitmap for every GDI call, and
    // its pixels can be read in place by the portable code.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = screenWidth_;
    info.bmiHeader.biHeight = -screenHeight_;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(displayDC_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return false;
    screenBitmap_.reset(bitmap);
    screenBits_ = bits;
    return true;
}

int ScreenView::CaptureScreen() {
    Surface surface;
    if (surface.Select(displayDC_, screenBitmap_.get())) {
        // The display DC has desktop coordinates: the virtual screen starts
        // at its origin, left of or above (0, 0) when a monitor stands there.
        const Point origin = monitors_.origin;
        BitBlt(surface.Dc(), 0, 0, screenWidth_, screenHeight_, displayDC_, origin.x, origin.y,
               SRCCOPY);
        // What a display shows outside every monitor is undefined.
        for (const Rect& hole : monitors_.Holes()) {
            const RECT r = ToRECT(hole);
            FillRect(surface.Dc(), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        }
        GdiFlush();
    }
    return 1;
}

bool ScreenView::ReadMonitors() {
    return ApplyMonitors(ReadDesktopMonitors());
}

bool ScreenView::ApplyMonitors(const MonitorLayout& layout) {
    if (layout.origin == monitors_.origin && layout.size == monitors_.size &&
        layout.monitors == monitors_.monitors)
        return false;  // a resolution change elsewhere, or a repeated notice
    const Size old{screenWidth_, screenHeight_};
    // Snapshot pixels that showed a desktop pixel still show it: everything
    // moves by the shift of the origin.
    const int dx = monitors_.origin.x - layout.origin.x;
    const int dy = monitors_.origin.y - layout.origin.y;
    // Assigned in place: the panes keep a pointer to the monitor list.
    monitors_ = layout;
    const Size now = monitors_.size;
    if (now != old || dx != 0 || dy != 0) {
        screenWidth_ = now.width;
        screenHeight_ = now.height;
        UniqueBitmap oldBitmap(screenBitmap_.release());
        RecreateScreenBitmap();
        Surface from;
        Surface to;
        if (oldBitmap && from.Select(displayDC_, oldBitmap.get()) &&
            to.Select(displayDC_, screenBitmap_.get()))
            BitBlt(to.Dc(), dx, dy, old.width, old.height, from.Dc(), 0, 0, SRCCOPY);
        GdiFlush();
        selection.left += dx;
        selection.top += dy;
        // A move's anchor is relative to the selection; the others are not.
        if (selection.mode != MODE_MOVE) {
            selection.anchorX += dx;
            selection.anchorY += dy;
        }
    }
    for (Pane* pane : Panes()) pane->SetScreen(now);
    selection.SetScreenSize(now.width, now.height);
    if (selection.left < 0 || selection.top < 0 || selection.left + selection.width > now.width ||
        selection.top + selection.height > now.height)
        selection.Clear();
    menuPane.Dismiss();
    return true;
}

void ScreenView::PaintScreen(HDC dc) const {
    Surface surface;
    if (surface.Select(dc, screenBitmap_.get()))
        BitBlt(dc, 0, 0, screenWidth_, screenHeight_, surface.Dc(), 0, 0, SRCCOPY);
}

imaging::PixelView ScreenView::SnapshotPixels() const {
    imaging::PixelView view;
    if (!screenBits_) return view;
    view.data = static_cast<const std::uint8_t*>(screenBits_);
    view.width = screenWidth_;
    view.height = screenHeight_;
    view.stride = static_cast<std::ptrdiff_t>(screenWidth_) * 4;
    view.format = imaging::PixelFormat::kBgrx32;
    return view;
}

bool ScreenView::CaptureSelection() {
    return outputImage.Capture(SnapshotPixels(), selection.GetRect());
}

HBRUSH ScreenView::FramePattern(int phase) const {
    return framePatterns_[phase & 3].get();
}

void ScreenView::DrawScene(HDC dc) {
    PaintScreen(dc);

    if (selection.width != 0 && selection.height != 0) {
        // The ring lies outside the selection, except for a side with no room
        // before the screen's edge, which lies just inside. While pinned every
        // side stays outside: the window's region is the ring, and a live
        // capture of the selection must not hold it.
        const FrameRing ring = selection.FrameRingGeometry(!pinnedMode);
        DcStateGuard state(dc);
        SetBkMode(dc, OPAQUE);
        const Settings& s = *settings;
        SetBkColor(dc, pinnedMode ? s.pinnedFrameBackColor : s.frameBackColor);
        SetTextColor(dc, pinnedMode ? s.pinnedFrameForeColor : s.frameForeColor);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        HBRUSH pattern = FramePattern(selection.patternPhase);
        for (int i = 0; i < ring.bandCount; ++i) {
            const RECT band = ToRECT(ring.bands[i]);
            FillRect(dc, &band, pattern);
        }
    }

    DrawToolPanel(dc, toolPanel, toolShadow_,
                  scaledToolIcons_ ? scaledToolIcons_.get() : toolIcons_[0].get(),
                  screenBitmap_.get());

    // The corner-snap outline of the magnified square goes under the panes.
    if (settings->zoomSnapToCorner && toolPanel.HoverIndex() == -1) {
        const int sx = zoomPane.SourceX();
        const int sy = zoomPane.SourceY();
        const int size = zoomPane.SourceSize();
        FrameBox(dc, sx - 1, sy - 1, size + 2, size + 2, 0x000000);
        FrameBox(dc, sx - 2, sy - 2, size + 4, size + 4, 0xFFFFFF);
    }

    if (!pinnedMode) {
        if (zoomPane.IsVisible())
            DrawZoomPane(dc, zoomPane, zoomShadow_, screenBitmap_.get(),
                         FramePattern(selection.patternPhase));
        if (secondLabel.IsVisible()) DrawLabelPane(dc, secondLabel, secondShadow_, uiFont_.get());
    }

    if (!pinnedMode) {
        if (firstLabel.IsVisible()) DrawLabelPane(dc, firstLabel, firstShadow_, uiFont_.get());
        if (menuPane.IsVisible()) menuPane.Draw(dc);  // the menu is always on top
    }
}

void ScreenView::ApplySettingsToView(const Settings& s) {
    zoomPane.ConfigureFromSettings(s);
    zoomPane.SetVisible(s.zoomVisible != 0);
    toolPanel.Layout();
    toolPanel.SetVisible(s.toolPanelVisible != 0);
    outputImage.SetJpegQuality(
        {s.jpegQualityHigh, s.jpegQualityStandard, s.jpegQualityMedium, s.jpegQualityLow});
    const bool shadow = s.drawShadow != 0;
    zoomPane.SetShadowOn(shadow && zoomPane.ShadowOn());
    toolPanel.SetShadowOn(shadow && toolPanel.ShadowOn());
    firstLabel.SetShadowOn(shadow && firstLabel.MakeShadowStrips());
    secondLabel.SetShadowOn(shadow && secondLabel.MakeShadowStrips());
    menuPane.SetShadowOn(shadow);
}

UiScale ScreenView::ScaleAt(const Rect& box) const {
    const Point topLeft = monitors_.ToDesktop(Point{box.left, box.top});
    const Point bottomRight = monitors_.ToDesktop(Point{box.right, box.bottom});
    return UiScaleAt(RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y});
}

bool ScreenView::FollowScaleAt(int px, int py) {
    if (menuPane.IsVisible()) return false;
    return ApplyUiScale(ScaleAt(monitors_.MonitorAt(Point{px, py})));
}

bool ScreenView::ApplyUiScale(UiScale scale) {
    if (scale == uiScale_) return false;
    uiScale_ = scale;
    selection.uiScale = scale;

    toolPanel.SetScale(scale);
    // The ring's stripes: the program's own tiles at 96 dpi, tiles of a
    // whole larger period made here otherwise. A tile that cannot be made
    // keeps the 96-dpi one.
    const StripePattern stripes = StripePatternFor(scale);
    for (int slot = 0; slot < 4; ++slot) {
        scaledFrameTiles_[slot].reset();
        if (!scale.IsUnscaled()) {
            const std::vector<std::uint8_t> bits = StripeTileBits(stripes, slot);
            scaledFrameTiles_[slot].reset(
                CreateBitmap(stripes.period, stripes.period, 1, 1, bits.data()));
        }
        HBITMAP tile =
            scaledFrameTiles_[slot] ? scaledFrameTiles_[slot].get() : frameTiles_[slot].get();
        UniqueBrush brush(CreatePatternBrush(tile));
        if (brush) framePatterns_[slot] = std::move(brush);
    }

    scaledToolIcons_.reset();
    if (!scale.IsUnscaled()) {
        // The strips that loaded, in order of size.
        HBITMAP strips[3] = {};
        int count = 0;
        for (const UniqueBitmap& strip : toolIcons_)
            if (strip) strips[count++] = strip.get();
        scaledToolIcons_.reset(
            ScaleIconStrip(displayDC_, strips, count, toolPanel.Metrics().toolIconSize));
    }
    toolPanel.Layout();
    zoomPane.SetScale(scale);
    if (settings != nullptr) zoomPane.ConfigureFromSettings(*settings);  // its strips

    measurer_.reset();  // it holds the old font
    LOGFONTW spec;
    InitFontSpec(spec, InterfaceFace().face, UiMetricsFor(scale).labelFontHeight);
    uiFont_.reset(CreateFontIndirectW(&spec));
    for (LabelPane* label : {&firstLabel, &secondLabel}) {
        label->SetScale(scale);
        if (label->ShadowOn()) label->SetShadowOn(label->MakeShadowStrips());
        if (label->IsVisible()) label->SetText(label->Text(), Measurer());
    }
    // A menu whose texts cannot be measured still shows.
    (void)menuPane.ApplyScale(scale);
    // Layout and Configure re-made the panel's and the magnifier's strips
    // whatever the setting; it decides again.
    const bool shadow = settings != nullptr && settings->drawShadow != 0;
    zoomPane.SetShadowOn(shadow && zoomPane.ShadowOn());
    toolPanel.SetShadowOn(shadow && toolPanel.ShadowOn());
    return true;
}

void ScreenView::ReleaseFontAndMenu() {
    measurer_.reset();
    uiFont_.reset();
    if (menu) {
        DestroyMenu(menu);
        menu = nullptr;
    }
}

ViewLabels ScreenView::Labels() {
    ViewLabels labels;
    labels.first = &firstLabel;
    labels.second = &secondLabel;
    labels.zoom = &zoomPane;
    labels.toolPanel = &toolPanel;
    labels.selection = &selection;
    labels.zoomVisible = settings ? &settings->zoomVisible : nullptr;
    labels.toolPanelCorner = settings ? &settings->toolPanelCorner : nullptr;
    return labels;
}

TextMeasurer& ScreenView::Measurer() {
    if (!measurer_) measurer_ = MakeMeasurer();
    return *measurer_;
}

std::unique_ptr<CellMeasurer> ScreenView::MakeMeasurer() const {
    return std::make_unique<CellMeasurer>(
        std::make_unique<GdiTextMeasurer>(displayDC_, uiFont_.get()),
        UiMetricsFor(uiScale_).labelFontHeight);
}

HRGN ScreenView::BuildFrameRegion() const {
    const FrameRing ring = selection.FrameRingGeometry(false);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    for (int i = 0; i < ring.bandCount; ++i) {
        const Rect& b = ring.bands[i];
        HRGN band = CreateRectRgn(b.left, b.top, b.right, b.bottom);
        CombineRgn(region, region, band, RGN_OR);
        DeleteObject(band);
    }
    return region;
}

}  // namespace mrv
