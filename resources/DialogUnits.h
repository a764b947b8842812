#pragma once

// Qt
#include <QFont>
#include <QRect>
#include <QSize>

namespace vorlend {

// Dialog units as Windows computes them for a dialog's font: the horizontal base unit is the
// average width of the 52 letters A-Z and a-z, rounded; the vertical one the font's height.
// A dialog unit is a quarter of the first and an eighth of the second.
[[nodiscard]] QSize DialogBaseUnits(const QFont& font);
[[nodiscard]] QRect DialogUnitsToPixels(const QRect& units, const QSize& base);
[[nodiscard]] QSize DialogUnitsToPixels(const QSize& units, const QSize& base);
// The classic dialog font, "MS Shell Dlg", at the given size in points; where it does not
// exist its metric twins stand in (Tahoma, Liberation Sans, Arial).
[[nodiscard]] QFont DialogFont(int pointSize);

} // namespace vorlend
