#pragma once

#include <QString>

namespace ornavox {

// The layout names the Windows faces "MS Sans Serif", "Arial" and "Arial
// Black". skin/fonts.conf in the program folder maps them to installed faces
// of similar metrics; this adds its rules to the process's fontconfig set.
// Call before the first widget uses one of those names: Qt remembers the face
// it found for a family. Loading the same folder again does nothing. False,
// with the file and the reason in `error`, when the file is missing or invalid.
// GUI thread only.
bool load_skin_fonts(const QString& program_dir, QString& error);

} // namespace ornavox
