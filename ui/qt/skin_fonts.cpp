#include "ui/qt/skin_fonts.h"

#include "ui/qt/skin_files.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <fontconfig/fontconfig.h>

#include <memory>

namespace ornavox {

bool load_skin_fonts(const QString& program_dir, QString& error)
{
    static QSet<QString> loaded;
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

std::vector<std::pair<QString, QString>> skin_faces()
{
    std::vector<std::pair<QString, QString>> faces;
    for (const char* name : {"MS Sans Serif", "Arial", "Arial Black"}) {
        const std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> pattern(
            FcNameParse(reinterpret_cast<const FcChar8*>(name)), &FcPatternDestroy);
        if (!pattern)
            continue;
        FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
        FcDefaultSubstitute(pattern.get());
        FcResult result = FcResultNoMatch;
        const std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> match(
            FcFontMatch(nullptr, pattern.get(), &result), &FcPatternDestroy);
        FcChar8* family = nullptr;
        if (match && FcPatternGetString(match.get(), FC_FAMILY, 0, &family) == FcResultMatch)
            faces.emplace_back(QString::fromLatin1(name), QString::fromUtf8(reinterpret_cast<const char*>(family)));
    }
    return faces;
}

} // namespace ornavox
