#include "ui/skin_fonts.h"

#include "ui/skin_files.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <fontconfig/fontconfig.h>

namespace ornavox {

bool load_skin_fonts(const QString& program_dir, QString& error)
{
    static QSet<QString> loaded; // GUI thread only
    const QString path = QFileInfo(skin::file_path(program_dir, QStringLiteral("fonts.conf"))).absoluteFilePath();
    if (loaded.contains(path))
        return true;
    if (!QFileInfo::exists(path)) {
        error = QStringLiteral("The skin file %1 is missing.").arg(QDir::toNativeSeparators(path));
        return false;
    }
    const QByteArray name = QFile::encodeName(path);
    if (!FcConfigParseAndLoad(FcConfigGetCurrent(), reinterpret_cast<const FcChar8*>(name.constData()), FcTrue)) {
        error = QStringLiteral("The skin's font settings %1 cannot be read.").arg(QDir::toNativeSeparators(path));
        return false;
    }
    loaded.insert(path);
    return true;
}

} // namespace ornavox
