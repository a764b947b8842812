// Draws the skin's pictures into a folder, and on request a contact sheet showing each at 1:1
// and enlarged four times; or checks that the committed pictures are what it draws.
//   vorlend_skingen <folder> [contact-sheet.png]
//   vorlend_skingen --check <repo>/resources

#include "tools/skingen/ImageFiles.h"
#include "tools/skingen/SkinPainter.h"

// Qt
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>

// std
#include <cstdio>
#include <cstdlib>

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

// Antialiased edges differ by a step or two between the raster engine's CPU paths.
constexpr int kTolerance = 2;

bool Near(int a, int b)
{
    return std::abs(a - b) <= kTolerance;
}

// PNGs by their pixels; the uncompressed BMP and ICO files byte by byte.
bool SamePicture(const QString& drawn, const QString& committed)
{
    if (drawn.endsWith(QLatin1String(".png"))) {
        const QImage a = QImage(drawn).convertToFormat(QImage::Format_ARGB32);
        const QImage b = QImage(committed).convertToFormat(QImage::Format_ARGB32);
        if (a.isNull() || a.size() != b.size())
            return false;
        for (int y = 0; y < a.height(); ++y) {
            for (int x = 0; x < a.width(); ++x) {
                const QRgb p = a.pixel(x, y);
                const QRgb q = b.pixel(x, y);
                if (!Near(qRed(p), qRed(q)) || !Near(qGreen(p), qGreen(q)) ||
                    !Near(qBlue(p), qBlue(q)) || !Near(qAlpha(p), qAlpha(q)))
                    return false;
            }
        }
        return true;
    }
    QFile fa(drawn);
    QFile fb(committed);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly))
        return false;
    const QByteArray a = fa.readAll();
    const QByteArray b = fb.readAll();
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (!Near(static_cast<unsigned char>(a[i]), static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// Draws every picture into `out`.
bool WriteAll(const QDir& out, QList<skingen::SkinImage>& images, QImage& emblem, QImage& icon)
{
    images = skingen::DrawSkinImages();
    bool ok = true;
    for (const auto& item : images)
        ok = Save(item.image, out.filePath(item.fileName)) && ok;
    emblem = skingen::DrawEmblem();
    icon = skingen::DrawWindowIcon();
    ok = skingen::SaveBmp24(emblem, out.filePath(QStringLiteral("VORLEND_emblem.bmp"))) && ok;
    ok = skingen::SaveIco32(icon, out.filePath(QStringLiteral("VORLEND.ico"))) && ok;
    ok = icon.save(out.filePath(QStringLiteral("VORLEND_icon.png")), "PNG") && ok;
    if (!ok)
        std::fprintf(stderr, "could not write every picture into %s\n", qPrintable(out.path()));
    return ok;
}

// The committed pictures (skin images in resources/skin/, emblem and icons in resources/)
// against a fresh drawing; lists every one that differs.
int Check(const QString& resources)
{
    QTemporaryDir temp;
    QList<skingen::SkinImage> images;
    QImage emblem;
    QImage icon;
    if (!temp.isValid() || !WriteAll(QDir(temp.path()), images, emblem, icon))
        return 1;
    int differing = 0;
    for (const QString& name : QDir(temp.path()).entryList(QDir::Files)) {
        const bool skin =
            !name.startsWith(QLatin1String("VORLEND_")) && name != QLatin1String("VORLEND.ico");
        const QString committed =
            QDir(resources).filePath((skin ? QStringLiteral("skin/") : QString()) + name);
        if (!SamePicture(QDir(temp.path()).filePath(name), committed)) {
            std::fprintf(stderr, "%s is not what the generator draws\n", qPrintable(committed));
            ++differing;
        }
    }
    std::printf("%d of %lld pictures differ from the drawing\n", differing,
                static_cast<long long>(QDir(temp.path()).entryList(QDir::Files).size()));
    return differing == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--check"))
        return Check(args[2]);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: vorlend_skingen <folder> [contact-sheet.png]\n"
                             "       vorlend_skingen --check <resources folder>\n");
        return 2;
    }
    const QDir out(args[1]);
    if (!out.exists() && !QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot make %s\n", qPrintable(out.path()));
        return 1;
    }

    QList<skingen::SkinImage> images;
    QImage emblem;
    QImage icon;
    if (!WriteAll(out, images, emblem, icon))
        return 1;
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
