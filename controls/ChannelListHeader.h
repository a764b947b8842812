#pragma once

// Qt
#include <QHeaderView>
#include <QList>

namespace DuiLib {
struct LayoutElement;
}

// The grid's header row: one item per column with its caption and width limits, painted from
// the skin (background image, separator image between items). Items without a fixed width share
// the space left; an item the user drags to a new width keeps it.
class CChannelListHeader : public QHeaderView
{
    Q_OBJECT

public:
    struct Item
    {
        QString text;
        int fixedWidth = 0; // 0: takes a share of the space left
        int minWidth = 0;
        int maxWidth = 9999;
        QString bkImage;
        QString sepImage;
        int sepWidth = 0;
        int font = -1;
        QColor textColor;
    };

    explicit CChannelListHeader(QWidget* parent = nullptr);

    // The <ListHeader> element: its own attributes and its <ListHeaderItem> children.
    void Load(const DuiLib::LayoutElement& element);
    [[nodiscard]] int GetItemCount() const { return static_cast<int>(m_items.size()); }
    [[nodiscard]] const Item& GetItem(int index) const { return m_items[index]; }

    // Sets the section widths for the available width: fixed items keep theirs, the others
    // share the rest within their limits.
    void LayoutColumns(int available);
    // The height the header wants: its fixed height, or the font's height + 14.
    [[nodiscard]] int EstimateHeight() const;

    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void OnSectionResized(int logical, int oldSize, int newSize);

    QList<Item> m_items;
    QString m_bkImage;
    int m_fixedHeight = 0;
    int m_available = 0;
    bool m_layingOut = false;
};
