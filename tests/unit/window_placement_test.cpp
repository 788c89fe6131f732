// Where the dialogs and the settings sheet go on the screen.
#include "base/window_placement.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

std::pair<LONG, LONG> At(POINT point) { return {point.x, point.y}; }

TEST(CenteredPosition, HalvesTruncateAndOversizeWindowsEndFlushRightAndBottom) {
    // 101 px narrower and shorter than the screen: half of 101 is 50.
    EXPECT_EQ(At(CenteredPosition(1024, 768, 923, 667)), std::make_pair(50L, 50L));
    // Larger than the screen: the right and bottom edges win, the left and top are off screen.
    EXPECT_EQ(At(CenteredPosition(1024, 768, 1100, 801)), std::make_pair(1024L - 1100, 768L - 801));
    EXPECT_EQ(At(CenteredPosition(800, 600, 300, 700)), std::make_pair(250L, -100L));
    EXPECT_FALSE(CenterWindowOnScreen(nullptr));
}

}  // namespace
