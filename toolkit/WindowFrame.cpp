#include "WindowFrame.h"

#include "ButtonUI.h"
#include "PaintManager.h"

// Qt
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace DuiLib {

void CWindowFrame::UpdateCaptionButtons(const CPaintManagerUI* manager) const
{
    const bool maximised = m_window->isMaximized();
    if (QWidget* max = manager->FindControl(QStringLiteral("maxbtn")))
        max->setVisible(!maximised);
    if (QWidget* restore = manager->FindControl(QStringLiteral("restorebtn")))
        restore->setVisible(maximised);
}

bool CWindowFrame::ClickCaptionButton(const QString& name) const
{
    if (name == QLatin1String("minbtn"))
        m_window->showMinimized();
    else if (name == QLatin1String("maxbtn"))
        m_window->showMaximized();
    else if (name == QLatin1String("restorebtn"))
        m_window->showNormal();
    else
        return false;
    return true;
}

Qt::Edges CWindowFrame::SizeBoxEdges(const QPoint& pos) const
{
    Qt::Edges edges;
    if (m_window->isMaximized() || m_window->isFullScreen())
        return edges;
    const QMargins& box = m_info.sizeBox;
    if (pos.x() < box.left())
        edges |= Qt::LeftEdge;
    if (pos.x() >= m_window->width() - box.right())
        edges |= Qt::RightEdge;
    if (pos.y() < box.top())
        edges |= Qt::TopEdge;
    if (pos.y() >= m_window->height() - box.bottom())
        edges |= Qt::BottomEdge;
    return edges;
}

bool CWindowFrame::IsCaptionPoint(const QPoint& pos, QWidget* target) const
{
    const QMargins& c = m_info.caption;
    const bool inCaption = pos.y() < c.bottom() && pos.y() >= 0 && pos.x() >= c.left() &&
                           pos.x() < m_window->width() - c.right();
    if (!inCaption)
        return false;
    // Buttons, combos and foreign controls keep their clicks; plain controls, labels and
    // layouts are part of the title bar.
    for (QWidget* w = target; w != nullptr && w != m_window; w = w->parentWidget()) {
        if (qobject_cast<CButtonUI*>(w) != nullptr || qobject_cast<CControlUI*>(w) == nullptr)
            return false;
    }
    return true;
}

bool CWindowFrame::FilterMouse(QWidget* target, QEvent* event)
{
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint global = mouse->globalPosition().toPoint();
    const QPoint pos = m_window->mapFromGlobal(global);

    if (m_dragMove || m_dragEdges) {
        if (event->type() == QEvent::MouseButtonRelease) {
            m_dragMove = false;
            m_dragEdges = {};
            return true;
        }
        if (event->type() != QEvent::MouseMove)
            return true;
        const QPoint delta = global - m_dragStart;
        QRect g = m_dragGeometry;
        if (m_dragMove) {
            m_window->move(g.topLeft() + delta);
            return true;
        }
        const QSize least = m_window->minimumSize();
        if (m_dragEdges & Qt::LeftEdge)
            g.setLeft(std::min(g.left() + delta.x(), g.right() + 1 - least.width()));
        if (m_dragEdges & Qt::RightEdge)
            g.setRight(std::max(g.right() + delta.x(), g.left() - 1 + least.width()));
        if (m_dragEdges & Qt::TopEdge)
            g.setTop(std::min(g.top() + delta.y(), g.bottom() + 1 - least.height()));
        if (m_dragEdges & Qt::BottomEdge)
            g.setBottom(std::max(g.bottom() + delta.y(), g.top() - 1 + least.height()));
        m_window->setGeometry(g);
        return true;
    }

    const Qt::Edges edges = SizeBoxEdges(pos);
    if (event->type() == QEvent::MouseMove && mouse->buttons() == Qt::NoButton) {
        Qt::CursorShape shape = Qt::ArrowCursor;
        if (edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge))
            shape = Qt::SizeFDiagCursor;
        else if (edges == (Qt::RightEdge | Qt::TopEdge) || edges == (Qt::LeftEdge | Qt::BottomEdge))
            shape = Qt::SizeBDiagCursor;
        else if (edges & (Qt::LeftEdge | Qt::RightEdge))
            shape = Qt::SizeHorCursor;
        else if (edges & (Qt::TopEdge | Qt::BottomEdge))
            shape = Qt::SizeVerCursor;
        if (shape == Qt::ArrowCursor)
            m_window->unsetCursor();
        else
            m_window->setCursor(shape);
        return false;
    }
    if (mouse->button() != Qt::LeftButton)
        return false;
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (edges || !IsCaptionPoint(pos, target))
            return false;
        if (m_window->isMaximized())
            m_window->showNormal();
        else
            m_window->showMaximized();
        return true;
    }
    if (event->type() != QEvent::MouseButtonPress)
        return false;
    if (edges) {
        QWindow* handle = m_window->windowHandle();
        if (handle == nullptr || !handle->startSystemResize(edges)) {
            m_dragEdges = edges;
            m_dragStart = global;
            m_dragGeometry = m_window->geometry();
        }
        return true;
    }
    if (IsCaptionPoint(pos, target)) {
        QWindow* handle = m_window->windowHandle();
        if (handle == nullptr || !handle->startSystemMove()) {
            m_dragMove = true;
            m_dragStart = global;
            m_dragGeometry = m_window->geometry();
        }
        return true;
    }
    return false;
}

} // namespace DuiLib
