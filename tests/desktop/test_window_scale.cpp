#include "desktop/window_scale.h"

#include <gtest/gtest.h>

namespace {

using desktop::Extent;
using desktop::window_scale;

constexpr Extent SURFACE = {320, 240};
constexpr Extent X11_FRAME = {16, 48};
// What Windows adds to a fixed-size window with a title bar at 100 %.
constexpr Extent WINDOWS_FRAME = {6, 29};

TEST(WindowScale, CommonDesktops) {
  // Full HD with a taskbar, and larger screens: 3, never more.
  EXPECT_EQ(window_scale({1920, 1040}, WINDOWS_FRAME, SURFACE), 3);
  EXPECT_EQ(window_scale({3840, 2112}, X11_FRAME, SURFACE), 3);
  // The laptop whose 3x window was cut off: 768 rows less a 40-row taskbar
  // (Windows) or a 32-row top bar (GNOME).
  EXPECT_EQ(window_scale({1366, 728}, WINDOWS_FRAME, SURFACE), 2);
  EXPECT_EQ(window_scale({1366, 736}, X11_FRAME, SURFACE), 2);
  // 1280x800 with a taskbar still holds 3x with its title bar.
  EXPECT_EQ(window_scale({1280, 760}, WINDOWS_FRAME, SURFACE), 3);
}

TEST(WindowScale, ExactFitAndEachDirection) {
  const Extent fits3 = {3 * 320 + 16, 3 * 240 + 48};
  EXPECT_EQ(window_scale(fits3, X11_FRAME, SURFACE), 3);
  EXPECT_EQ(window_scale({fits3.w, fits3.h - 1}, X11_FRAME, SURFACE), 2);
  EXPECT_EQ(window_scale({fits3.w - 1, fits3.h}, X11_FRAME, SURFACE), 2);
  // A tall, narrow area: the width decides.
  EXPECT_EQ(window_scale({700, 1400}, X11_FRAME, SURFACE), 2);
}

TEST(WindowScale, NeverBelowOne) {
  EXPECT_EQ(window_scale({640, 480}, X11_FRAME, SURFACE), 1);
  EXPECT_EQ(window_scale({200, 150}, X11_FRAME, SURFACE), 1);
  EXPECT_EQ(window_scale({0, 0}, WINDOWS_FRAME, SURFACE), 1);
}

} // namespace
