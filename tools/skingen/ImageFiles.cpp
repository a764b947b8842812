#include "tools/skingen/ImageFiles.h"

// Qt
#include <QFile>
#include <QtEndian>

namespace skingen {

namespace {

void Put16(QByteArray& out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void Put32(QByteArray& out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

// BITMAPINFOHEADER; height is doubled for icons (XOR image above the AND mask).
void PutInfoHeader(QByteArray& out, int width, int height, int bits, quint32 imageSize)
{
    Put32(out, 40);
    Put32(out, quint32(width));
    Put32(out, quint32(height));
    Put16(out, 1);
    Put16(out, quint16(bits));
    Put32(out, 0); // BI_RGB
    Put32(out, imageSize);
    Put32(out, 3780); // 96 dpi in pixels per metre
    Put32(out, 3780);
    Put32(out, 0);
    Put32(out, 0);
}

int RowBytes(int width, int bits)
{
    return ((width * bits + 31) / 32) * 4;
}

bool Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

bool SaveBmp(const QImage& source, const QString& path, int bits)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    const int stride = RowBytes(image.width(), bits);
    const quint32 pixels = quint32(stride * image.height());
    QByteArray out;
    out.append("BM", 2);
    Put32(out, 14 + 40 + pixels);
    Put32(out, 0);
    Put32(out, 14 + 40);
    PutInfoHeader(out, image.width(), image.height(), bits, pixels);
    for (int y = image.height() - 1; y >= 0; --y) {
        QByteArray row;
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = line[x];
            if (bits == 16) {
                Put16(row,
                      quint16(((qRed(c) >> 3) << 10) | ((qGreen(c) >> 3) << 5) | (qBlue(c) >> 3)));
            } else {
                row.append(char(qBlue(c)));
                row.append(char(qGreen(c)));
                row.append(char(qRed(c)));
            }
        }
        row.append(QByteArray(stride - row.size(), '\0'));
        out.append(row);
    }
    return Write(path, out);
}

} // namespace

bool SaveBmp16(const QImage& image, const QString& path)
{
    return SaveBmp(image, path, 16);
}

bool SaveBmp24(const QImage& image, const QString& path)
{
    return SaveBmp(image, path, 24);
}

bool SaveIco32(const QImage& source, const QString& path)
{
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int w = image.width();
    const int h = image.height();
    const int maskStride = RowBytes(w, 1);
    QByteArray dib;
    PutInfoHeader(dib, w, h * 2, 32, quint32(w * h * 4 + maskStride * h));
    for (int y = h - 1; y >= 0; --y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const QRgb c = line[x]; // straight (not premultiplied) BGRA
            dib.append(char(qBlue(c)));
            dib.append(char(qGreen(c)));
            dib.append(char(qRed(c)));
            dib.append(char(qAlpha(c)));
        }
    }
    // AND mask: set where fully transparent (used only by systems that ignore the alpha).
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(maskStride, '\0');
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            if (qAlpha(line[x]) == 0)
                row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        }
        dib.append(row);
    }
    QByteArray out;
    Put16(out, 0);
    Put16(out, 1); // icon
    Put16(out, 1); // one image
    out.append(char(w >= 256 ? 0 : w));
    out.append(char(h >= 256 ? 0 : h));
    out.append('\0'); // no palette
    out.append('\0');
    Put16(out, 1);  // planes
    Put16(out, 32); // bits
    Put32(out, quint32(dib.size()));
    Put32(out, 6 + 16);
    out.append(dib);
    return Write(path, out);
}

} // namespace skingen
