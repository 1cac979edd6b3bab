// The small white text boxes drawn over the frozen screen: the first shows
// the selection's size ("320 x 200") and the label of the tool button under
// the pointer, the second the message after a save, centred on the selection.
// A label hides itself after `messageTicks` frame ticks.
//
//   (x, y) +------------------+   white box, 1-pixel black border
//          | m                |   m = innerMargin on all four sides
//          |  line 0          |   line k at (x + m, y + m + k * lineHeight)
//          |  line 1        m |
//          +------------------+
//
// Text is kept as UTF-16 (the record's own texts are code page 932 bytes; the
// labels take wide strings and reach Win32 through the W functions). Lines
// are separated by line feeds; a carriage return just before a line feed is
// not part of its line, so CR LF and LF texts lay out alike.
//
// Measuring goes through a TextMeasurer so that the layout is portable; the
// GDI measurer and the painter are in view/LabelPane_win.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/Geometry.h"
#include "view/Pane.h"

namespace mrv {

// Characters a label holds; longer texts are cut (never overrun), and a cut
// never splits a UTF-16 surrogate pair.
constexpr std::size_t kLabelTextCapacity = 1023;

// The labels' shadow strips: the largest box they shadow in full.
constexpr int kLabelShadowStripWidth = 480;
constexpr int kLabelShadowStripHeight = 320;

// Inner margins of the two labels at 96 dpi.
constexpr int kSizeLabelMargin = UiMetrics{}.sizeLabelMargin;
constexpr int kMessageLabelMargin = UiMetrics{}.messageLabelMargin;

class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;
    // Width and height of one line in the label font; false when it cannot
    // be measured (the line then adds nothing to the label's size).
    [[nodiscard]] virtual bool Measure(std::wstring_view line, Size* extent) = 0;
};

// The lines of a label text, split at line feeds, each without the carriage
// return that may stand before its line feed. The views point into `text`.
std::vector<std::wstring_view> SplitLabelLines(std::wstring_view text);

// `text` cut to kLabelTextCapacity characters.
std::wstring_view CutLabelText(std::wstring_view text);

class LabelPane : public Pane {
public:
    LabelPane() = default;

    // Display time in frame ticks; read at every use. Unlinked: 4.
    void LinkMessageTicks(const std::int32_t* messageTicks) {
        messageTicks_ = messageTicks != nullptr ? messageTicks : &kDefaultMessageTicks;
    }
    int MessageTicks() const { return *messageTicks_; }

    // The margin is given for 96 dpi; InnerMargin is it at the pane's scale.
    void SetInnerMargin(int margin96) { innerMargin_ = margin96; }
    int InnerMargin() const { return Scale().Px(innerMargin_); }

    // Re-makes the 480 x 4 and 4 x 320 shadow strips (at 96 dpi; scaled with
    // the pane); the shadow is on when both were made.
    bool MakeShadowStrips() {
        return RemakeShadowStrips(Scale().Px(kLabelShadowStripWidth),
                                  Scale().Px(kLabelShadowStripHeight));
    }

    // Takes the text (cut to capacity) and sizes the box around its lines:
    // content = widest line / sum of line heights + 2 * innerMargin. The
    // position changes only through KeepOnScreen.
    void SetText(std::wstring_view text, TextMeasurer& measurer);

    // Stores the position, centred on (x, y) if asked, then KeepOnScreen.
    void PlaceAt(int x, int y, bool centred);
    // Shows the label for messageTicks frame ticks.
    void StartDisplay() {
        SetVisible(true);
        RestartTimer();
    }
    void RestartTimer() { ticksLeft_ = *messageTicks_; }

    // One frame tick: a visible label counts down and hides at 0 or below.
    // Returns true when it was hidden by this tick.
    bool CountDown();

    const std::wstring& Text() const { return text_; }
    std::vector<std::wstring_view> Lines() const { return SplitLabelLines(text_); }
    // Top-left of line k's text.
    Point LineOrigin(int k) const {
        return Point{X() + InnerMargin(), Y() + InnerMargin() + k * lineHeight_};
    }
    int LineHeight() const { return lineHeight_; }
    int TextWidth() const { return textWidth_; }
    int TextHeight() const { return textHeight_; }
    int TicksLeft() const { return ticksLeft_; }

private:
    static constexpr std::int32_t kDefaultMessageTicks = 4;

    const std::int32_t* messageTicks_ = &kDefaultMessageTicks;
    int ticksLeft_ = 0;
    std::wstring text_;
    int lineHeight_ = 0;
    int innerMargin_ = kSizeLabelMargin;
    int textWidth_ = 0;
    int textHeight_ = 0;
};

}  // namespace mrv
