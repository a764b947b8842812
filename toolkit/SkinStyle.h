#pragma once

// Qt
#include <QProxyStyle>

class QAbstractScrollArea;
class QScrollBar;

namespace DuiLib {

// The toolkit's look where Qt draws: scroll bars painted from the skin's "VScrollBar" and
// "HScrollBar" default attributes (button, thumb and track images with their source
// rectangles), and combo lists that drop down below the combo. The images come from the window
// the widget belongs to; outside a skinned window Qt's own look is used.
class CSkinStyle : public QProxyStyle
{
    Q_OBJECT

public:
    // One instance for the application, owned by it (created on first use).
    [[nodiscard]] static CSkinStyle* Instance();

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                         const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget = nullptr) const override;

private:
    CSkinStyle();
};

// Paints the scroll bars of a scroll area (a grid, a list) with the skin's scroll bar images.
// Call it once the area is inside the window or will be; the images are looked up when painting.
void ApplySkinScrollBars(QAbstractScrollArea* area);
void ApplySkinScrollBar(QScrollBar* bar);

} // namespace DuiLib
