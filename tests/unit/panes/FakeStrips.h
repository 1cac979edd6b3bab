// Shadow strips for geometry tests: succeed or fail as told.
#pragma once

#include "view/Pane.h"

namespace mrv::test {

struct FakeStrips final : ShadowStrips {
    explicit FakeStrips(bool willSucceed = true) : succeed(willSucceed) {}
    bool Remake(int bottomWidth, int) override {
        lastBottomWidth = bottomWidth;
        return succeed;
    }
    bool succeed;
    int lastBottomWidth = 0;
};

}  // namespace mrv::test
