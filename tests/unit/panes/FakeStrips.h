// Shadow strips for geometry tests: remember what was asked, succeed or fail
// as told.
#pragma once

#include "view/Pane.h"

namespace mrv::test {

class FakeStrips final : public ShadowStrips {
public:
    explicit FakeStrips(bool willSucceed = true) : succeed(willSucceed) {}
    bool Remake(int bottomWidth, int rightHeight) override {
        ++calls;
        lastBottomWidth = bottomWidth;
        lastRightHeight = rightHeight;
        return succeed;
    }
    bool succeed;
    int calls = 0;
    int lastBottomWidth = 0;
    int lastRightHeight = 0;
};

}  // namespace mrv::test
