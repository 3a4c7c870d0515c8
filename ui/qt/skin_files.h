#pragma once

#include "ui/qt/imagelist.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <array>
#include <utility>

namespace ornavox {

// The skin's artwork as the build lays it out in the program folder:
//   skin/background.jpg                       351 x 124 baseline JPEG
//   skin/imagelist<N>.bmp, imagelist<N>_mask.bmp  N = 1..4, four images wide
//   skin/hotlinkbutton<N>.bmp                 N = 1..14, the button's first face
//   skin/ornavox.png                          the window's icon
//   skin/ornavox.ico                          32 x 32, 16 colours
// Every loader names the file and the reason in `error` when it fails. Any
// thread may read the skin.
namespace skin {

// The width and height of the images of lists 1 to 4.
inline constexpr std::array<std::pair<int, int>, 4> kImageListSizes{{{24, 24}, {186, 29}, {64, 20}, {18, 18}}};
inline constexpr int kButtons = 14;

// An empty list of the size of list `number` (1..4).
TImageList empty_image_list(int number);

// Everything the window's face shows of the skin, decoded: the background,
// the four image lists, each button's first face and the window's icon.
// `errors` names each file that could not be used.
struct Artwork {
    QImage background;
    std::array<TImageList, 4> image_lists{empty_image_list(1), empty_image_list(2), empty_image_list(3),
                                          empty_image_list(4)};
    std::array<QImage, kButtons> buttons; // hotlinkbutton1..14
    QImage icon;
    QStringList errors;
};
Artwork read_artwork(const QString& program_dir);

QString file_path(const QString& program_dir, const QString& name);

// Fails with a clear reason when the file is missing or no JPEG decoder is
// available, so that a broken installation never shows a blank window.
QImage load_background(const QString& program_dir, QString& error);

// Appends the images of list `number` (1..4) with their masks.
bool load_image_list(TImageList& list, const QString& program_dir, int number, QString& error);

// The initial face of hotlinkbutton<number>; a null image when missing.
QImage load_button_picture(const QString& program_dir, int number);

// The window's icon, a PNG: it needs no image plug-in.
QImage program_icon(const QString& program_dir);

} // namespace skin
} // namespace ornavox
