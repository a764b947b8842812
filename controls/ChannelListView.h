#pragma once

// Qt
#include <QTableView>

class CChannelList;

// The grid's body: scrolls, selects and hot-tracks whole rows, paints them with the grid's item
// style, and hands a left press on a row to the grid, which opens the cell's editor.
class CChannelListView : public QTableView
{
    Q_OBJECT

public:
    explicit CChannelListView(CChannelList* list);

    [[nodiscard]] int GetHotRow() const { return m_hotRow; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void updateGeometries() override;

private:
    void SetHotRow(int row);

    CChannelList* m_list;
    int m_hotRow = -1;
};
