// Draws the skin's pictures into a folder (the repository's resources/), and on request a
// contact sheet showing each at 1:1 and enlarged four times.
//   vorlend_skingen <folder> [contact-sheet.png]

#include "tools/skingen/ImageFiles.h"
#include "tools/skingen/SkinPainter.h"

// Qt
#include <QDir>
#include <QGuiApplication>
#include <QPainter>

// std
#include <cstdio>

namespace {

bool Save(const QImage& image, const QString& path)
{
    if (path.endsWith(QLatin1String(".bmp"), Qt::CaseInsensitive))
        return skingen::SaveBmp16(image, path);
    return image.save(path, "PNG");
}

QImage ContactSheet(const QList<skingen::SkinImage>& images)
{
    constexpr int kZoom = 4;
    constexpr int kWidth = 1200;
    int x = 10;
    int y = 10;
    int rowHeight = 0;
    struct Placed
    {
        QPoint at;
        const skingen::SkinImage* item;
    };
    QList<Placed> placed;
    for (const auto& item : images) {
        const QSize cell(item.image.width() * (kZoom + 1) + 30,
                         std::max(item.image.height() * kZoom, 20) + 24);
        if (x + cell.width() > kWidth) {
            x = 10;
            y += rowHeight + 10;
            rowHeight = 0;
        }
        placed.append({QPoint(x, y), &item});
        x += cell.width() + 10;
        rowHeight = std::max(rowHeight, cell.height());
    }
    QImage sheet(kWidth, y + rowHeight + 10, QImage::Format_RGB32);
    sheet.fill(QColor(0xFF, 0xFF, 0xFF));
    QPainter p(&sheet);
    p.setFont(QFont(QStringLiteral("Arial"), 8));
    for (const Placed& entry : placed) {
        const QImage& image = entry.item->image;
        p.setPen(Qt::black);
        p.drawText(entry.at + QPoint(0, 10), entry.item->fileName);
        const QPoint top = entry.at + QPoint(0, 16);
        // 1:1 on white, then enlarged on a checkerboard that shows transparency.
        p.drawImage(top, image);
        const QRect big(top + QPoint(image.width() + 20, 0), image.size() * kZoom);
        for (int cy = 0; cy < big.height(); cy += 8) {
            for (int cx = 0; cx < big.width(); cx += 8) {
                p.fillRect(QRect(big.topLeft() + QPoint(cx, cy), QSize(8, 8)).intersected(big),
                           ((cx + cy) / 8) % 2 ? QColor(0xE4, 0xE4, 0xE4) : Qt::white);
            }
        }
        p.drawImage(big, image.scaled(big.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation));
    }
    return sheet;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: vorlend_skingen <folder> [contact-sheet.png]\n");
        return 2;
    }
    const QDir out(args[1]);
    if (!out.exists() && !QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot make %s\n", qPrintable(out.path()));
        return 1;
    }

    QList<skingen::SkinImage> images = skingen::DrawSkinImages();
    bool ok = true;
    for (const auto& item : images)
        ok = Save(item.image, out.filePath(item.fileName)) && ok;
    const QImage emblem = skingen::DrawEmblem();
    const QImage icon = skingen::DrawWindowIcon();
    ok = skingen::SaveBmp24(emblem, out.filePath(QStringLiteral("VORLEND_emblem.bmp"))) && ok;
    ok = skingen::SaveIco32(icon, out.filePath(QStringLiteral("VORLEND.ico"))) && ok;
    ok = icon.save(out.filePath(QStringLiteral("VORLEND_icon.png")), "PNG") && ok;
    if (!ok) {
        std::fprintf(stderr, "could not write every picture into %s\n", qPrintable(out.path()));
        return 1;
    }
    if (args.size() > 2) {
        images.append({QStringLiteral("VORLEND_emblem.bmp"), emblem});
        images.append({QStringLiteral("VORLEND_icon.png"), icon});
        if (!ContactSheet(images).save(args[2])) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(args[2]));
            return 1;
        }
    }
    std::printf("%lld pictures written to %s\n", static_cast<long long>(images.size()),
                qPrintable(out.path()));
    return 0;
}
