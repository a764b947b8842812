#include "ContainerUI.h"

#include "AttributeTable.h"
#include "PaintManager.h"

namespace DuiLib {

namespace {

// A child's hints seen along (main) and across (cross) the layout's axis.
struct AxisHints
{
    int fixed, min, max, padBefore, padAfter;
};

AxisHints Along(const LayoutHints& h, bool horizontal)
{
    return horizontal ? AxisHints{h.fixedWidth, h.minWidth, h.maxWidth, h.padding.left(),
                                  h.padding.right()}
                      : AxisHints{h.fixedHeight, h.minHeight, h.maxHeight, h.padding.top(),
                                  h.padding.bottom()};
}

AxisHints Across(const LayoutHints& h, bool horizontal)
{
    return Along(h, !horizontal);
}

int Clamp(int value, const AxisHints& a)
{
    return std::max(0, std::min(std::max(value, a.min), std::max(a.min, a.max)));
}

} // namespace

CBoxLayoutUI::CBoxLayoutUI(Qt::Orientation orientation, QWidget* parent)
    : QLayout(parent), m_orientation(orientation)
{
    setSizeConstraint(QLayout::SetNoConstraint);
    setContentsMargins(0, 0, 0, 0);
    setSpacing(0);
}

CBoxLayoutUI::~CBoxLayoutUI()
{
    qDeleteAll(m_items);
}

void CBoxLayoutUI::addItem(QLayoutItem* item)
{
    m_items.append(item);
}

QLayoutItem* CBoxLayoutUI::itemAt(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items[index] : nullptr;
}

QLayoutItem* CBoxLayoutUI::takeAt(int index)
{
    return index >= 0 && index < m_items.size() ? m_items.takeAt(index) : nullptr;
}

QSize CBoxLayoutUI::sizeHint() const
{
    // The fixed sizes along the axis and the largest fixed size across it.
    const bool horizontal = m_orientation == Qt::Horizontal;
    int main = 0;
    int cross = 0;
    int visible = 0;
    for (QLayoutItem* item : m_items) {
        if (item->widget() == nullptr || item->isEmpty())
            continue;
        const LayoutHints h = GetLayoutHints(item->widget());
        const AxisHints a = Along(h, horizontal);
        const AxisHints c = Across(h, horizontal);
        main += std::max(a.fixed, a.min) + a.padBefore + a.padAfter;
        cross = std::max(cross, std::max(c.fixed, c.min) + c.padBefore + c.padAfter);
        ++visible;
    }
    main += std::max(0, visible - 1) * spacing();
    const QMargins m = contentsMargins();
    return horizontal ? QSize(main + m.left() + m.right(), cross + m.top() + m.bottom())
                      : QSize(cross + m.left() + m.right(), main + m.top() + m.bottom());
}

QSize CBoxLayoutUI::minimumSize() const
{
    return {0, 0};
}

QList<QRect> CBoxLayoutUI::Arrange(const QRect& rect) const
{
    const bool horizontal = m_orientation == Qt::Horizontal;
    const QRect area = rect.marginsRemoved(contentsMargins());
    const int mainStart = horizontal ? area.left() : area.top();
    const int crossStart = horizontal ? area.top() : area.left();
    const int mainSpace = horizontal ? area.width() : area.height();
    const int crossSpace = horizontal ? area.height() : area.width();

    QList<QRect> result(m_items.size());
    QList<int> visible;
    for (int i = 0; i < m_items.size(); ++i) {
        if (m_items[i]->widget() != nullptr && !m_items[i]->isEmpty())
            visible.append(i);
    }
    if (visible.isEmpty())
        return result;

    // Sizes along the axis: fixed children first, then the rest share what is left. A share
    // outside a child's limits pins that child at the limit and the others share again.
    QList<int> size(m_items.size(), 0);
    QList<bool> settled(m_items.size(), false);
    int left = mainSpace - spacing() * (int(visible.size()) - 1);
    QList<int> sharing;
    for (int i : visible) {
        const AxisHints a = Along(GetLayoutHints(m_items[i]->widget()), horizontal);
        left -= a.padBefore + a.padAfter;
        if (a.fixed > 0) {
            size[i] = Clamp(a.fixed, a);
            settled[i] = true;
            left -= size[i];
        } else {
            sharing.append(i);
        }
    }
    for (bool changed = true; changed && !sharing.isEmpty();) {
        changed = false;
        const int share = std::max(0, left) / int(sharing.size());
        for (qsizetype k = 0; k < sharing.size(); ++k) {
            const int i = sharing[k];
            const AxisHints a = Along(GetLayoutHints(m_items[i]->widget()), horizontal);
            const int clamped = Clamp(share, a);
            if (clamped != share) {
                size[i] = clamped;
                settled[i] = true;
                left -= clamped;
                sharing.removeAt(k);
                changed = true;
                break;
            }
        }
    }
    if (!sharing.isEmpty()) {
        const int share = std::max(0, left) / int(sharing.size());
        for (int i : sharing)
            size[i] = share;
        size[sharing.last()] += std::max(0, left) - share * int(sharing.size());
    }

    int pos = mainStart;
    for (int i : visible) {
        const LayoutHints h = GetLayoutHints(m_items[i]->widget());
        const AxisHints a = Along(h, horizontal);
        const AxisHints c = Across(h, horizontal);
        const int crossSize =
            Clamp(c.fixed > 0 ? c.fixed : crossSpace - c.padBefore - c.padAfter, c);
        pos += a.padBefore;
        result[i] = horizontal ? QRect(pos, crossStart + c.padBefore, size[i], crossSize)
                               : QRect(crossStart + c.padBefore, pos, crossSize, size[i]);
        pos += size[i] + a.padAfter + spacing();
    }
    return result;
}

void CBoxLayoutUI::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    const QList<QRect> rects = Arrange(rect);
    for (int i = 0; i < m_items.size(); ++i) {
        if (m_items[i]->widget() != nullptr && !m_items[i]->isEmpty())
            m_items[i]->widget()->setGeometry(rects[i]);
    }
}

