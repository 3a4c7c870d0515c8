#pragma once

#include "ui/skin_files.h"

#include <QString>

namespace ornavox {

// Much of a start goes to the skin: fontconfig sets itself up (reads its
// configuration and maps the caches of the font folders) and the pictures are
// decoded. Both run on a thread of their own, started at the top of main, so
// that they overlap the application's own set-up; the window takes the result
// when it builds its face. GUI thread only.
void start_skin_preparation(const QString& program_dir);

// The artwork of `program_dir`: what the preparation read for that folder,
// else read now. fontconfig is set up when it returns.
skin::Artwork prepared_skin_artwork(const QString& program_dir);

} // namespace ornavox
