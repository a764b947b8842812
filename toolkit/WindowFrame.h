#pragma once

#include "DialogBuilder.h"

// Qt
#include <QPoint>
#include <QRect>

class QEvent;
class QWidget;

namespace DuiLib {

class CPaintManagerUI;

// The frame a frameless skinned window draws itself: the layout's caption area drags the
// window (a double click maximises or restores it), the sizebox band at the edges resizes it
// (with the matching cursor), and the caption buttons "minbtn", "maxbtn", "restorebtn" show
// and act as the window's state calls for. The platform moves and resizes the window where it
// can; elsewhere the frame does it itself.
class CWindowFrame
{
public:
    explicit CWindowFrame(QWidget* window) : m_window(window) {}

    // The caption and sizebox of the window's layout.
    void SetWindowInfo(const WindowInfo& info) { m_info = info; }

    // A mouse event for `target`, a widget of the window: true when the frame took it.
    bool FilterMouse(QWidget* target, QEvent* event);
    // "maxbtn" shows while the window is not maximised, "restorebtn" while it is.
    void UpdateCaptionButtons(const CPaintManagerUI* manager) const;
    // A click on "minbtn", "maxbtn" or "restorebtn" minimises, maximises or restores; false for
    // any other control.
    bool ClickCaptionButton(const QString& name) const;

private:
    [[nodiscard]] Qt::Edges SizeBoxEdges(const QPoint& pos) const;
    [[nodiscard]] bool IsCaptionPoint(const QPoint& pos, QWidget* target) const;

    QWidget* m_window;
    WindowInfo m_info;

    // A move or resize the frame does itself when the platform cannot do it.
    Qt::Edges m_dragEdges;
    bool m_dragMove = false;
    QPoint m_dragStart;
    QRect m_dragGeometry;
};

} // namespace DuiLib
