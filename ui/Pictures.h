// SPDX-License-Identifier: MIT
#pragma once
// Resource paths of the forms' JPEG pictures (ui/pictures, drawn by morlith-draw-pictures); each
// has a twin at twice its size for scaled screens ("chip@2x.jpg").

namespace morlith {

// A chip: the controller row of the Loading page.
inline constexpr const char *kChipPicture = ":/pictures/chip.jpg";
// Gears: the application row of the Loading page.
inline constexpr const char *kGearsPicture = ":/pictures/gears.jpg";
// A data file of ones and zeros: the data row of the Loading page.
inline constexpr const char *kDataFilePicture = ":/pictures/datafile.jpg";
// A serial plug: the port row of the Options page.
inline constexpr const char *kSerialPicture = ":/pictures/serial.jpg";
// The title bar's arrows.
inline constexpr const char *kArrowLeftPicture = ":/pictures/arrow-left.jpg";
inline constexpr const char *kArrowRightPicture = ":/pictures/arrow-right.jpg";

} // namespace morlith
