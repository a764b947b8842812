#include "LabelUI.h"

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
    auto is = [&](const char* attribute) { return EqualsNoCase(name, QLatin1String(attribute)); };
    const QString v = value.trimmed();
    if (is("text")) {
        SetText(value);
    } else if (is("textpadding")) {
        SetTextPadding(ParseMargins(value));
    } else if (is("align")) {
        Qt::Alignment h = Qt::AlignLeft;
        if (EqualsNoCase(v, QStringLiteral("center")))
            h = Qt::AlignHCenter;
        else if (EqualsNoCase(v, QStringLiteral("right")))
            h = Qt::AlignRight;
        SetTextStyle((m_align & Qt::AlignVertical_Mask) | h);
    } else if (is("valign")) {
        Qt::Alignment vert = Qt::AlignVCenter;
        if (EqualsNoCase(v, QStringLiteral("top")))
            vert = Qt::AlignTop;
        else if (EqualsNoCase(v, QStringLiteral("bottom")))
            vert = Qt::AlignBottom;
        SetTextStyle((m_align & Qt::AlignHorizontal_Mask) | vert);
    } else if (is("font")) {
        SetFont(v.toInt());
    } else if (is("textcolor")) {
        SetTextColor(ParseColor(value));
    } else if (is("disabledtextcolor")) {
        SetDisabledTextColor(ParseColor(value));
    } else if (is("endellipsis")) {
        m_endEllipsis = ParseBool(value);
        update();
    } else {
        CControlUI::SetAttribute(name, value);
    }
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
    m_textColor = colour;
    update();
}

void CLabelUI::SetDisabledTextColor(const QColor& colour)
{
    m_disabledTextColor = colour;
    update();
}

void CLabelUI::SetTextPadding(const QMargins& padding)
{
    m_textPadding = padding;
    update();
}

void CLabelUI::SetFont(int index)
{
    m_font = index;
    update();
}

void CLabelUI::SetTextStyle(Qt::Alignment alignment)
{
    m_align = alignment;
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
    const QRect r = rect().marginsRemoved(m_textPadding);
    if (r.isEmpty())
        return;
    painter.save();
    painter.setFont(GetSkinFont());
    QColor colour = m_textColor.isValid() ? m_textColor : kDefaultText;
    if (!isEnabled())
        colour = m_disabledTextColor.isValid() ? m_disabledTextColor : kDefaultDisabledText;
    painter.setPen(colour);
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
    painter.drawText(r, int(m_align) | Qt::TextSingleLine, text);
    painter.restore();
}

QFont CLabelUI::GetSkinFont() const
{
    const CPaintManagerUI* manager = CPaintManagerUI::FromWidget(this);
    return manager != nullptr ? manager->GetFont(m_font) : font();
}

} // namespace DuiLib
