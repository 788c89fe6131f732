// Where the dialogs and the settings sheet go on the screen.
#include "base/window_placement.h"

#include <gtest/gtest.h>

namespace {

TEST(CenteredPosition, HalvesTruncateTowardZeroAndOversizeWindowsEndFlushRightAndBottom) {
    // 101 px narrower and taller than the screen: half of 101 is 50.
    POINT position = CenteredPosition(1024, 768, 923, 667);
    EXPECT_EQ(position.x, 50);
    EXPECT_EQ(position.y, 50);
    // Wider and taller than the screen: the right and bottom edges win, the left and top are off screen.
    position = CenteredPosition(1024, 768, 1100, 801);
    EXPECT_EQ(position.x, 1024 - 1100);
    EXPECT_EQ(position.y, 768 - 801);
    // Only one axis too large.
    position = CenteredPosition(800, 600, 300, 700);
    EXPECT_EQ(position.x, 250);
    EXPECT_EQ(position.y, -100);
}

TEST(CenterWindowOnScreen, RefusesANullWindow) { EXPECT_FALSE(CenterWindowOnScreen(nullptr)); }

}  // namespace
