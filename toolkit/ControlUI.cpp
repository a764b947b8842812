#include "ControlUI.h"

#include "AttributeTable.h"
#include "PaintManager.h"

// Qt
#include <QLayout>
#include <QPainter>
#include <QPainterPath>

namespace DuiLib {

namespace {

const char kHintsProperty[] = "duilib.layoutHints";

// The pair "a,b" of the layout as two numbers; a missing second number repeats the first.
QSize ParsePair(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    const int first = parts.value(0).trimmed().toInt();
    const int second = parts.size() > 1 ? parts[1].trimmed().toInt() : first;
    return {first, second};
}

int NonNegative(const QString& text)
{
    return std::max(0, text.trimmed().toInt());
}

} // namespace

LayoutHints GetLayoutHints(const QWidget* widget)
{
    const QVariant v = widget->property(kHintsProperty);
    return v.canConvert<LayoutHints>() ? v.value<LayoutHints>() : LayoutHints{};
}

void SetLayoutHints(QWidget* widget, const LayoutHints& hints)
{
    if (GetLayoutHints(widget) == hints && widget->property(kHintsProperty).isValid())
        return;
    widget->setProperty(kHintsProperty, QVariant::fromValue(hints));
    widget->updateGeometry();
    if (QWidget* parent = widget->parentWidget(); parent != nullptr && parent->layout() != nullptr)
        parent->layout()->invalidate();
}

bool ParseBool(const QString& text)
{
    const QString t = text.trimmed();
    return EqualsNoCase(t, QStringLiteral("true")) || t == QLatin1String("1");
}

void PaintFocusMark(QPainter& painter, const QWidget* control, const QRect& rect)
{
    const CPaintManagerUI* manager = CPaintManagerUI::FromWidget(control);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(manager != nullptr ? manager->GetAccentColor() : kDefaultAccent, 1));
    painter.drawRect(rect.adjusted(1, 1, -2, -2));
    painter.restore();
}

namespace {

// One of the layout hints of a widget, changed through SetLayoutHints.
template <class Change>
void ChangeHints(QWidget& widget, Change change)
{
    LayoutHints hints = GetLayoutHints(&widget);
    change(hints);
    SetLayoutHints(&widget, hints);
}

// A size attribute: a number of pixels, never below 0.
template <int LayoutHints::*Hint>
void SetSizeHint(QWidget& widget, const QString& value)
{
    ChangeHints(widget, [&](LayoutHints& h) { h.*Hint = NonNegative(value); });
}

const CAttributeTable<QWidget>& CommonAttributes()
{
    static const CAttributeTable<QWidget> table{
        {"name", [](QWidget& w, const QString& v) { w.setObjectName(v); }},
        {"width", SetSizeHint<&LayoutHints::fixedWidth>},
        {"height", SetSizeHint<&LayoutHints::fixedHeight>},
        {"minwidth", SetSizeHint<&LayoutHints::minWidth>},
        {"minheight", SetSizeHint<&LayoutHints::minHeight>},
        {"maxwidth", SetSizeHint<&LayoutHints::maxWidth>},
        {"maxheight", SetSizeHint<&LayoutHints::maxHeight>},
        {"padding",
         [](QWidget& w, const QString& v) {
             ChangeHints(w, [&](LayoutHints& h) { h.padding = ParseMargins(v); });
         }},
        {"visible",
         [](QWidget& w, const QString& v) {
             // A widget without a parent would become a window of its own.
             if (w.parentWidget() != nullptr || !ParseBool(v))
                 w.setVisible(ParseBool(v));
         }},
        {"enabled", [](QWidget& w, const QString& v) { w.setEnabled(ParseBool(v)); }},
        {"tooltip", [](QWidget& w, const QString& v) { w.setToolTip(v); }},
    };
    return table;
}

} // namespace

bool SetCommonAttribute(QWidget* widget, const QString& name, const QString& value)
{
    return CommonAttributes().Apply(*widget, name, value);
}

CControlUI::CControlUI(QWidget* parent) : QWidget(parent) {}

QString CControlUI::GetClass() const
{
    return QStringLiteral("Control");
}

void CControlUI::SetAttribute(const QString& name, const QString& value)
{
    static const CAttributeTable<CControlUI> table{
        {"bkcolor", [](CControlUI& c, const QString& v) { c.SetBkColor(ParseColor(v)); }},
        {"bkimage", [](CControlUI& c, const QString& v) { c.SetBkImage(v); }},
        {"bordercolor", [](CControlUI& c, const QString& v) { c.SetBorderColor(ParseColor(v)); }},
        {"bordersize", [](CControlUI& c, const QString& v) { c.SetBorderSize(NonNegative(v)); }},
        {"borderround", [](CControlUI& c, const QString& v) { c.m_borderRound = ParsePair(v); }},
    };
    if (!SetCommonAttribute(this, name, value))
        table.Apply(*this, name, value);
}

void CControlUI::SetBkColor(const QColor& colour)
{
    m_bkColor = colour;
    update();
}

void CControlUI::SetBkImage(const QString& description)
{
    m_bkImage = description;
    update();
}

void CControlUI::SetBorderColor(const QColor& colour)
{
    m_borderColor = colour;
    update();
}

void CControlUI::SetBorderSize(int size)
{
    m_borderSize = std::max(0, size);
    update();
}

void CControlUI::SetFixedWidth(int width)
{
    LayoutHints hints = GetLayoutHints(this);
    hints.fixedWidth = std::max(0, width);
    SetLayoutHints(this, hints);
}

void CControlUI::SetFixedHeight(int height)
{
    LayoutHints hints = GetLayoutHints(this);
    hints.fixedHeight = std::max(0, height);
    SetLayoutHints(this, hints);
}

void CControlUI::paintEvent(QPaintEvent* event)
{
    (void)event;
    QPainter painter(this);
    PaintBackground(painter);
    PaintBorder(painter);
}

void CControlUI::PaintBackground(QPainter& painter)
{
    if (m_bkColor.isValid() && m_bkColor.alpha() != 0)
        painter.fillRect(rect(), m_bkColor);
    if (!m_bkImage.isEmpty()) {
        if (const CPaintManagerUI* manager = CPaintManagerUI::FromWidget(this))
            manager->DrawImage(painter, rect(), m_bkImage);
    }
}

void CControlUI::PaintBorder(QPainter& painter)
{
    if (m_borderSize <= 0 || !m_borderColor.isValid())
        return;
    const qreal half = m_borderSize / 2.0;
    const QRectF r = QRectF(rect()).adjusted(half, half, -half, -half);
    painter.save();
    painter.setPen(QPen(m_borderColor, m_borderSize));
    painter.setBrush(Qt::NoBrush);
    if (m_borderRound.isEmpty()) {
        painter.drawRect(r);
    } else {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.drawRoundedRect(r, m_borderRound.width(), m_borderRound.height());
    }
    painter.restore();
}

} // namespace DuiLib
