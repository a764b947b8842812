#include "LabelUI.h"

#include "AttributeTable.h"
#include "PaintManager.h"

// Qt
#include <QPainter>

namespace DuiLib {

namespace {

const QColor kDefaultText(0x1E, 0x1E, 0x1E);
const QColor kDefaultDisabledText(0xA0, 0xA0, 0xA0);

} // namespace

CLabelUI::CLabelUI(QWidget* parent) : CControlUI(parent) {}

QString CLabelUI::GetClass() const
{
    return QStringLiteral("Label");
}

void CLabelUI::SetAttribute(const QString& name, const QString& value)
{
    static const CAttributeTable<CLabelUI> table{
        {"text", [](CLabelUI& c, const QString& v) { c.SetText(v); }},
        {"endellipsis", [](CLabelUI& c, const QString& v) { c.m_endEllipsis = ParseBool(v); }},
    };
    if (table.Apply(*this, name, value) || m_face.SetAttribute(name, value))
        update();
    else
        CControlUI::SetAttribute(name, value);
}

void CLabelUI::SetText(const QString& text)
{
    if (text == m_text)
        return;
    m_text = text;
    update();
}

void CLabelUI::SetTextColor(const QColor& colour)
{
    m_face.text.textColor = colour;
    update();
}

void CLabelUI::SetDisabledTextColor(const QColor& colour)
{
    m_face.text.disabledTextColor = colour;
    update();
}

void CLabelUI::SetTextPadding(const QMargins& padding)
{
    m_face.text.padding = padding;
    update();
}

void CLabelUI::SetFont(int index)
{
    m_face.text.font = index;
    update();
}

void CLabelUI::SetTextStyle(Qt::Alignment alignment)
{
    m_face.text.align = alignment;
    update();
}

void CLabelUI::paintEvent(QPaintEvent* event)
{
    (void)event;
    QPainter painter(this);
    PaintBackground(painter);
    PaintText(painter);
    PaintBorder(painter);
}

void CLabelUI::PaintText(QPainter& painter)
{
    if (m_text.isEmpty())
        return;
    const QRect r = rect().marginsRemoved(m_face.text.padding);
    if (r.isEmpty())
        return;
    painter.save();
    painter.setFont(GetSkinFont());
    painter.setPen(m_face.TextColour(isEnabled(), kDefaultText, kDefaultDisabledText));
    // A text that does not fit keeps both ends (a port label keeps its caption and the port's
    // name) unless the layout asks for the end to go; the whole text is then the tooltip.
    const QString text = painter.fontMetrics().elidedText(
        m_text, m_endEllipsis ? Qt::ElideRight : Qt::ElideMiddle, r.width());
    const bool elided = text != m_text;
    if (elided && !m_toolTipIsText)
        m_ownToolTip = toolTip();
    if (elided || m_toolTipIsText) {
        setToolTip(elided ? m_text : m_ownToolTip);
        m_toolTipIsText = elided;
    }
    painter.drawText(r, int(m_face.text.align) | Qt::TextSingleLine, text);
    painter.restore();
}

QFont CLabelUI::GetSkinFont() const
{
    return m_face.Font(this);
}

} // namespace DuiLib
