// The interface's text cell. The menu rows and the labels are laid out on a
// 12-pixel cell; a family whose metrics round otherwise (11 or 13 pixels for
// a height of 12) must not move them, so the text is measured for its width
// and given the cell's height, and is drawn into that cell.
#pragma once

#include <memory>
#include <string_view>
#include <utility>

#include "base/Geometry.h"
#include "view/LabelPane.h"

namespace mrv {

inline constexpr int kInterfaceCellHeight = 12;

class CellMeasurer final : public TextMeasurer {
public:
    CellMeasurer(std::unique_ptr<TextMeasurer> inner, int cellHeight)
        : inner_(std::move(inner)), cellHeight_(cellHeight) {}

    // The inner measurer's answer, with the cell's height for every line
    // that has one.
    [[nodiscard]] bool Measure(std::wstring_view line, Size* extent) override {
        if (!inner_ || !inner_->Measure(line, extent)) return false;
        if (extent->height > 0) extent->height = cellHeight_;
        return true;
    }

private:
    std::unique_ptr<TextMeasurer> inner_;
    int cellHeight_;
};

}  // namespace mrv
