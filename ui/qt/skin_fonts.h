#pragma once

#include <QString>

#include <utility>
#include <vector>

namespace ornavox {

// The layout names the Windows faces "MS Sans Serif", "Arial" and "Arial
// Black". skin/fonts.conf in the program folder maps them to installed faces
// of similar metrics; this adds its rules to the process's fontconfig set.
// Call before the first widget uses one of those names: Qt remembers the face
// it found for a family. Loading the same folder again does nothing. False,
// with the file and the reason in `error`, when the file is missing or invalid.
// Any thread, one at a time; the first call is made before any widget exists.
bool load_skin_fonts(const QString& program_dir, QString& error);

// Each Windows face the layout names, with the installed family fontconfig
// maps it to. Told to Qt as substitutes, they let it find the face by its own
// name instead of sorting every installed font for a fallback. Any thread,
// after load_skin_fonts().
std::vector<std::pair<QString, QString>> skin_faces();

} // namespace ornavox