CContainerUI::CContainerUI(Qt::Orientation orientation, QWidget* parent)
    : CControlUI(parent), m_layout(new CBoxLayoutUI(orientation, this))
{}

void CContainerUI::SetAttribute(const QString& name, const QString& value)
{
    static const CAttributeTable<CContainerUI> table{
        {"inset", [](CContainerUI& c, const QString& v) { c.SetInset(ParseMargins(v)); }},
        {"childpadding", [](CContainerUI& c, const QString& v) { c.SetChildPadding(v.toInt()); }},
    };
    if (!table.Apply(*this, name, value))
        CControlUI::SetAttribute(name, value);
}

void CContainerUI::Add(QWidget* child)
{
    if (child->parentWidget() != this)
        child->setParent(this);
    m_layout->addWidget(child);
}

int CContainerUI::GetCount() const
{
    return m_layout->count();
}

QWidget* CContainerUI::GetItemAt(int index) const
{
    QLayoutItem* item = m_layout->itemAt(index);
    return item != nullptr ? item->widget() : nullptr;
}

void CContainerUI::SetInset(const QMargins& inset)
{
    m_layout->setContentsMargins(inset);
}

QMargins CContainerUI::GetInset() const
{
    return m_layout->contentsMargins();
}

void CContainerUI::SetChildPadding(int padding)
{
    m_layout->setSpacing(std::max(0, padding));
}

int CContainerUI::GetChildPadding() const
{
    return m_layout->spacing();
}

CVerticalLayoutUI::CVerticalLayoutUI(QWidget* parent) : CContainerUI(Qt::Vertical, parent) {}

QString CVerticalLayoutUI::GetClass() const
{
    return QStringLiteral("VerticalLayout");
}

CHorizontalLayoutUI::CHorizontalLayoutUI(QWidget* parent) : CContainerUI(Qt::Horizontal, parent) {}

QString CHorizontalLayoutUI::GetClass() const
{
    return QStringLiteral("HorizontalLayout");
}

} // namespace DuiLib
