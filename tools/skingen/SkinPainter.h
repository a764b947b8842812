#pragma once

// Qt
#include <QImage>
#include <QList>
#include <QString>

namespace skingen {

// One picture of the skin and the file it goes to.
struct SkinImage
{
    QString fileName;
    QImage image;
};

// Draws every picture of the program: the 25 skin images, the about-box emblem, the window
// icon. Flat shapes, 2-pixel strokes for the 32-pixel icons, 1-pixel lines for frames, the
// frame blue #1883D7 as accent colour.
[[nodiscard]] QList<SkinImage> DrawSkinImages();
[[nodiscard]] QImage DrawEmblem();     // 70 x 70, opaque (saved as a 24-bit bitmap)
[[nodiscard]] QImage DrawWindowIcon(); // 128 x 128 with alpha

} // namespace skingen
