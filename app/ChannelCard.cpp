#include "ChannelCard.h"

#include "LocalTime.h"
#include "Texts.h"
#include "model/CellText.h"
#include "model/SettingsMapping.h"
#include "resources/SkinNames.h"
#include "resources/SkinResources.h"
#include "toolkit/DialogBuilder.h"
#include "toolkit/ZipArchive.h"

// Qt
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

// std
#include <algorithm>
#include <array>
#include <numeric>
#include <optional>

namespace {

using DuiLib::EqualsNoCase;
using DuiLib::LayoutElement;

// A settings combo as the layout describes it.
struct LayoutCombo
{
    QString name;
    QString label; // the label before it in its row
    QStringList items;
};

// What the layout says that the card repeats: the grid's column titles and the combos, both
// in the window's order.
struct LayoutTexts
{
    QStringList columnTitles;
    QList<LayoutCombo> combos;
};

void CollectLayoutTexts(const LayoutElement& element, LayoutTexts& texts)
{
    QString label;
    for (const LayoutElement& child : element.children) {
        if (EqualsNoCase(child.className, QStringLiteral("ListHeaderItem"))) {
            texts.columnTitles << child.attribute(QStringLiteral("text"));
        } else if (EqualsNoCase(child.className, QStringLiteral("Label"))) {
            label = child.attribute(QStringLiteral("text"));
        } else if (EqualsNoCase(child.className, QStringLiteral("Combo"))) {
            LayoutCombo combo{child.attribute(QStringLiteral("name")), label, {}};
            for (const LayoutElement& item : child.children)
                combo.items << item.attribute(QStringLiteral("text"));
            texts.combos << combo;
            continue;
        }
        CollectLayoutTexts(child, texts);
    }
}

// Read once from the built-in skin; empty when the skin cannot be read, which leaves blank
// titles rather than no card.
const LayoutTexts& WindowLayoutTexts()
{
    static const LayoutTexts texts = [] {
        LayoutTexts collected;
        const auto xml =
            DuiLib::CZipArchive(vorlend::SkinArchive()).Read(QStringLiteral("Skin.xml"));
        if (xml) {
            if (const auto root = DuiLib::CDialogBuilder::ParseXml(*xml))
                CollectLayoutTexts(*root, collected);
        }
        return collected;
    }();
    return texts;
}

struct CardSetting
{
    QString name;
    QString value;
};

// Everything the card shows, as text.
struct CardContent
{
    QString title;
    std::array<QString, kColumnCount> columnTitles;
    std::array<std::array<QString, kColumnCount>, kChannelCount> rows;
    QList<CardSetting> settings;
};

CardContent MakeContent(const RadioImage& image, const QString& dateText)
{
    const LayoutTexts& layout = WindowLayoutTexts();
    CardContent content;
    content.title = QString::fromUtf8(Texts::kCardTitle).arg(dateText);
    for (int column = 0; column < kColumnCount; ++column)
        content.columnTitles[column] = layout.columnTitles.value(column);
    for (int row = 0; row < kChannelCount; ++row) {
        content.rows[row][kColNumber] = QString::number(row + 1);
        for (int column = kColRxFreq; column < kColumnCount; ++column)
            content.rows[row][column] =
                QString::fromStdString(CellTextFromRecord(image.channels[row], column));
    }
    const auto& fields = SettingsFields();
    for (const LayoutCombo& combo : layout.combos) {
        const auto field = std::find_if(fields.begin(), fields.end(), [&](const SettingsField& f) {
            return combo.name == QLatin1String(SettingsComboName(f));
        });
        if (field == fields.end())
            continue; // the port combo
        const int index = SelectionFromByte(*field, image.settings.bytes[field->offset]);
        content.settings << CardSetting{combo.label, combo.items.value(index)};
    }
    return content;
}

const QColor kTitleRule(0x18, 0x83, 0xD7); // the window's frame colour
const QColor kHeaderFill(0xE6, 0xEC, 0xF2);
const QColor kStripeFill(0xF5, 0xF7, 0xFA);
const QColor kLine(0xA0, 0xA8, 0xB0);
const QColor kText(0x20, 0x20, 0x20);

// The card's sizes in device units, for type of kBodyPoints at a scale of 1.
struct CardGeometry
{
    double point = 0; // device units per typographic point
    double pad = 0;   // space on either side of a cell's text
    QFont titleFont, headFont, bodyFont, sectionFont;
    std::array<double, kColumnCount> columnWidths{};
    double gridWidth = 0;
    double titleHeight = 0, headHeight = 0, rowHeight = 0, sectionHeight = 0;
    double nameWidth = 0, valueWidth = 0;
    double width = 0, height = 0; // what the card needs, before any stretching
};

constexpr double kBodyPoints = 10;
// White space below the title and above the settings, in points.
constexpr double kTitleGap = 12;
constexpr double kSettingsGap = 18;

QFont CardFont(double pointSize, bool bold)
{
    QFont font(QStringLiteral("Arial")); // the window's own face
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

double LongestWord(const QFontMetricsF& metrics, const QString& text)
{
    double width = 0;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        width = std::max(width, metrics.horizontalAdvance(word));
    return width;
}

CardGeometry Measure(const CardContent& content, QPaintDevice& device, double pageWidth)
{
    CardGeometry g;
    g.point = device.logicalDpiY() / 72.0;
    g.pad = 0.8 * kBodyPoints * g.point;
    g.titleFont = CardFont(kBodyPoints * 1.6, true);
    g.headFont = CardFont(kBodyPoints, true);
    g.bodyFont = CardFont(kBodyPoints, false);
    g.sectionFont = CardFont(kBodyPoints * 1.25, true);
    const QFontMetricsF title(g.titleFont, &device), head(g.headFont, &device),
        body(g.bodyFont, &device), section(g.sectionFont, &device);

    // Each column as wide as its title on one line; while the grid is wider than the page, the
    // title that saves most wraps at its blanks ("Код QT/DQT" over "(RX)"), down to its cells.
    std::array<double, kColumnCount> narrowest{};
    for (int column = 0; column < kColumnCount; ++column) {
        double cells = 0;
        for (const auto& row : content.rows)
            cells = std::max(cells, body.horizontalAdvance(row[column]));
        const QString& text = content.columnTitles[column];
        g.columnWidths[column] = std::max(cells, head.horizontalAdvance(text)) + 2 * g.pad;
        narrowest[column] = std::max(cells, LongestWord(head, text)) + 2 * g.pad;
    }
    auto total = [&] { return std::accumulate(g.columnWidths.begin(), g.columnWidths.end(), 0.0); };
    while (total() > pageWidth) {
        int widest = 0;
        for (int column = 1; column < kColumnCount; ++column) {
            if (g.columnWidths[column] - narrowest[column] >
                g.columnWidths[widest] - narrowest[widest])
                widest = column;
        }
        if (g.columnWidths[widest] <= narrowest[widest])
            break; // no title left to wrap: the card is scaled down instead
        g.columnWidths[widest] = narrowest[widest];
    }
    double headLines = 1;
    for (int column = 0; column < kColumnCount; ++column) {
        const QRectF wrapped =
            head.boundingRect(QRectF(0, 0, g.columnWidths[column] - 2 * g.pad, 1e6),
                              Qt::AlignCenter | Qt::TextWordWrap, content.columnTitles[column]);
        headLines = std::max(headLines, std::round(wrapped.height() / head.lineSpacing()));
    }
    g.gridWidth = std::accumulate(g.columnWidths.begin(), g.columnWidths.end(), 0.0);

    for (const CardSetting& setting : content.settings) {
        g.nameWidth = std::max(g.nameWidth, body.horizontalAdvance(setting.name) + 2 * g.pad);
        g.valueWidth = std::max(g.valueWidth, body.horizontalAdvance(setting.value) + 2 * g.pad);
    }

    g.titleHeight = title.height() * 1.4;
    g.headHeight = head.lineSpacing() * headLines + head.height();
    g.rowHeight = body.height() * 1.75;
    g.sectionHeight = section.height() * 1.6;
    g.width =
        std::max({g.gridWidth, g.nameWidth + g.valueWidth, title.horizontalAdvance(content.title)});
    g.height = g.titleHeight + kTitleGap * g.point + g.headHeight + kChannelCount * g.rowHeight +
               kSettingsGap * g.point + g.sectionHeight + content.settings.size() * g.rowHeight;
    return g;
}

// Widens the grid to `width`, sharing the room out in proportion, and the settings table to at
// least half of it, so that its short values do not look lost.
void Stretch(CardGeometry& g, double width)
{
    const double factor = width / g.gridWidth;
    for (double& column : g.columnWidths)
        column *= factor;
    g.gridWidth = width;
    g.valueWidth = std::max(g.valueWidth, width / 2 - g.nameWidth);
}

// The firmer frame round a table.
void DrawFrame(QPainter& painter, const CardGeometry& g, const QRectF& box)
{
    painter.setPen(QPen(kLine, 0.9 * g.point));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box);
}

void DrawGrid(QPainter& painter, const CardContent& content, const CardGeometry& g, double top)
{
    const QRectF head(0, top, g.gridWidth, g.headHeight);
    painter.fillRect(head, kHeaderFill);
    for (int row = 1; row < kChannelCount; row += 2)
        painter.fillRect(QRectF(0, head.bottom() + row * g.rowHeight, g.gridWidth, g.rowHeight),
                         kStripeFill);

    painter.setPen(kText);
    double left = 0;
    for (int column = 0; column < kColumnCount; ++column) {
        const double width = g.columnWidths[column];
        painter.setFont(g.headFont);
        painter.drawText(QRectF(left + g.pad, top, width - 2 * g.pad, g.headHeight),
                         Qt::AlignCenter | Qt::TextWordWrap, content.columnTitles[column]);
        painter.setFont(g.bodyFont);
        for (int row = 0; row < kChannelCount; ++row)
            painter.drawText(QRectF(left, head.bottom() + row * g.rowHeight, width, g.rowHeight),
                             Qt::AlignCenter, content.rows[row][column]);
        left += width;
    }

    const QRectF box(0, top, g.gridWidth, g.headHeight + kChannelCount * g.rowHeight);
    painter.setPen(QPen(kLine, 0.3 * g.point));
    for (int row = 0; row < kChannelCount; ++row) {
        const double y = head.bottom() + row * g.rowHeight;
        painter.drawLine(QPointF(0, y), QPointF(g.gridWidth, y));
    }
    left = 0;
    for (int column = 0; column + 1 < kColumnCount; ++column) {
        left += g.columnWidths[column];
        painter.drawLine(QPointF(left, box.top()), QPointF(left, box.bottom()));
    }
    DrawFrame(painter, g, box);
}

void DrawSettings(QPainter& painter, const CardContent& content, const CardGeometry& g, double top)
{
    const double width = g.nameWidth + g.valueWidth;
    const QRectF box(0, top, width, content.settings.size() * g.rowHeight);
    painter.fillRect(QRectF(0, top, g.nameWidth, box.height()), kHeaderFill);
    painter.setFont(g.bodyFont);
    painter.setPen(kText);
    for (int i = 0; i < content.settings.size(); ++i) {
        const double y = top + i * g.rowHeight;
        painter.drawText(QRectF(g.pad, y, g.nameWidth - 2 * g.pad, g.rowHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, content.settings[i].name);
        painter.drawText(QRectF(g.nameWidth + g.pad, y, g.valueWidth - 2 * g.pad, g.rowHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, content.settings[i].value);
    }
    painter.setPen(QPen(kLine, 0.3 * g.point));
    for (int i = 1; i < content.settings.size(); ++i) {
        const double y = top + i * g.rowHeight;
        painter.drawLine(QPointF(0, y), QPointF(width, y));
    }
    painter.drawLine(QPointF(g.nameWidth, box.top()), QPointF(g.nameWidth, box.bottom()));
    DrawFrame(painter, g, box);
}

} // namespace

void PrepareChannelCardPage(QPagedPaintDevice& device)
{
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
}

bool RenderChannelCard(QPagedPaintDevice& device, const RadioImage& image, const QString& dateText)
{
    const CardContent content = MakeContent(image, dateText);
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    painter.setRenderHint(QPainter::Antialiasing);
    // A page too small for 10-point type gets the whole card scaled down to fit.
    CardGeometry g = Measure(content, device, device.width());
    const double scale = std::min({1.0, device.width() / g.width, device.height() / g.height});
    painter.scale(scale, scale);
    const QSizeF area(device.width() / scale, device.height() / scale);
    Stretch(g, area.width());

    painter.setPen(kText);
    painter.setFont(g.titleFont);
    painter.drawText(QRectF(0, 0, area.width(), g.titleHeight), Qt::AlignLeft | Qt::AlignTop,
                     content.title);
    painter.setPen(QPen(kTitleRule, 1.2 * g.point));
    painter.drawLine(QPointF(0, g.titleHeight), QPointF(area.width(), g.titleHeight));

    double top = g.titleHeight + kTitleGap * g.point;
    DrawGrid(painter, content, g, top);
    top += g.headHeight + kChannelCount * g.rowHeight + kSettingsGap * g.point;

    painter.setPen(kText);
    painter.setFont(g.sectionFont);
    painter.drawText(QRectF(0, top, area.width(), g.sectionHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8(Texts::kCardSettings));
    top += g.sectionHeight;
    DrawSettings(painter, content, g, top);
    return painter.end();
}

bool PrintChannelCard(QWidget* parent, const RadioImage& image, QPrinter& printer)
{
    QPrintDialog dialog(&printer, parent);
    // One page: no page range, no selection.
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    return RenderChannelCard(printer, image, FormatLocalTime("%x"));
}

bool PrintChannelCard(QWidget* parent, const RadioImage& image)
{
    QPrinter printer(QPrinter::HighResolution);
    PrepareChannelCardPage(printer);
    return PrintChannelCard(parent, image, printer);
}
