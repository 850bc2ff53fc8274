#pragma once

class QWidget;

namespace app {

// The lower limits of the window's outer size below which a block of the
// resize rules leaves its geometry alone (the outer size of the design layout).
inline constexpr double kMinOuterWidthTwips = 9585;
inline constexpr double kMinOuterHeightTwips = 6795;

// Form_Resize: lays the window-level controls out for an outer size given in
// twips. Every value is read back from the widgets at the moment it is used,
// so each step sees the pixel rounding of the steps before it.
void applyResizeRules(QWidget* form, double widthTwips, double heightTwips);

}  // namespace app
