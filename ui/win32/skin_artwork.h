#pragma once

#include "ui/win32/gdi_handles.h"

#include <array>
#include <string>
#include <vector>

namespace ornavox {

// The skin's artwork in the program folder, as Windows draws it:
//   skin/background.jpg                           351 x 124
//   skin/imagelist<N>.bmp, imagelist<N>_mask.bmp  N = 1..4, one block of four
//                                                 images per row, the mask
//                                                 one bit per pixel
//   skin/ornavox.ico                              the window's icon
// GUI thread.
struct SkinArtwork {
    win32::Bitmap background;
    std::array<win32::ImageList, 4> image_lists; // ImageList1..4
    win32::Icon icon;
    // Each file that could not be used, with the reason.
    std::vector<std::string> errors;
};

// `program_dir` with its trailing separator.
SkinArtwork read_skin_artwork(const std::string& program_dir);

} // namespace ornavox
