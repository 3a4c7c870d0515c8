#include "tools/skin_generator/bitmap_files.h"

#include <QFile>

#include <cstdint>
#include <vector>

namespace ornavox::skin_generator {

namespace {

class Bytes {
public:
    void u8(std::uint8_t v) { data_.push_back(static_cast<char>(v)); }
    void u16(std::uint16_t v)
    {
        u8(v & 0xff);
        u8(v >> 8);
    }
    void u32(std::uint32_t v)
    {
        u16(v & 0xffff);
        u16(v >> 16);
    }
    std::size_t size() const { return data_.size(); }
    bool save(const QString& path) const
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        return file.write(data_.data(), static_cast<qint64>(data_.size())) == static_cast<qint64>(data_.size());
    }

private:
    std::vector<char> data_;
};

int row_bytes(int width, int bits)
{
    return ((width * bits + 31) / 32) * 4;
}

void info_header(Bytes& out, int width, int height, int bits, std::uint32_t image_size, std::uint32_t colours)
{
    out.u32(40);
    out.u32(static_cast<std::uint32_t>(width));
    out.u32(static_cast<std::uint32_t>(height));
    out.u16(1);
    out.u16(static_cast<std::uint16_t>(bits));
    out.u32(0); // BI_RGB
    out.u32(image_size);
    out.u32(3780); // 96 dpi
    out.u32(3780);
    out.u32(colours);
    out.u32(0);
}

// Bottom-up rows, as a BITMAPINFOHEADER with a positive height wants.
template <typename PutRow>
bool write_bmp(const QImage& image, int bits, std::uint32_t colours, const QString& path,
               const std::vector<QRgb>& palette, PutRow put_row)
{
    const int stride = row_bytes(image.width(), bits);
    const std::uint32_t image_size = static_cast<std::uint32_t>(stride) * image.height();
    const std::uint32_t offset = 14 + 40 + colours * 4;
    Bytes out;
    out.u8('B');
    out.u8('M');
    out.u32(offset + image_size);
    out.u32(0);
    out.u32(offset);
    info_header(out, image.width(), image.height(), bits, image_size, colours);
    for (QRgb c : palette) {
        out.u8(qBlue(c));
        out.u8(qGreen(c));
        out.u8(qRed(c));
        out.u8(0);
    }
    for (int y = image.height() - 1; y >= 0; --y) {
        const std::size_t start = out.size();
        put_row(out, y);
        while (out.size() - start < static_cast<std::size_t>(stride))
            out.u8(0);
    }
    return out.save(path);
}

} // namespace

bool write_bmp24(const QImage& source, const QString& path)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    return write_bmp(image, 24, 0, path, {}, [&](Bytes& out, int y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            out.u8(qBlue(line[x]));
            out.u8(qGreen(line[x]));
            out.u8(qRed(line[x]));
        }
    });
}

bool write_bmp32(const QImage& source, const QString& path)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    return write_bmp(image, 32, 0, path, {}, [&](Bytes& out, int y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            out.u8(qBlue(line[x]));
            out.u8(qGreen(line[x]));
            out.u8(qRed(line[x]));
            out.u8(255);
        }
    });
}

bool write_bmp1(const QImage& mask, const QString& path)
{
    const std::vector<QRgb> palette{qRgb(0, 0, 0), qRgb(255, 255, 255)};
    return write_bmp(mask, 1, 2, path, palette, [&](Bytes& out, int y) {
        std::uint8_t byte = 0;
        for (int x = 0; x < mask.width(); ++x) {
            if (mask.pixelIndex(x, y) != 0)
                byte |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            if (x % 8 == 7 || x == mask.width() - 1) {
                out.u8(byte);
                byte = 0;
            }
        }
    });
}

bool write_ico16(const QImage& indices, int transparent_index, const QString& path)
{
    const int size = 32;
    if (indices.width() != size || indices.height() != size || indices.colorCount() > 16)
        return false;
    const int colour_stride = row_bytes(size, 4);
    const int mask_stride = row_bytes(size, 1);
    const std::uint32_t colour_bytes = static_cast<std::uint32_t>(colour_stride * size);
    const std::uint32_t mask_bytes = static_cast<std::uint32_t>(mask_stride * size);
    const std::uint32_t resource = 40 + 16 * 4 + colour_bytes + mask_bytes;

    Bytes out;
    out.u16(0); // ICONDIR
    out.u16(1);
    out.u16(1);
    out.u8(size); // ICONDIRENTRY
    out.u8(size);
    out.u8(16);
    out.u8(0);
    out.u16(1);
    out.u16(4);
    out.u32(resource);
    out.u32(6 + 16);
    // The height counts the colour bitmap and the AND mask together.
    info_header(out, size, size * 2, 4, colour_bytes + mask_bytes, 16);
    const QList<QRgb> table = indices.colorTable();
    for (int i = 0; i < 16; ++i) {
        const QRgb c = i < table.size() && i != transparent_index ? table[i] : qRgb(0, 0, 0);
        out.u8(qBlue(c));
        out.u8(qGreen(c));
        out.u8(qRed(c));
        out.u8(0);
    }
    for (int y = size - 1; y >= 0; --y) {
        for (int x = 0; x < size; x += 2) {
            const int hi = indices.pixelIndex(x, y);
            const int lo = indices.pixelIndex(x + 1, y);
            // Masked pixels are black in the colour bitmap so that the mask
            // alone decides what shows.
            out.u8(static_cast<std::uint8_t>(((hi == transparent_index ? 0 : hi) << 4)
                                             | (lo == transparent_index ? 0 : lo)));
        }
    }
    for (int y = size - 1; y >= 0; --y) {
        std::uint32_t bits = 0;
        for (int x = 0; x < size; ++x)
            if (indices.pixelIndex(x, y) == transparent_index)
                bits |= 0x80000000u >> x;
        out.u8(static_cast<std::uint8_t>(bits >> 24));
        out.u8(static_cast<std::uint8_t>(bits >> 16));
        out.u8(static_cast<std::uint8_t>(bits >> 8));
        out.u8(static_cast<std::uint8_t>(bits));
    }
    return out.save(path);
}

} // namespace ornavox::skin_generator
