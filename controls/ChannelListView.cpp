#include "ChannelListView.h"

#include "ChannelList.h"

// Qt
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace {

// A colour the layout set and that is not fully transparent.
bool Shows(const QColor& colour)
{
    return colour.isValid() && colour.alpha() != 0;
}

} // namespace

CChannelListView::CChannelListView(CChannelList* list) : QTableView(list), m_list(list)
{
    setFrameShape(QFrame::NoFrame);
    setShowGrid(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    // The grid scrolls rows into view itself, vertically only, as the rows are clicked.
    setAutoScroll(false);
    setMouseTracking(true);
    setCornerButtonEnabled(false);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void CChannelListView::mousePressEvent(QMouseEvent* event)
{
    const int row = rowAt(event->position().toPoint().y());
    event->accept();
    if (row < 0)
        return;
    if (event->button() == Qt::LeftButton)
        m_list->OnRowButtonDown(row, event->position().toPoint(), event->modifiers());
    else if (event->button() == Qt::RightButton)
        m_list->OnRowRightButtonDown(row);
}

void CChannelListView::contextMenuEvent(QContextMenuEvent* event)
{
    // Only over a row: below the last one there is nothing for the menu to act on.
    if (event->reason() == QContextMenuEvent::Mouse && rowAt(event->pos().y()) < 0)
        return;
    m_list->OnContextMenu(this, event);
}

void CChannelListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click on a cell normally lands on the editor the first one
    // opened; one that reaches the body (column 0, no editor) does nothing more.
    event->accept();
}

void CChannelListView::mouseMoveEvent(QMouseEvent* event)
{
    SetHotRow(rowAt(event->position().toPoint().y()));
    event->accept();
}

void CChannelListView::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
}

bool CChannelListView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Leave)
        SetHotRow(-1);
    return QTableView::viewportEvent(event);
}

void CChannelListView::SetHotRow(int row)
{
    if (row == m_hotRow)
        return;
    m_hotRow = row;
    viewport()->update();
}

void CChannelListView::scrollContentsBy(int dx, int dy)
{
    QTableView::scrollContentsBy(dx, dy);
    m_list->PlaceEditor();
}

void CChannelListView::updateGeometries()
{
    QTableView::updateGeometries();
    m_list->OnBodyGeometry();
}

void CChannelListView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const CChannelList::ItemStyle& style = m_list->GetItemStyle();
    const QRect area = event->rect();
    const int columns = std::min(m_list->GetColumnCount(), model()->columnCount());
    const int rows = model()->rowCount();
    const int bodyWidth = viewport()->width();
    painter.setFont(m_list->GetItemFont());
    // The body shows the grid's background (white unless the layout gives a colour).
    const QColor background = m_list->GetBkColor();
    painter.fillRect(area, Shows(background) ? background : QColor(Qt::white));

    const int first = std::max(0, rowAt(area.top()));
    for (int row = first; row < rows; ++row) {
        const int top = rowViewportPosition(row);
        const int height = rowHeight(row);
        if (top > area.bottom())
            break;
        const QRect rowRect(0, top, bodyWidth, height);
        QColor bk = style.bkColor;
        QColor text = style.textColor;
        if (row == m_hotRow) {
            if (Shows(style.hotBkColor))
                bk = style.hotBkColor;
            if (Shows(style.hotTextColor))
                text = style.hotTextColor;
        }
        if (m_list->IsRowSelected(row)) {
            if (Shows(style.selectedBkColor))
                bk = style.selectedBkColor;
            if (Shows(style.selectedTextColor))
                text = style.selectedTextColor;
        }
        if (!isEnabled() && Shows(style.disabledTextColor))
            text = style.disabledTextColor;
        if (Shows(bk))
            painter.fillRect(rowRect, bk);

        painter.setPen(text);
        const CListChannelElement* element = m_list->GetItemAt(row);
        for (int column = 0; column < columns; ++column) {
            const int left = columnViewportPosition(column);
            const int width = columnWidth(column);
            if (width <= 0)
                continue;
            const QRect cell = QRect(left, top, width, height).marginsRemoved(style.textPadding);
            const QString cellText =
                column == 0 ? QString::number(row + 1)
                            : (element != nullptr ? element->GetText(column) : QString());
            if (!cellText.isEmpty())
                painter.drawText(cell, static_cast<int>(style.align) | Qt::TextSingleLine,
                                 cellText);
        }
        if (Shows(style.lineColor)) {
            painter.setPen(style.lineColor);
            painter.drawLine(0, top + height - 1, bodyWidth - 1, top + height - 1);
            for (int column = 0; column < columns; ++column) {
                const int x = columnViewportPosition(column) + columnWidth(column) - 1;
                painter.drawLine(x, top, x, top + height - 1);
            }
        }
    }
}
