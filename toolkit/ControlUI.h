#pragma once

#include "UIBase.h"

// Qt
#include <QColor>
#include <QMargins>
#include <QMetaType>
#include <QWidget>

class QPainter;

namespace DuiLib {

// How a layout places one child: a fixed size (0 = take a share of the space left), the limits
// of that share, and the free space kept around the child. Any widget can carry these, also one
// the window's factory made; the builder sets them from the common attributes.
struct LayoutHints
{
    int fixedWidth = 0;
    int fixedHeight = 0;
    int minWidth = 0;
    int minHeight = 0;
    int maxWidth = 9999;
    int maxHeight = 9999;
    QMargins padding;

    bool operator==(const LayoutHints&) const = default;
};

[[nodiscard]] LayoutHints GetLayoutHints(const QWidget* widget);
// Stores the hints and asks the parent's layout to place its children again.
void SetLayoutHints(QWidget* widget, const LayoutHints& hints);

// The attributes every element understands, whatever made it: "name", "width", "height",
// "minwidth", "minheight", "maxwidth", "maxheight", "padding", "visible", "enabled", "tooltip".
// Returns false for any other attribute name.
bool SetCommonAttribute(QWidget* widget, const QString& name, const QString& value);
// The mark of the control with the keyboard focus: a one-pixel ring in the skin's accent colour
// just inside the given rectangle (drawn over the face, so the layout's sizes stay as they are).
void PaintFocusMark(QPainter& painter, const QWidget* control, const QRect& rect);
// "true"/"false" as the layout writes them (also 1/0).
[[nodiscard]] bool ParseBool(const QString& text);

// A plain rectangle of the layout: background colour or image, border; base of the toolkit's
// own controls. Layout class "Control".
class CControlUI : public QWidget, public IControlUI
{
    Q_OBJECT

public:
    explicit CControlUI(QWidget* parent = nullptr);

    [[nodiscard]] QString GetClass() const override;
    // Besides the common attributes: "bkcolor", "bkimage", "bordercolor", "bordersize",
    // "borderround" ("x,y" corner radii).
    void SetAttribute(const QString& name, const QString& value) override;

    void SetBkColor(const QColor& colour);
    [[nodiscard]] QColor GetBkColor() const { return m_bkColor; }
    void SetBkImage(const QString& description);
    [[nodiscard]] QString GetBkImage() const { return m_bkImage; }
    void SetBorderColor(const QColor& colour);
    [[nodiscard]] QColor GetBorderColor() const { return m_borderColor; }
    void SetBorderSize(int size);
    [[nodiscard]] int GetBorderSize() const { return m_borderSize; }

    void SetFixedWidth(int width);
    void SetFixedHeight(int height);

protected:
    void paintEvent(QPaintEvent* event) override;
    // Background colour, background image, then the border; subclasses paint their own
    // content after calling this.
    virtual void PaintBackground(QPainter& painter);
    virtual void PaintBorder(QPainter& painter);

private:
    QColor m_bkColor;
    QString m_bkImage;
    QColor m_borderColor;
    int m_borderSize = 0;
    QSize m_borderRound;
};

} // namespace DuiLib

Q_DECLARE_METATYPE(DuiLib::LayoutHints)
