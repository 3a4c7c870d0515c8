#pragma once

#include <QImage>
#include <vector>

namespace ornavox::skin_generator {

// One image list as the skin stores it: a sheet four images wide with one
// block (normal, hover, pressed, spare) per row, and its one-bit mask sheet.
struct ImageListArt {
    int image_width = 0;
    int image_height = 0;
    std::vector<QImage> images; // RGB32, pure white where masked
    std::vector<QImage> masks;  // Format_Mono, 1 = transparent

    QImage sheet() const;
    QImage mask_sheet() const;
};

ImageListArt draw_image_list1(); // 24 x 24 round buttons
ImageListArt draw_image_list2(); // 186 x 29 banner
ImageListArt draw_image_list3(); // 64 x 20 word buttons
ImageListArt draw_image_list4(); // 18 x 18 balls

} // namespace ornavox::skin_generator
