#pragma once

#include "ControlUI.h"

// Qt
#include <QLayout>

namespace DuiLib {

// Places the visible children of a container one after another along one axis: children with
// a fixed size get it, the others share what is left (within their minimum and maximum), and
// across the axis each child takes its fixed size or the full extent, top or left aligned.
// The contents margins are the container's inset, the spacing its child padding.
class CBoxLayoutUI : public QLayout
{
    Q_OBJECT

public:
    explicit CBoxLayoutUI(Qt::Orientation orientation, QWidget* parent = nullptr);
    ~CBoxLayoutUI() override;

    void addItem(QLayoutItem* item) override;
    [[nodiscard]] int count() const override { return int(m_items.size()); }
    [[nodiscard]] QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

    // The rectangles the children get inside the given rectangle, in child order; hidden
    // children get an empty rectangle. Pure computation, also used by the tests.
    [[nodiscard]] QList<QRect> Arrange(const QRect& rect) const;

private:
    Qt::Orientation m_orientation;
    QList<QLayoutItem*> m_items;
};

// A control holding other controls laid out along one axis; base of the two layouts.
class CContainerUI : public CControlUI
{
    Q_OBJECT

public:
    CContainerUI(Qt::Orientation orientation, QWidget* parent);

    // Besides the control's attributes: "inset" (l,t,r,b) and "childpadding".
    void SetAttribute(const QString& name, const QString& value) override;

    void Add(QWidget* child);
    [[nodiscard]] int GetCount() const;
    [[nodiscard]] QWidget* GetItemAt(int index) const;
    void SetInset(const QMargins& inset);
    [[nodiscard]] QMargins GetInset() const;
    void SetChildPadding(int padding);
    [[nodiscard]] int GetChildPadding() const;

private:
    CBoxLayoutUI* m_layout;
};

// Children stacked top to bottom; layout class "VerticalLayout".
class CVerticalLayoutUI : public CContainerUI
{
    Q_OBJECT

public:
    explicit CVerticalLayoutUI(QWidget* parent = nullptr);
    [[nodiscard]] QString GetClass() const override;
};

// Children side by side from left to right; layout class "HorizontalLayout".
class CHorizontalLayoutUI : public CContainerUI
{
    Q_OBJECT

public:
    explicit CHorizontalLayoutUI(QWidget* parent = nullptr);
    [[nodiscard]] QString GetClass() const override;
};

} // namespace DuiLib
