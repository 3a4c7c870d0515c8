// Draws the skin's artwork and writes it into a folder:
//   skin_generator [output folder]    (default: the source tree's skin/)
// or the program's icon in the sizes of an icon theme, as
// <folder>/<size>x<size>/apps/ornavox.png:
//   skin_generator --theme-icons <folder>
// Run it with QT_QPA_PLATFORM=offscreen; the output is the same on every run.

#include "tools/skin_generator/background.h"
#include "tools/skin_generator/bitmap_files.h"
#include "tools/skin_generator/icon.h"
#include "tools/skin_generator/image_lists.h"
#include "tools/skin_generator/shapes.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageWriter>

#include <array>
#include <cstdio>
#include <exception>

using namespace ornavox::skin_generator;

namespace {

struct ButtonFace {
    int list;
    int block;
    int width;
    int height;
};

// hotlinkbutton1 .. hotlinkbutton14: the list and block each button starts
// with, and the button's size.
constexpr std::array<ButtonFace, 14> kButtons{{
    {1, 0, 24, 24},
    {3, 0, 64, 20},
    {1, 2, 24, 24},
    {1, 3, 24, 24},
    {1, 4, 24, 24},
    {1, 5, 24, 24},
    {1, 6, 24, 24},
    {2, 0, 186, 27},
    {3, 1, 64, 20},
    {3, 2, 64, 20},
    {3, 4, 64, 20},
    {4, 0, 18, 18},
    {4, 1, 18, 18},
    {4, 2, 18, 18},
}};

bool fail(const QString& what)
{
    std::fprintf(stderr, "skin_generator: cannot write %s\n", qPrintable(what));
    return false;
}

bool write_jpeg(const QImage& image, const QString& path)
{
    QImageWriter writer(path, "jpeg");
    writer.setQuality(94);
    writer.setOptimizedWrite(false);
    writer.setProgressiveScanWrite(false);
    if (!writer.write(image.convertToFormat(QImage::Format_RGB32))) {
        std::fprintf(stderr, "skin_generator: %s\n", qPrintable(writer.errorString()));
        return false;
    }
    return true;
}

bool write_all(const QDir& out)
{
    if (!write_jpeg(draw_background(), out.filePath("background.jpg")))
        return fail(out.filePath("background.jpg"));

    const std::array<ImageListArt, 4> lists{draw_image_list1(), draw_image_list2(), draw_image_list3(),
                                            draw_image_list4()};
    for (std::size_t i = 0; i < lists.size(); ++i) {
        const QString name = QStringLiteral("imagelist%1").arg(i + 1);
        if (!write_bmp24(lists[i].sheet(), out.filePath(name + ".bmp")))
            return fail(name + ".bmp");
        if (!write_bmp1(lists[i].mask_sheet(), out.filePath(name + "_mask.bmp")))
            return fail(name + "_mask.bmp");
        std::printf("%s: %zu images of %d x %d, transparent pixels per image:", qPrintable(name),
                    lists[i].images.size(), lists[i].image_width, lists[i].image_height);
        for (std::size_t f = 0; f < lists[i].masks.size(); f += 4)
            std::printf(" %d", transparent_count(lists[i].masks[f]));
        std::printf("\n");
    }

    for (std::size_t n = 0; n < kButtons.size(); ++n) {
        const ButtonFace& b = kButtons[n];
        const ImageListArt& list = lists[static_cast<std::size_t>(b.list - 1)];
        // The normal face; the banner button is two rows shorter than its images.
        const QImage face = list.images[static_cast<std::size_t>(b.block * 4)].copy(0, 0, b.width, b.height);
        const QString name = QStringLiteral("hotlinkbutton%1.bmp").arg(n + 1);
        if (!write_bmp32(face, out.filePath(name)))
            return fail(name);
    }

    if (!write_ico16(draw_icon(), 0, out.filePath("ornavox.ico")))
        return fail("ornavox.ico");
    // The same icon for the desktop's menu, where icon themes take PNG.
    if (!draw_icon().convertToFormat(QImage::Format_ARGB32).save(out.filePath("ornavox.png"), "PNG"))
        return fail("ornavox.png");
    return true;
}

bool write_theme_icons(const QDir& out)
{
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString name = QStringLiteral("%1x%1/apps/ornavox.png").arg(size);
        if (!out.mkpath(QFileInfo(out.filePath(name)).path()) || !draw_theme_icon(size).save(out.filePath(name), "PNG"))
            return fail(out.filePath(name));
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc == 3 && QString::fromLocal8Bit(argv[1]) == QLatin1String("--theme-icons"))
        return write_theme_icons(QDir(QString::fromLocal8Bit(argv[2]))) ? 0 : 1;
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(ORNAVOX_SKIN_SOURCE_DIR);
    QDir out(folder);
    if (!out.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "skin_generator: cannot create %s\n", qPrintable(folder));
        return 1;
    }
    try {
        if (!write_all(out))
            return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "skin_generator: %s\n", e.what());
        return 1;
    }
    std::printf("skin written to %s\n", qPrintable(out.absolutePath()));
    return 0;
}
