#include "tools/skingen/SkinPainter.h"

// Qt
#include <QPainter>
#include <QPainterPath>

namespace skingen {

namespace {

// The palette: accent, its pale fill, its pressed shade, neutral greys.
const QColor kAccent(0x18, 0x83, 0xD7);
const QColor kAccentPale(0xE3, 0xF0, 0xFB);
const QColor kAccentHover(0xE8, 0xF2, 0xFC);
const QColor kAccentPressed(0xCC, 0xE3, 0xF6);
const QColor kAccentDark(0x12, 0x6C, 0xB4);
const QColor kInk(0x3A, 0x45, 0x50);
const QColor kGlyph(0x55, 0x60, 0x6B);
const QColor kLine(0xC3, 0xCC, 0xD5);
const QColor kPanel(0xF5, 0xF7, 0xF9);
const QColor kTrack(0xF0, 0xF3, 0xF6);
const QColor kCloseRed(0xE8, 0x11, 0x23);
const QColor kCloseRedDown(0xC5, 0x0F, 0x1F);

QImage Blank(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QPen Stroke(const QColor& colour, qreal width = 2.0)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// --- 32-pixel toolbar icons (2-pixel strokes centred on whole pixels) ---

void PaintFolder(QPainter& p)
{
    QPainterPath back;
    back.moveTo(5, 24);
    back.lineTo(5, 8);
    back.lineTo(12, 8);
    back.lineTo(14, 10);
    back.lineTo(25, 10);
    back.lineTo(25, 13);
    p.setPen(Stroke(kAccent));
    p.setBrush(kAccentPale);
    p.drawPath(back);
    // The front flap, tilted open.
    QPainterPath front;
    front.moveTo(5, 24);
    front.lineTo(8.5, 14);
    front.lineTo(28, 14);
    front.lineTo(24.5, 24);
    front.closeSubpath();
    p.setBrush(Qt::white);
    p.drawPath(front);
}

void PaintSave(QPainter& p)
{
    QPainterPath disk;
    disk.moveTo(6, 6);
    disk.lineTo(22, 6);
    disk.lineTo(26, 10);
    disk.lineTo(26, 26);
    disk.lineTo(6, 26);
    disk.closeSubpath();
    p.setPen(Stroke(kAccent));
    p.setBrush(kAccentPale);
    p.drawPath(disk);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(11, 6, 9, 6));
    p.drawRect(QRectF(10, 17, 12, 9));
    p.setPen(Stroke(kAccent, 1.0));
    p.drawLine(QPointF(13, 20.5), QPointF(19, 20.5));
    p.drawLine(QPointF(13, 23.5), QPointF(19, 23.5));
}

// A tray with an arrow pointing into it (read from the radio) or out of it (write).
void PaintTransfer(QPainter& p, bool down)
{
    p.setPen(Stroke(kInk));
    p.setBrush(Qt::NoBrush);
    QPainterPath tray;
    tray.moveTo(6, 18);
    tray.lineTo(6, 25);
    tray.lineTo(26, 25);
    tray.lineTo(26, 18);
    p.drawPath(tray);
    p.setPen(Stroke(kAccent, 2.5));
    if (down) {
        p.drawLine(QPointF(16, 5), QPointF(16, 19));
        p.drawPolyline(QPolygonF({QPointF(10.5, 13.5), QPointF(16, 19), QPointF(21.5, 13.5)}));
    } else {
        p.drawLine(QPointF(16, 20), QPointF(16, 6));
        p.drawPolyline(QPolygonF({QPointF(10.5, 11.5), QPointF(16, 6), QPointF(21.5, 11.5)}));
    }
}

void PaintInfo(QPainter& p)
{
    p.setPen(Stroke(kAccent));
    p.setBrush(kAccentPale);
    p.drawEllipse(QPointF(16, 16), 10, 10);
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawEllipse(QPointF(16, 10.5), 1.75, 1.75);
    p.setPen(Stroke(kAccent, 2.5));
    p.drawLine(QPointF(16, 15), QPointF(16, 22));
}

// --- button and combo faces ---

// A rounded box with a 1-pixel border inside a w x h cell.
void PaintFace(QPainter& p, const QRectF& cell, const QColor& fill, const QColor& border,
               qreal radius)
{
    p.setPen(QPen(border, 1.0));
    p.setBrush(fill);
    p.drawRoundedRect(cell.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
}

QImage Face(const QColor& fill, const QColor& border)
{
    QImage image = Blank(70, 24);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    PaintFace(p, QRectF(0, 0, 70, 24), fill, border, 3);
    return image;
}

void PaintChevronDown(QPainter& p, const QPointF& centre, const QColor& colour, qreal half = 4)
{
    p.setPen(Stroke(colour, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({centre + QPointF(-half, -half / 2), centre + QPointF(0, half / 2),
                              centre + QPointF(half, -half / 2)}));
}

QImage Combo()
{
    QImage image = Blank(100, 66);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    struct
    {
        QColor border, strip, arrow;
        bool separator;
    } faces[] = {{kLine, Qt::white, kGlyph, false},
                 {kAccent, kAccentHover, kAccent, true},
                 {kAccentDark, kAccentPressed, kAccentDark, true}};
    for (int i = 0; i < 3; ++i) {
        const QRectF cell(0, 22 * i, 100, 22);
        PaintFace(p, cell, Qt::white, faces[i].border, 2);
        if (faces[i].separator) {
            // The arrow strip: the right 22 pixels, inside the border.
            const QRectF strip(78, cell.top() + 1, 21, 20);
            p.setPen(Qt::NoPen);
            p.setBrush(faces[i].strip);
            p.drawRect(strip);
            p.setPen(QPen(faces[i].border, 1.0));
            p.drawLine(QPointF(77.5, cell.top() + 1), QPointF(77.5, cell.bottom() - 1));
        }
        PaintChevronDown(p, QPointF(89, cell.top() + 11), faces[i].arrow, 3.5);
    }
    return image;
}

// --- scroll bar cells: 16 x 16, rows normal / hot / pressed ---

void PaintArrow(QPainter& p, const QPointF& c, int direction, const QColor& colour)
{
    // direction: 0 up, 1 down, 2 left, 3 right; a small filled triangle.
    static const QPointF shapes[4][3] = {{{-3.5, 2}, {3.5, 2}, {0, -2}},
                                         {{-3.5, -2}, {3.5, -2}, {0, 2}},
                                         {{2, -3.5}, {2, 3.5}, {-2, 0}},
                                         {{-2, -3.5}, {-2, 3.5}, {2, 0}}};
    QPolygonF triangle;
    for (const QPointF& point : shapes[direction])
        triangle << c + point;
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(triangle);
}

QImage ScrollBar()
{
    QImage image = Blank(144, 48);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor buttonBk[3] = {kTrack, QColor(0xDD, 0xE5, 0xEC), kAccent};
    const QColor arrow[3] = {QColor(0x7A, 0x86, 0x91), kAccent, Qt::white};
    const QColor thumb[3] = {QColor(0xC2, 0xCB, 0xD3), QColor(0x9D, 0xAA, 0xB6), kAccent};
    for (int row = 0; row < 3; ++row) {
        const int y = row * 16;
        // Buttons: up, down (columns 0, 1), left, right (columns 4, 5).
        const int buttonColumns[4] = {0, 1, 4, 5};
        for (int k = 0; k < 4; ++k) {
            const QRectF cell(buttonColumns[k] * 16, y, 16, 16);
            p.fillRect(cell, kTrack);
            p.setPen(Qt::NoPen);
            p.setBrush(buttonBk[row]);
            if (row > 0)
                p.drawRoundedRect(cell.adjusted(1, 1, -1, -1), 3, 3);
            PaintArrow(p, cell.center(), k, arrow[row]);
        }
        // Thumbs: vertical (column 2) and horizontal (column 6), on the track colour; the
        // rounded ends fall inside the 4-pixel corners, so stretching keeps them round.
        p.fillRect(QRectF(32, y, 16, 16), kTrack);
        p.fillRect(QRectF(96, y, 16, 16), kTrack);
        p.setBrush(thumb[row]);
        p.drawRoundedRect(QRectF(36, y + 1, 8, 14), 4, 4);
        p.drawRoundedRect(QRectF(97, y + 4, 14, 8), 4, 4);
        // Tracks: vertical (column 3) and horizontal (column 7); the last column stays empty.
        p.fillRect(QRectF(48, y, 16, 16), kTrack);
        p.fillRect(QRectF(112, y, 16, 16), kTrack);
    }
    return image;
}

QImage HeaderBackground()
{
    QImage image = Blank(68, 24);
    QPainter p(&image);
    p.fillRect(image.rect(), QColor(0xF3, 0xF6, 0xF9));
    p.fillRect(QRect(0, 23, 68, 1), kLine);
    return image;
}

QImage HeaderSeparator()
{
    // Line and highlight, 2 x 20: engraved between two header items.
    QImage image(2, 20, QImage::Format_RGB32);
    for (int y = 0; y < 20; ++y) {
        image.setPixel(0, y, QColor(0xC6, 0xCF, 0xD8).rgb());
        image.setPixel(1, y, QColor(0xFF, 0xFF, 0xFF).rgb());
    }
    return image;
}

QImage HeaderSeparatorThin()
{
    // 1 x 24: fades out towards both ends.
    QImage image = Blank(1, 24);
    QPainter p(&image);
    QLinearGradient g(0, 0, 0, 24);
    QColor clear = kLine;
    clear.setAlpha(0);
    g.setColorAt(0, clear);
    g.setColorAt(0.5, kLine);
    g.setColorAt(1, clear);
    p.fillRect(image.rect(), g);
    return image;
}

// --- caption buttons: 30 x 27, a 10-pixel glyph of 1-pixel lines ---

enum class Caption
{
    Min,
    Max,
    Restore,
    Close
};
enum class State
{
    Normal,
    Hover,
    Down
};

QImage CaptionButton(Caption kind, State state)
{
    QImage image = Blank(30, 27);
    QPainter p(&image);
    QColor glyph = kGlyph;
    if (kind == Caption::Close && state != State::Normal) {
        p.fillRect(image.rect(), state == State::Hover ? kCloseRed : kCloseRedDown);
        glyph = Qt::white;
    } else if (state != State::Normal) {
        p.fillRect(image.rect(),
                   state == State::Hover ? QColor(0xE5, 0xEA, 0xEF) : QColor(0xCF, 0xD8, 0xE0));
        glyph = QColor(0x1E, 0x1E, 0x1E);
    }
    // Glyph box: pixels 10..19 across, 9..18 down (centred in 30 x 27).
    p.setPen(QPen(glyph, 1.0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    switch (kind) {
    case Caption::Min:
        p.drawLine(QPointF(10.5, 14.5), QPointF(19.5, 14.5));
        break;
    case Caption::Max:
        p.drawRect(QRectF(10.5, 9.5, 9, 9));
        break;
    case Caption::Restore:
        p.drawRect(QRectF(10.5, 11.5, 7, 7));
        p.drawPolyline(QPolygonF({QPointF(12.5, 11.5), QPointF(12.5, 9.5), QPointF(19.5, 9.5),
                                  QPointF(19.5, 16.5), QPointF(17.5, 16.5)}));
        break;
    case Caption::Close:
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(glyph, 1.2, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(10, 9), QPointF(20, 19));
        p.drawLine(QPointF(20, 9), QPointF(10, 19));
        break;
    }
    return image;
}

// --- the radio: logo, emblem, icon ---

// A handheld radio in white inside the unit square (scaled by the caller): body, antenna,
// speaker slots, and radio waves beside the antenna (none when waves == 0).
void PaintRadio(QPainter& p, qreal stroke, int waves)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    // Antenna and body.
    p.drawRoundedRect(QRectF(0.30, 0.10, 0.09, 0.26), 0.035, 0.035);
    p.drawRoundedRect(QRectF(0.27, 0.32, 0.40, 0.58), 0.07, 0.07);
    // Display and speaker slots cut out in the accent colour.
    p.setBrush(kAccent);
    p.drawRoundedRect(QRectF(0.34, 0.40, 0.26, 0.14), 0.025, 0.025);
    p.setPen(QPen(kAccent, stroke, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 3; ++i) {
        const qreal y = 0.64 + i * 0.075;
        p.drawLine(QPointF(0.36, y), QPointF(0.58, y));
    }
    // Waves to the right of the antenna tip.
    p.setPen(QPen(Qt::white, stroke, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    const QPointF tip(0.40, 0.22);
    for (int i = 0; i < waves; ++i) {
        const qreal r = 0.10 + i * 0.075;
        p.drawArc(QRectF(tip.x() - r, tip.y() - r, 2 * r, 2 * r), -40 * 16, 80 * 16);
    }
}

QImage Logo()
{
    QImage image = Blank(25, 25);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawRoundedRect(QRectF(0, 0, 25, 25), 5, 5);
    p.scale(25, 25);
    PaintRadio(p, 1.4 / 25, 2);
    return image;
}

} // namespace

QImage DrawEmblem()
{
    // Opaque on the dialog face colour of Windows (#F0F0F0), which the about box also uses.
    QImage image(70, 70, QImage::Format_RGB32);
    image.fill(QColor(0xF0, 0xF0, 0xF0));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kAccentPale);
    p.drawEllipse(QRectF(1, 1, 68, 68));
    p.setBrush(kAccent);
    p.drawEllipse(QRectF(6, 6, 58, 58));
    p.translate(8, 8);
    p.scale(54, 54);
    PaintRadio(p, 2.6 / 54, 2);
    return image;
}

QImage DrawWindowIcon()
{
    QImage image = Blank(128, 128);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawRoundedRect(QRectF(4, 4, 120, 120), 24, 24);
    p.translate(4, 4);
    p.scale(120, 120);
    PaintRadio(p, 5.0 / 120, 3);
    return image;
}

QList<SkinImage> DrawSkinImages()
{
    QList<SkinImage> images;
    auto icon = [](void (*paint)(QPainter&)) {
        QImage image = Blank(32, 32);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        paint(p);
        return image;
    };
    images.append({QStringLiteral("VORLEND.png"), Logo()});
    images.append({QStringLiteral("folder.png"), icon(PaintFolder)});
    images.append({QStringLiteral("save.png"), icon(PaintSave)});
    {
        // Read at source 1,0,33,32 and write at 34,0,66,32.
        QImage both = Blank(68, 32);
        QPainter p(&both);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(1, 0);
        PaintTransfer(p, true);
        p.translate(33, 0);
        PaintTransfer(p, false);
        p.end();
        images.append({QStringLiteral("readwrite.png"), both});
    }
    images.append({QStringLiteral("info.png"), icon(PaintInfo)});
    images.append({QStringLiteral("normal.png"), Face(kPanel, kLine)});
    images.append({QStringLiteral("hover.png"), Face(kAccentHover, kAccent)});
    images.append({QStringLiteral("press.png"), Face(kAccentPressed, kAccentDark)});
    images.append({QStringLiteral("combo.png"), Combo()});
    images.append({QStringLiteral("scrollbar.png"), ScrollBar()});
    images.append({QStringLiteral("list_header_bg.png"), HeaderBackground()});
    images.append({QStringLiteral("Headerctrl_Sperator.bmp"), HeaderSeparator()});
    images.append({QStringLiteral("list_header_sep.png"), HeaderSeparatorThin()});
    const struct
    {
        Caption kind;
        const char* name;
    } captions[] = {{Caption::Min, "min"},
                    {Caption::Max, "max"},
                    {Caption::Restore, "restore"},
                    {Caption::Close, "close"}};
    const struct
    {
        State state;
        const char* name;
    } states[] = {{State::Normal, "normal"}, {State::Hover, "hover"}, {State::Down, "down"}};
    for (const auto& c : captions) {
        for (const auto& s : states) {
            images.append({QStringLiteral("sysbtn_%1_%2.png")
                               .arg(QLatin1String(c.name), QLatin1String(s.name)),
                           CaptionButton(c.kind, s.state)});
        }
    }
    return images;
}

} // namespace skingen
