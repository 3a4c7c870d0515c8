#include "ui/qt/skin_files.h"

#include "ui/qt/imagelist.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>

namespace ornavox::skin {

namespace {

bool readable_file(const QString& path, QString& error)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        error = QStringLiteral("The skin file %1 is missing.").arg(QDir::toNativeSeparators(path));
        return false;
    }
    if (!info.isFile() || !info.isReadable()) {
        error = QStringLiteral("The skin file %1 cannot be read.").arg(QDir::toNativeSeparators(path));
        return false;
    }
    return true;
}

// Reads an image of a known format. Left to guess, the reader would load
// every image plug-in to ask whether it reads the file, even for formats Qt
// reads itself.
QImage read_image(const QString& path, const char* format, QImageReader::ImageReaderError* failure = nullptr,
                  QString* reason = nullptr)
{
    QImageReader reader(path, format);
    reader.setAutoDetectImageFormat(false);
    const QImage image = reader.read();
    if (failure)
        *failure = reader.error();
    if (reason)
        *reason = reader.errorString();
    return image;
}

} // namespace

QString file_path(const QString& program_dir, const QString& name)
{
    return QDir(program_dir).filePath(QStringLiteral("skin/") + name);
}

QImage load_background(const QString& program_dir, QString& error)
{
    const QString path = file_path(program_dir, QStringLiteral("background.jpg"));
    if (!readable_file(path, error))
        return {};
    // Asking for the list of formats would load every image plug-in; the
    // reader says so when the JPEG one is missing.
    QImageReader::ImageReaderError failure = QImageReader::UnknownError;
    QString reason;
    const QImage image = read_image(path, "jpeg", &failure, &reason);
    if (image.isNull() && failure == QImageReader::UnsupportedFormatError) {
        error = QStringLiteral("Cannot show the skin background %1: the Qt JPEG image plug-in "
                               "(imageformats/libqjpeg) is missing.")
                    .arg(QDir::toNativeSeparators(path));
        return {};
    }
    if (image.isNull()) {
        error = QStringLiteral("Cannot read the skin background %1: %2").arg(QDir::toNativeSeparators(path), reason);
        return {};
    }
    return image;
}

bool load_image_list(TImageList& list, const QString& program_dir, int number, QString& error)
{
    if (number < 1 || number > 4) {
        error = QStringLiteral("There is no skin image list %1; the lists are numbered 1 to 4.").arg(number);
        return false;
    }
    const QString image_path = file_path(program_dir, QStringLiteral("imagelist%1.bmp").arg(number));
    const QString mask_path = file_path(program_dir, QStringLiteral("imagelist%1_mask.bmp").arg(number));
    if (!readable_file(image_path, error) || !readable_file(mask_path, error))
        return false;
    if (!list.load(read_image(image_path, "bmp"), read_image(mask_path, "bmp"))) {
        error = QStringLiteral("The skin image list %1 does not hold rows of four %2 x %3 images "
                               "with a mask of the same size.")
                    .arg(QDir::toNativeSeparators(image_path))
                    .arg(list.width())
                    .arg(list.height());
        return false;
    }
    return true;
}

QImage load_button_picture(const QString& program_dir, int number)
{
    return read_image(file_path(program_dir, QStringLiteral("hotlinkbutton%1.bmp").arg(number)), "bmp");
}

QImage program_icon(const QString& program_dir)
{
    return read_image(file_path(program_dir, QStringLiteral("ornavox.png")), "png");
}

TImageList empty_image_list(int number)
{
    const auto [width, height] = kImageListSizes.at(number - 1);
    return TImageList(width, height);
}

Artwork read_artwork(const QString& program_dir)
{
    Artwork art;
    QString error;
    for (int number = 1; number <= 4; ++number)
        if (!load_image_list(art.image_lists[number - 1], program_dir, number, error))
            art.errors << error;
    art.background = load_background(program_dir, error);
    if (art.background.isNull())
        art.errors << error;
    for (int number = 1; number <= kButtons; ++number)
        art.buttons[number - 1] = load_button_picture(program_dir, number);
    art.icon = program_icon(program_dir);
    return art;
}

} // namespace ornavox::skin
