#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

namespace ornavox {

class TImageList;

// The skin's artwork as the build lays it out in the program folder:
//   skin/background.jpg                       351 x 124 baseline JPEG
//   skin/imagelist<N>.bmp, imagelist<N>_mask.bmp  N = 1..4, four images wide
//   skin/hotlinkbutton<N>.bmp                 N = 1..14, the button's first face
//   skin/ornavox.png                          the window's icon
//   skin/ornavox.ico                          32 x 32, 16 colours
// Every loader names the file and the reason in `error` when it fails.
namespace skin {

QString file_path(const QString& program_dir, const QString& name);

// Fails with a clear reason when the file is missing or no JPEG decoder is
// available, so that a broken installation never shows a blank window.
QImage load_background(const QString& program_dir, QString& error);

// Appends the images of list `number` (1..4) with their masks.
bool load_image_list(TImageList& list, const QString& program_dir, int number, QString& error);

// The initial face of hotlinkbutton<number>; a null image when missing.
QImage load_button_picture(const QString& program_dir, int number);

QIcon program_icon(const QString& program_dir);

} // namespace skin
} // namespace ornavox
