#include "ChannelListHeader.h"

#include "toolkit/ControlUI.h"
#include "toolkit/PaintManager.h"

// Qt
#include <QPainter>

using namespace DuiLib;

CChannelListHeader::CChannelListHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsClickable(false);
    setSectionsMovable(false);
    setHighlightSections(false);
    setSectionResizeMode(QHeaderView::Interactive);
    setStretchLastSection(false);
    setMinimumSectionSize(1);
    setMaximumSectionSize(9999);
    connect(this, &QHeaderView::sectionResized, this, &CChannelListHeader::OnSectionResized);
}

void CChannelListHeader::Load(const LayoutElement& element)
{
    for (const auto& [name, value] : element.attributes) {
        if (EqualsNoCase(name, QStringLiteral("bkimage")))
            m_bkImage = value;
        else if (EqualsNoCase(name, QStringLiteral("height")))
            m_fixedHeight = value.toInt();
    }
    CPaintManagerUI* manager = CPaintManagerUI::FromWidget(this);
    for (const LayoutElement& child : element.children) {
        if (!EqualsNoCase(child.className, QStringLiteral("ListHeaderItem")))
            continue;
        Item item;
        AttributeList attributes;
        // The layout's class defaults first, so the item's own attributes win.
        if (manager != nullptr) {
            if (const AttributeList* defaults = manager->GetDefaultAttributeList(child.className))
                attributes = *defaults;
        }
        attributes += child.attributes;
        for (const auto& [name, value] : attributes) {
            if (EqualsNoCase(name, QStringLiteral("text")))
                item.text = value;
            else if (EqualsNoCase(name, QStringLiteral("width")))
                item.fixedWidth = value.toInt();
            else if (EqualsNoCase(name, QStringLiteral("minwidth")))
                item.minWidth = value.toInt();
            else if (EqualsNoCase(name, QStringLiteral("maxwidth")))
                item.maxWidth = value.toInt();
            else if (EqualsNoCase(name, QStringLiteral("bkimage")) ||
                     EqualsNoCase(name, QStringLiteral("normalimage")))
                item.bkImage = value;
            else if (EqualsNoCase(name, QStringLiteral("sepimage")))
                item.sepImage = value;
            else if (EqualsNoCase(name, QStringLiteral("sepwidth")))
                item.sepWidth = value.toInt();
            else if (EqualsNoCase(name, QStringLiteral("font")))
                item.font = value.toInt();
            else if (EqualsNoCase(name, QStringLiteral("textcolor")))
                item.textColor = ParseColor(value);
        }
        m_items.append(item);
    }
    updateGeometry();
}

int CChannelListHeader::EstimateHeight() const
{
    if (m_fixedHeight > 0)
        return m_fixedHeight;
    const CPaintManagerUI* manager = CPaintManagerUI::FromWidget(this);
    const QFont font = manager != nullptr ? manager->GetFont(-1) : this->font();
    return QFontMetrics(font).height() + 14;
}

QSize CChannelListHeader::sizeHint() const
{
    return {length(), EstimateHeight()};
}

void CChannelListHeader::LayoutColumns(int available)
{
    m_available = available;
    const int n = std::min<int>(static_cast<int>(m_items.size()), count());
    if (n == 0)
        return;
    // Items with a fixed width keep it; the rest share what is left, each within its limits.
    // Shares that hit a limit are settled and the remainder is shared again.
    std::vector<int> widths(n, -1);
    int left = available;
    int open = 0;
    for (int i = 0; i < n; ++i) {
        const Item& item = m_items[i];
        if (item.fixedWidth > 0) {
            widths[i] = item.fixedWidth;
            left -= item.fixedWidth;
        } else {
            ++open;
        }
    }
    bool settled = false;
    while (open > 0 && !settled) {
        settled = true;
        const int share = std::max(0, left) / open;
        for (int i = 0; i < n; ++i) {
            if (widths[i] >= 0)
                continue;
            const Item& item = m_items[i];
            const int clamped =
                std::clamp(share, item.minWidth, std::max(item.minWidth, item.maxWidth));
            if (clamped != share) {
                widths[i] = clamped;
                left -= clamped;
                --open;
                settled = false;
            }
        }
    }
    if (open > 0) {
        int share = std::max(0, left) / open;
        int extra = std::max(0, left) - share * open;
        for (int i = 0; i < n; ++i) {
            if (widths[i] < 0) {
                widths[i] = share + (extra > 0 ? 1 : 0);
                extra = std::max(0, extra - 1);
            }
        }
    }
    m_layingOut = true;
    for (int i = 0; i < n; ++i)
        resizeSection(i, widths[i]);
    m_layingOut = false;
}

void CChannelListHeader::OnSectionResized(int logical, int oldSize, int newSize)
{
    if (m_layingOut || logical < 0 || logical >= m_items.size() || oldSize == newSize)
        return;
    // The user dragged the item's edge: it keeps the new width, within its limits, and the
    // items without a fixed width share the rest again.
    Item& item = m_items[logical];
    item.fixedWidth = std::clamp(newSize, std::max(1, item.minWidth),
                                 std::max(std::max(1, item.minWidth), item.maxWidth));
    LayoutColumns(m_available);
}

void CChannelListHeader::paintEvent(QPaintEvent* event)
{
    (void)event;
    QPainter painter(viewport());
    const CPaintManagerUI* manager = CPaintManagerUI::FromWidget(this);
    const QRect whole = viewport()->rect();
    if (manager == nullptr || !manager->DrawImage(painter, whole, m_bkImage))
        painter.fillRect(whole, palette().button());
    const int n = std::min<int>(static_cast<int>(m_items.size()), count());
    for (int i = 0; i < n; ++i) {
        const Item& item = m_items[i];
        const int x = sectionViewportPosition(i);
        const int w = sectionSize(i);
        if (w <= 0)
            continue;
        const QRect cell(x, 0, w, whole.height());
        if (manager != nullptr && !item.bkImage.isEmpty())
            manager->DrawImage(painter, cell, item.bkImage);
        painter.setFont(manager != nullptr ? manager->GetFont(item.font) : font());
        painter.setPen(item.textColor.isValid() ? item.textColor : QColor(Qt::black));
        painter.drawText(cell, Qt::AlignCenter | Qt::TextSingleLine, item.text);
        if (item.sepWidth > 0) {
            const QRect sep(cell.right() + 1 - item.sepWidth, 0, item.sepWidth, whole.height());
            if (manager == nullptr || !manager->DrawImage(painter, sep, item.sepImage))
                painter.fillRect(sep, palette().mid());
        }
    }
}
