#pragma once

// Qt
#include <QImage>
#include <QString>

namespace skingen {

// Windows bitmap files Qt cannot write itself.
// 16-bit BMP (BI_RGB, 5-5-5 with the top bit clear), rows bottom-up.
bool SaveBmp16(const QImage& image, const QString& path);
// 24-bit BMP without alpha, rows bottom-up.
bool SaveBmp24(const QImage& image, const QString& path);
// An .ico file holding one image as a 32-bit DIB with alpha (and the 1-bit AND mask).
bool SaveIco32(const QImage& image, const QString& path);

} // namespace skingen
