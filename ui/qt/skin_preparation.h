#pragma once

#include "ui/qt/skin_files.h"

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

namespace ornavox {

// The skin as the window's face needs it, read and set up.
struct PreparedSkin {
    skin::Artwork artwork;
    std::vector<std::pair<QString, QString>> faces; // a Windows face, the installed family it stands for
    QStringList errors;                             // the fonts' first, then the pictures'
};

// Much of a start goes to the skin: fontconfig sets itself up (reads its
// configuration and maps the caches of the font folders), the skin's font
// rules are added and its faces found, and the pictures are decoded. All of
// it runs on a thread of its own, started at the top of main, so that it
// overlaps the application's own set-up; the window takes the result when it
// builds its face. GUI thread only.
void start_skin_preparation(const QString& program_dir);

// The skin of `program_dir`: what the preparation made for that folder, else
// made now.
PreparedSkin prepared_skin(const QString& program_dir);

} // namespace ornavox
