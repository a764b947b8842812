#include "ButtonUI.h"

#include "AttributeTable.h"
#include "PaintManager.h"

// Qt
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace DuiLib {

CButtonUI::CButtonUI(QWidget* parent) : CLabelUI(parent)
{
    SetTextStyle(Qt::AlignCenter);
    setAttribute(Qt::WA_Hover);
    // A click moves the focus here, so an open in-place editor elsewhere is committed first.
    setFocusPolicy(Qt::ClickFocus);
}

QString CButtonUI::GetClass() const
{
    return QStringLiteral("Button");
}

void CButtonUI::SetAttribute(const QString& name, const QString& value)
{
    static const CAttributeTable<CButtonUI> table{
        {"foreimage", [](CButtonUI& c, const QString& v) { c.SetForeImage(v); }},
        {"hotforeimage", [](CButtonUI& c, const QString& v) { c.m_hotForeImage = v; }},
        {"pushedforeimage", [](CButtonUI& c, const QString& v) { c.m_pushedForeImage = v; }},
    };
    if (!table.Apply(*this, name, value))
        CLabelUI::SetAttribute(name, value);
    update();
}

void CButtonUI::SetNormalImage(const QString& description)
{
    m_face.images.normal = description;
    update();
}

void CButtonUI::SetHotImage(const QString& description)
{
    m_face.images.hot = description;
    update();
}

void CButtonUI::SetPushedImage(const QString& description)
{
    m_face.images.pushed = description;
    update();
}

void CButtonUI::SetForeImage(const QString& description)
{
    m_foreImage = description;
    update();
}

bool CButtonUI::Activate()
{
    // Visible means not hidden itself nor inside a hidden container; the window may be minimised.
    if (!isVisibleTo(window()) || !isEnabled())
        return false;
    if (CPaintManagerUI* manager = CPaintManagerUI::FromWidget(this))
        manager->SendNotify(this, QStringLiteral("click"));
    return true;
}

bool CButtonUI::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::HoverEnter:
        m_hot = true;
        update();
        break;
    case QEvent::HoverLeave:
        m_hot = false;
        update();
        break;
    case QEvent::EnabledChange:
        m_hot = m_pushed = m_captured = false;
        update();
        break;
    default:
        break;
    }
    return CLabelUI::event(event);
}

void CButtonUI::paintEvent(QPaintEvent* event)
{
    (void)event;
    QPainter painter(this);
    PaintBackground(painter);
    PaintStatusImage(painter);
    PaintText(painter);
    PaintBorder(painter);
    if (hasFocus())
        PaintFocusMark(painter, this, rect());
}

void CButtonUI::PaintStatusImage(QPainter& painter)
{
    const CPaintManagerUI* manager = CPaintManagerUI::FromWidget(this);
    if (manager == nullptr)
        return;
    const bool enabled = isEnabled();
    auto first = [](std::initializer_list<const QString*> candidates) {
        for (const QString* c : candidates) {
            if (!c->isEmpty())
                return *c;
        }
        return QString();
    };
    const CStateImages& images = m_face.images;
    QString face;
    QString fore;
    if (!enabled) {
        face = first({&images.disabled, &images.normal});
        fore = m_foreImage;
    } else if (m_pushed && m_hot) {
        face = first({&images.pushed, &images.hot, &images.normal});
        fore = first({&m_pushedForeImage, &m_hotForeImage, &m_foreImage});
    } else if (m_hot) {
        face = first({&images.hot, &images.normal});
        fore = first({&m_hotForeImage, &m_foreImage});
    } else {
        face = hasFocus() && !images.focused.isEmpty() ? images.focused : images.normal;
        fore = m_foreImage;
    }
    painter.save();
    if (!enabled)
        painter.setOpacity(0.45);
    if (!face.isEmpty())
        manager->DrawImage(painter, rect(), face);
    if (!fore.isEmpty())
        manager->DrawImage(painter, rect(), fore);
    painter.restore();
}

void CButtonUI::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_pushed = m_captured = true;
    m_hot = true;
    update();
    event->accept();
}

void CButtonUI::mouseMoveEvent(QMouseEvent* event)
{
    if (m_captured) {
        const bool inside = rect().contains(event->position().toPoint());
        if (inside != m_hot) {
            m_hot = inside;
            update();
        }
    }
    event->ignore();
}

void CButtonUI::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_captured) {
        event->ignore();
        return;
    }
    m_captured = m_pushed = false;
    const bool inside = rect().contains(event->position().toPoint());
    m_hot = inside;
    update();
    event->accept();
    if (inside)
        Activate();
}

void CButtonUI::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        Activate();
        event->accept();
        return;
    }
    CLabelUI::keyPressEvent(event);
}

} // namespace DuiLib
