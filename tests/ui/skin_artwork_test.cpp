#include "ui/qt/imagelist.h"
#include "ui/qt/skin_files.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>

namespace ornavox {
namespace {

// The artwork as the program folder holds it; the source tree has the same
// layout (skin/ below the root).
const QString kRoot = QStringLiteral(ORNAVOX_SOURCE_DIR);

QByteArray read_all(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int le16(const QByteArray& b, int at)
{
    return static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8);
}

int bmp_bits_per_pixel(const QString& path)
{
    const QByteArray bytes = read_all(path);
    if (bytes.size() < 30 || !bytes.startsWith("BM"))
        return -1;
    return le16(bytes, 28);
}

struct ListShape {
    int number;
    QSize size;
    int images;
};
constexpr std::array<ListShape, 4> kLists{{{1, {24, 24}, 28}, {2, {186, 29}, 4}, {3, {64, 20}, 20}, {4, {18, 18}, 12}}};

struct ButtonShape {
    int number;
    int list;
    int block;
    QSize size;
};
const std::array<ButtonShape, 14> kButtons{{
    {1, 1, 0, {24, 24}},
    {2, 3, 0, {64, 20}},
    {3, 1, 2, {24, 24}},
    {4, 1, 3, {24, 24}},
    {5, 1, 4, {24, 24}},
    {6, 1, 5, {24, 24}},
    {7, 1, 6, {24, 24}},
    {8, 2, 0, {186, 27}},
    {9, 3, 1, {64, 20}},
    {10, 3, 2, {64, 20}},
    {11, 3, 4, {64, 20}},
    {12, 4, 0, {18, 18}},
    {13, 4, 1, {18, 18}},
    {14, 4, 2, {18, 18}},
}};

TImageList load_list(int number)
{
    const ListShape& shape = kLists[static_cast<std::size_t>(number - 1)];
    TImageList list(shape.size.width(), shape.size.height());
    QString error;
    EXPECT_TRUE(skin::load_image_list(list, kRoot, number, error)) << error.toStdString();
    return list;
}

TEST(SkinBackground, IsA351By124BaselineColourJpeg)
{
    QString error;
    const QImage background = skin::load_background(kRoot, error);
    ASSERT_FALSE(background.isNull()) << error.toStdString();
    EXPECT_EQ(background.size(), QSize(351, 124));

    const QByteArray jpeg = read_all(skin::file_path(kRoot, QStringLiteral("background.jpg")));
    const int sof0 = jpeg.indexOf(QByteArray("\xff\xc0", 2));
    ASSERT_GE(sof0, 0) << "no baseline frame header";
    EXPECT_EQ(jpeg.indexOf(QByteArray("\xff\xc2", 2)), -1) << "progressive frame found";
    // Frame header: length(2) precision(1) height(2) width(2) components(1).
    EXPECT_EQ(static_cast<unsigned char>(jpeg[sof0 + 4]), 8);
    EXPECT_EQ(static_cast<unsigned char>(jpeg[sof0 + 9]), 3) << "three colour components";
}

TEST(SkinBackground, MissingFileFailsWithAReasonNamingIt)
{
    QTemporaryDir empty;
    QString error;
    const QImage background = skin::load_background(empty.path(), error);
    EXPECT_TRUE(background.isNull());
    EXPECT_TRUE(error.contains(QStringLiteral("background.jpg"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("missing"))) << error.toStdString();
}

TEST(SkinBackground, UnreadableJpegFailsWithTheReadersReason)
{
    QTemporaryDir folder;
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("skin")));
    QFile broken(QDir(folder.path()).filePath(QStringLiteral("skin/background.jpg")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a picture");
    broken.close();
    QString error;
    EXPECT_TRUE(skin::load_background(folder.path(), error).isNull());
    EXPECT_TRUE(error.startsWith(QStringLiteral("Cannot read the skin background"))) << error.toStdString();
}

TEST(SkinImageLists, HoldTheirImagesWithOneBitMasks)
{
    for (const ListShape& shape : kLists) {
        SCOPED_TRACE(shape.number);
        const TImageList list = load_list(shape.number);
        EXPECT_EQ(list.count(), shape.images);
        const QString base = skin::file_path(kRoot, QStringLiteral("imagelist%1").arg(shape.number));
        EXPECT_EQ(bmp_bits_per_pixel(base + "_mask.bmp"), 1);
        const QImage sheet(base + ".bmp");
        EXPECT_EQ(sheet.size(), QSize(shape.size.width() * 4, shape.size.height() * shape.images / 4));
    }
}

TEST(SkinImageLists, MaskExactlyTheOutsideOfEachShape)
{
    const TImageList round = load_list(1);
    for (int i = 0; i < round.count(); ++i) {
        const int masked = round.transparent_pixels(i);
        if (i / 4 == 5) {
            EXPECT_GE(masked, 123) << "image " << i;
            EXPECT_LE(masked, 132) << "image " << i;
            EXPECT_EQ(round.mask(i).pixelIndex(23, 23), 0) << "the handle reaches the corner";
        } else {
            EXPECT_EQ(masked, 140) << "image " << i;
        }
    }
    const TImageList banner = load_list(2);
    for (int i = 0; i < banner.count(); ++i)
        EXPECT_EQ(banner.transparent_pixels(i), 0) << "image " << i;
    for (int number : {3, 4}) {
        const TImageList list = load_list(number);
        for (int i = 0; i < list.count(); ++i) {
            EXPECT_EQ(list.transparent_pixels(i), 88) << "list " << number << " image " << i;
            EXPECT_EQ(list.mask(i), list.mask(0)) << "one shape throughout list " << number;
        }
    }
}

TEST(SkinImageLists, FacesHaveNoSeeThroughPixelsInsideTheShape)
{
    // Pure white is the colour a transparent button does not paint; inside a
    // round or rounded face it would punch holes.
    for (int number : {1, 3, 4}) {
        const TImageList list = load_list(number);
        for (int i = 0; i < list.count(); ++i) {
            int holes = 0;
            for (int y = 0; y < list.height(); ++y)
                for (int x = 0; x < list.width(); ++x)
                    holes += list.mask(i).pixelIndex(x, y) == 0 && (list.image(i).pixel(x, y) & 0xffffff) == 0xffffff;
            EXPECT_EQ(holes, 0) << "list " << number << " image " << i;
        }
    }
}

TEST(SkinImageLists, LoaderRejectsUnknownListsAndMissingFiles)
{
    TImageList list(24, 24);
    QString error;
    EXPECT_FALSE(skin::load_image_list(list, kRoot, 5, error));
    EXPECT_FALSE(error.isEmpty());
    QTemporaryDir empty;
    error.clear();
    EXPECT_FALSE(skin::load_image_list(list, empty.path(), 1, error));
    EXPECT_TRUE(error.contains(QStringLiteral("imagelist1.bmp"))) << error.toStdString();
    EXPECT_EQ(list.count(), 0);

    TImageList wrong_size(20, 20);
    error.clear();
    EXPECT_FALSE(skin::load_image_list(wrong_size, kRoot, 1, error));
    EXPECT_TRUE(error.contains(QStringLiteral("20 x 20"))) << error.toStdString();
}

TEST(SkinButtonPictures, AreTheNormalFaceOfTheirBlockOverWhiteIn32Bits)
{
    std::array<TImageList, 4> lists{load_list(1), load_list(2), load_list(3), load_list(4)};
    for (const ButtonShape& b : kButtons) {
        SCOPED_TRACE(b.number);
        const QString path = skin::file_path(kRoot, QStringLiteral("hotlinkbutton%1.bmp").arg(b.number));
        EXPECT_EQ(bmp_bits_per_pixel(path), 32);
        const QImage picture = skin::load_button_picture(kRoot, b.number);
        ASSERT_EQ(picture.size(), b.size);
        const TImageList& list = lists[static_cast<std::size_t>(b.list - 1)];
        const int index = b.block * 4;
        int wrong = 0;
        for (int y = 0; y < b.size.height(); ++y) {
            for (int x = 0; x < b.size.width(); ++x) {
                const bool outside = list.mask(index).pixelIndex(x, y) == 1;
                const QRgb expected = outside ? qRgb(255, 255, 255) : list.image(index).pixel(x, y);
                wrong += (picture.pixel(x, y) & 0xffffff) != (expected & 0xffffff);
            }
        }
        EXPECT_EQ(wrong, 0);
        EXPECT_EQ(picture.pixel(0, b.size.height() - 1) & 0xffffff, 0xffffffu)
            << "the bottom-left pixel, the transparent colour, is white";
    }
    EXPECT_TRUE(skin::load_button_picture(kRoot, 15).isNull());
}

TEST(SkinIcon, Is32By32WithAtMost16Colours)
{
    const QString path = skin::file_path(kRoot, QStringLiteral("ornavox.ico"));
    const QByteArray ico = read_all(path);
    ASSERT_GE(ico.size(), 22);
    EXPECT_EQ(le16(ico, 2), 1) << "an icon resource";
    EXPECT_EQ(static_cast<unsigned char>(ico[6]), 32);
    EXPECT_EQ(static_cast<unsigned char>(ico[7]), 32);
    EXPECT_EQ(static_cast<unsigned char>(ico[8]), 16);
    EXPECT_LE(le16(ico, 12), 4) << "bits per pixel";

    QImageReader reader(path);
    const QImage image = reader.read();
    ASSERT_FALSE(image.isNull()) << reader.errorString().toStdString();
    EXPECT_EQ(image.size(), QSize(32, 32));
    QSet<QRgb> colours;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (qAlpha(image.pixel(x, y)) != 0)
                colours.insert(image.pixel(x, y));
    EXPECT_LE(colours.size(), 15) << "15 colours and the transparent one";
    EXPECT_FALSE(skin::program_icon(kRoot).isNull());
}

// The committed artwork is exactly what the generator draws, so the two can
// never drift apart.
TEST(SkinGenerator, RedrawsTheCommittedFilesByteForByte)
{
    QTemporaryDir out;
    QProcess generator;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    generator.setProcessEnvironment(env);
    generator.start(QStringLiteral(ORNAVOX_SKIN_GENERATOR), {out.path()});
    ASSERT_TRUE(generator.waitForFinished(-1));
    ASSERT_EQ(generator.exitCode(), 0) << generator.readAllStandardError().toStdString();

    int compared = 0;
    QDirIterator files(out.path(), QDir::Files);
    while (files.hasNext()) {
        const QString generated = files.next();
        const QString committed = skin::file_path(kRoot, files.fileName());
        EXPECT_EQ(read_all(generated), read_all(committed)) << files.fileName().toStdString();
        ++compared;
    }
    EXPECT_EQ(compared, 1 + 8 + 14 + 1 + 1) << "background, image lists and masks, buttons, icon and its PNG";
}

} // namespace
} // namespace ornavox
