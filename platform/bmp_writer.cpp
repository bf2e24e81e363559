#include "platform/bmp_writer.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QScreen>

#include <array>
#include <cstring>
#include <limits>
#include <vector>

namespace OWNERBITMAP {

namespace {

// The sixteen colours of the display's standard palette, as 0x00RRGGBB.
constexpr std::array<QRgb, 16> kSixteenColours = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
    0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

std::vector<QRgb> colourTable(int depth)
{
    std::vector<QRgb> table;
    if (depth == 1) {
        table = {0x000000, 0xFFFFFF};
    } else if (depth == 4) {
        table.assign(kSixteenColours.begin(), kSixteenColours.end());
    } else if (depth == 8) {
        // Three bits of red, three of green and two of blue: every level reaches full strength, so white and
        // black are exact.
        for (int i = 0; i < 256; ++i) {
            const int r = (i >> 5) * 255 / 7;
            const int g = ((i >> 2) & 7) * 255 / 7;
            const int b = (i & 3) * 255 / 3;
            table.push_back(qRgb(r, g, b) & 0xFFFFFF);
        }
    }
    return table;
}

int nearestEntry(const std::vector<QRgb>& table, int depth, QRgb px)
{
    const int r = qRed(px), g = qGreen(px), b = qBlue(px);
    if (depth == 8)
        return ((r * 7 + 127) / 255) << 5 | ((g * 7 + 127) / 255) << 2 | ((b * 3 + 127) / 255);
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (int i = 0; i < int(table.size()); ++i) {
        const int dr = r - qRed(table[std::size_t(i)]);
        const int dg = g - qGreen(table[std::size_t(i)]);
        const int db = b - qBlue(table[std::size_t(i)]);
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

void put16(char* at, quint16 v)
{
    at[0] = char(v & 0xFF);
    at[1] = char(v >> 8);
}

void put32(char* at, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        at[i] = char((v >> (8 * i)) & 0xFF);
}

void encodeRow(const QRgb* line, qint64 width, int depth, const std::vector<QRgb>& table, unsigned char* row)
{
    if (depth < 8)
        std::memset(row, 0, std::size_t((width * depth + 7) / 8));
    for (qint64 x = 0; x < width; ++x) {
        const QRgb px = line[x];
        switch (depth) {
        case 32:
            row[4 * x] = uchar(qBlue(px));
            row[4 * x + 1] = uchar(qGreen(px));
            row[4 * x + 2] = uchar(qRed(px));
            row[4 * x + 3] = 0;
            break;
        case 24:
            row[3 * x] = uchar(qBlue(px));
            row[3 * x + 1] = uchar(qGreen(px));
            row[3 * x + 2] = uchar(qRed(px));
            break;
        case 8:
            row[x] = uchar(nearestEntry(table, depth, px));
            break;
        case 4:
            row[x / 2] |= uchar(nearestEntry(table, depth, px) << (x % 2 == 0 ? 4 : 0));
            break;
        case 1:
            row[x / 8] |= uchar(nearestEntry(table, depth, px) << (7 - x % 8));
            break;
        }
    }
}

} // namespace

int BitmapDepthFor(int displayBits)
{
    for (int depth : {1, 4, 8, 24, 32}) {
        if (displayBits <= depth)
            return depth;
    }
    return 0;
}

int DisplayBits()
{
    const QScreen* screen = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
        ? QGuiApplication::primaryScreen()
        : nullptr;
    return screen ? screen->depth() : 24;
}

qint64 WriteBitmap(QIODevice& out, const QImage& image, int depth)
{
    if (image.isNull() || (depth != 1 && depth != 4 && depth != 8 && depth != 24 && depth != 32))
        return -1;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const qint64 width = rgb.width();
    const qint64 height = rgb.height();
    const qint64 rowBytes = ((width * depth + 31) / 32) * 4;
    const std::vector<QRgb> table = colourTable(depth);
    const qint64 paletteBytes = qint64(table.size()) * 4;
    const qint64 offset = kFileHeaderSize + kInfoHeaderSize + paletteBytes;
    const qint64 imageBytes = rowBytes * height;
    const qint64 fileBytes = offset + imageBytes;
    if (fileBytes > std::numeric_limits<qint32>::max())
        return -1;

    QByteArray head(qsizetype(offset), '\0');
    char* d = head.data();
    d[0] = 'B';
    d[1] = 'M';
    put32(d + 2, quint32(fileBytes));
    put32(d + 10, quint32(offset));
    char* info = d + kFileHeaderSize;
    put32(info, kInfoHeaderSize);
    put32(info + 4, quint32(width));
    put32(info + 8, quint32(height));
    put16(info + 12, 1);
    put16(info + 14, quint16(depth));
    put32(info + 16, 0); // BI_RGB
    put32(info + 20, quint32(imageBytes));
    char* palette = info + kInfoHeaderSize;
    for (std::size_t i = 0; i < table.size(); ++i) {
        palette[4 * i] = char(qBlue(table[i]));
        palette[4 * i + 1] = char(qGreen(table[i]));
        palette[4 * i + 2] = char(qRed(table[i]));
    }
    if (out.write(head) != head.size())
        return -1;

    // One row at a time: a screen-sized picture never needs a second screen-sized buffer, which the
    // allocator of a worker thread would keep long after the write.
    QByteArray row(qsizetype(rowBytes), '\0');
    for (qint64 y = 0; y < height; ++y) {
        // Rows go bottom-up; the padding at the end of each row stays zero.
        encodeRow(reinterpret_cast<const QRgb*>(rgb.constScanLine(int(height - 1 - y))), width, depth, table,
            reinterpret_cast<unsigned char*>(row.data()));
        if (out.write(row) != row.size())
            return -1;
    }
    return fileBytes;
}

QByteArray EncodeBitmap(const QImage& image, int depth)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (WriteBitmap(buffer, image, depth) < 0)
        return QByteArray();
    return bytes;
}

} // namespace OWNERBITMAP
