#include "resources/DialogUnits.h"

// Qt
#include <QFontMetrics>
#include <QStringList>

namespace vorlend {

namespace {

int MulDiv(int value, int numerator, int denominator)
{
    // Rounded to nearest, halves away from zero, as the Windows function does.
    const qint64 product = qint64(value) * numerator;
    const qint64 half = denominator / 2;
    return int(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

} // namespace

QSize DialogBaseUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(letters / 26 + 1) / 2, metrics.height()};
}

QRect DialogUnitsToPixels(const QRect& units, const QSize& base)
{
    const int left = MulDiv(units.left(), base.width(), 4);
    const int top = MulDiv(units.top(), base.height(), 8);
    const QSize size = DialogUnitsToPixels(units.size(), base);
    return {left, top, size.width(), size.height()};
}

QSize DialogUnitsToPixels(const QSize& units, const QSize& base)
{
    return {MulDiv(units.width(), base.width(), 4), MulDiv(units.height(), base.height(), 8)};
}

QFont DialogFont(int pointSize)
{
    QFont font;
    font.setFamilies(QStringList() << QStringLiteral("MS Shell Dlg 2") << QStringLiteral("Tahoma")
                                   << QStringLiteral("Liberation Sans") << QStringLiteral("Arial"));
    font.setPointSize(pointSize);
    return font;
}

} // namespace vorlend
