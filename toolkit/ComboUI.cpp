#include "ComboUI.h"

#include "AttributeTable.h"
#include "ControlUI.h"
#include "PaintManager.h"
#include "SkinStyle.h"

// Qt
#include <QAbstractItemView>
#include <QCursor>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QToolTip>

namespace DuiLib {

// Paints the rows of a combo's list: fixed-height label rows with text padding, the row under
// the mouse (which Qt's list also makes the current one) in the selection colour.
class CListLabelDelegate : public QStyledItemDelegate
{
public:
    explicit CListLabelDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

    int height = 16;
    QMargins padding{4, 0, 4, 0};
    QFont font;
    QColor textColor{0xFF, 0xFF, 0xFF, 0};
    QColor hotBkColor{0x18, 0x83, 0xD7};
    QColor hotTextColor{Qt::white};
    Qt::TextElideMode elide = Qt::ElideRight;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        (void)index;
        return {option.rect.width(), height};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        const bool hot = option.state & (QStyle::State_Selected | QStyle::State_MouseOver);
        painter->save();
        painter->fillRect(option.rect, hot ? hotBkColor : option.palette.base().color());
        painter->setFont(font);
        QColor text = textColor.alpha() != 0 ? textColor : QColor(0x1E, 0x1E, 0x1E);
        if (hot)
            text = hotTextColor;
        else if (!(option.state & QStyle::State_Enabled))
            text = QColor(0xA0, 0xA0, 0xA0);
        painter->setPen(text);
        const QRect r = option.rect.marginsRemoved(padding);
        const QString s =
            painter->fontMetrics().elidedText(index.data().toString(), elide, r.width());
        painter->drawText(r, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, s);
        painter->restore();
    }
};

CComboUI::CComboUI(QWidget* parent) : QComboBox(parent), m_delegate(new CListLabelDelegate(this))
{
    setStyle(CSkinStyle::Instance());
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::StrongFocus);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(1);
    auto* list = new QListView(this);
    list->setUniformItemSizes(true);
    list->setFrameShape(QFrame::NoFrame);
    setView(list);
    view()->setItemDelegate(m_delegate);
    setMaxVisibleItems(9);
    connect(this, &QComboBox::currentIndexChanged, this, &CComboUI::OnCurrentIndexChanged);
}

CComboUI::~CComboUI() = default;

QString CComboUI::GetClass() const
{
    return QStringLiteral("Combo");
}

void CComboUI::SetAttribute(const QString& name, const QString& value)
{
    static const CAttributeTable<CComboUI> table{
        {"textpadding", [](CComboUI& c, const QString& v) { c.SetTextPadding(ParseMargins(v)); }},
        {"itemtextpadding",
         [](CComboUI& c, const QString& v) { c.m_delegate->padding = ParseMargins(v); }},
        {"itemheight", [](CComboUI& c, const QString& v) { c.SetItemHeight(v.toInt()); }},
        {"itemfont", [](CComboUI& c, const QString& v) { c.m_itemFont = v.toInt(); }},
        {"itemtextcolor",
         [](CComboUI& c, const QString& v) { c.m_delegate->textColor = ParseColor(v); }},
        {"itemhotbkcolor",
         [](CComboUI& c, const QString& v) { c.m_delegate->hotBkColor = ParseColor(v); }},
        {"itemselectedbkcolor",
         [](CComboUI& c, const QString& v) { c.m_delegate->hotBkColor = ParseColor(v); }},
        {"itemselectedtextcolor",
         [](CComboUI& c, const QString& v) { c.m_delegate->hotTextColor = ParseColor(v); }},
        {"dropboxsize",
         [](CComboUI& c, const QString& v) {
             const QMargins size = ParseMargins(v); // "width,height": the height counts
             if (size.top() > 0)
                 c.setMaxVisibleItems(std::max(1, size.top() / std::max(1, c.m_itemHeight)));
         }},
    };
    if (SetCommonAttribute(this, name, value) || table.Apply(*this, name, value))
        return;
    if (m_face.SetAttribute(name, value))
        update();
}

bool CComboUI::AddItem(const QString& text)
{
    return InsertItem(count(), text);
}

bool CComboUI::InsertItem(int index, const QString& text)
{
    if (index < 0 || index > count())
        return false;
    // Qt selects the first item put into an empty combo; the selection keeps its item instead.
    const int selected = currentIndex();
    ++m_quiet;
    insertItem(index, text);
    SetCurrentIndexQuietly(selected >= index ? selected + 1 : selected);
    --m_quiet;
    return true;
}

bool CComboUI::RemoveAt(int index)
{
    if (index < 0 || index >= count())
        return false;
    // Qt moves a removed selection to a neighbour; here it goes.
    const int selected = currentIndex();
    ++m_quiet;
    removeItem(index);
    SetCurrentIndexQuietly(selected == index ? -1 : selected > index ? selected - 1 : selected);
    --m_quiet;
    update();
    return true;
}

void CComboUI::RemoveAll()
{
    ++m_quiet;
    clear();
    --m_quiet;
    update();
}

QString CComboUI::GetItemText(int index) const
{
    return index >= 0 && index < count() ? itemText(index) : QString();
}

void CComboUI::SetItemHeight(int height)
{
    m_itemHeight = std::max(1, height);
    m_delegate->height = m_itemHeight;
}

bool CComboUI::SelectItem(int index, bool takeFocus)
{
    if (takeFocus)
        setFocus(Qt::OtherFocusReason);
    const int old = currentIndex();
    if (index == old)
        return true;
    if (index < 0 || count() == 0) {
        SetCurrentIndexQuietly(-1);
        update();
        return false;
    }
    const int now = std::min(index, count() - 1);
    if (now == old)
        return true;
    SetCurrentIndexQuietly(now);
    update();
    if (CPaintManagerUI* manager = GetManager())
        manager->SendNotify(this, QStringLiteral("itemselect"), now, old);
    return true;
}

QString CComboUI::GetText() const
{
    return GetItemText(currentIndex());
}

void CComboUI::SetText(const QString& text)
{
    SelectItem(findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

void CComboUI::SetTextPadding(const QMargins& padding)
{
    m_face.text.padding = padding;
    update();
}

QRect CComboUI::GetTextRect() const
{
    return rect().marginsRemoved(m_face.text.padding);
}

void CComboUI::SetFont(int index)
{
    m_face.text.font = index;
    update();
}

void CComboUI::SetTextColor(const QColor& colour)
{
    m_face.text.textColor = colour;
    update();
}

void CComboUI::SetDisabledTextColor(const QColor& colour)
{
    m_face.text.disabledTextColor = colour;
    update();
}

void CComboUI::SetNormalImage(const QString& description)
{
    m_face.images.normal = description;
    update();
}

void CComboUI::SetHotImage(const QString& description)
{
    m_face.images.hot = description;
    update();
}

void CComboUI::SetPushedImage(const QString& description)
{
    m_face.images.pushed = description;
    update();
}

void CComboUI::SetTextElideMode(Qt::TextElideMode mode)
{
    m_delegate->elide = mode;
    update();
}

Qt::TextElideMode CComboUI::GetTextElideMode() const
{
    return m_delegate->elide;
}

QString CComboUI::GetShownText() const
{
    const QFontMetrics metrics(GetSkinFont(m_face.text.font));
    return metrics.elidedText(GetText(), m_delegate->elide, GetTextRect().width());
}

void CComboUI::showPopup()
{
    if (count() == 0)
        return;
    if (CPaintManagerUI* manager = GetManager())
        manager->SendNotify(this, QStringLiteral("dropdown"));
    m_dropped = true;
    ApplySkinScrollBars(view());
    m_delegate->font = GetSkinFont(m_itemFont >= 0 ? m_itemFont : m_face.text.font);
    view()->setFont(m_delegate->font);
    update();
    // The list's frame in the accent colour of the open combo's face.
    if (QWidget* frame = view()->parentWidget()) {
        QPalette palette = frame->palette();
        palette.setColor(QPalette::WindowText, QColor(0x12, 0x6C, 0xB4));
        frame->setPalette(palette);
    }
    QComboBox::showPopup();
    FitPopupToItems();
}

void CComboUI::FitPopupToItems()
{
    // Qt widens the list for its own pop-up look only, and measures with the widget's font, not
    // the skin's: the list is made as wide as its longest row here.
    QWidget* popup = view()->window();
    if (popup == window() || !popup->isVisible())
        return;
    const QFontMetrics metrics(m_delegate->font);
    int longest = 0;
    for (int i = 0; i < count(); ++i)
        longest = std::max(longest, metrics.horizontalAdvance(itemText(i)));
    // Whatever the popup has around the rows: its frame and a scroll bar.
    const int around = popup->width() - view()->viewport()->width();
    const int wanted =
        longest + m_delegate->padding.left() + m_delegate->padding.right() + around + 1;
    if (wanted <= popup->width())
        return;
    QRect geometry = popup->geometry();
    geometry.setWidth(wanted);
    if (const QScreen* shown = popup->screen()) {
        const QRect area = shown->availableGeometry();
        if (geometry.right() > area.right())
            geometry.moveRight(area.right());
        if (geometry.left() < area.left())
            geometry.moveLeft(area.left());
    }
    popup->setGeometry(geometry);
}

void CComboUI::hidePopup()
{
    // Qt closes the list before it selects the item picked in it.
    m_beforeInput = currentIndex();
    QComboBox::hidePopup();
    m_dropped = false;
    m_pushed = false;
    // The open list held the mouse: no leave event came if the pointer went elsewhere.
    m_hot = isVisible() && rect().contains(mapFromGlobal(QCursor::pos()));
    update();
}

bool CComboUI::event(QEvent* event)
{
    // Keys and the wheel reach QComboBox's handlers, which may move the selection, from here.
    m_beforeInput = currentIndex();
    switch (event->type()) {
    case QEvent::ParentChange:
    case QEvent::Show:
        EnsureTracked();
        break;
    case QEvent::HoverEnter:
        m_hot = true;
        update();
        break;
    case QEvent::HoverLeave:
        m_hot = false;
        update();
        break;
    case QEvent::ToolTip:
        // A text cut to fit shows whole as the tooltip (unless the layout gave one).
        if (toolTip().isEmpty()) {
            const auto* help = static_cast<QHelpEvent*>(event);
            if (GetShownText() != GetText())
                QToolTip::showText(help->globalPos(), GetText(), this, rect());
            else
                QToolTip::hideText();
            return true;
        }
        break;
    default:
        break;
    }
    return QComboBox::event(event);
}

void CComboUI::paintEvent(QPaintEvent* event)
{
    (void)event;
    QPainter painter(this);
    PaintStatusImage(painter);
    PaintText(painter);
    if (hasFocus() && !m_dropped)
        PaintFocusMark(painter, this, rect());
}

void CComboUI::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        event->ignore();
        return;
    }
    m_pushed = true;
    // QComboBox opens the list here and tells the list to ignore this click's own release, so
    // a plain click leaves the list open and press-drag-release still picks an item.
    QComboBox::mousePressEvent(event);
    event->accept();
}

void CComboUI::mouseReleaseEvent(QMouseEvent* event)
{
    QComboBox::mouseReleaseEvent(event);
    m_pushed = false;
    update();
    event->accept();
}

void CComboUI::PaintStatusImage(QPainter& painter)
{
    const CPaintManagerUI* manager = GetManager();
    const CStateImages& images = m_face.images;
    QString face = images.normal;
    if (!isEnabled() && !images.disabled.isEmpty())
        face = images.disabled;
    else if (isEnabled() && IsPushed() && !images.pushed.isEmpty())
        face = images.pushed;
    else if (isEnabled() && m_hot && !images.hot.isEmpty())
        face = images.hot;
    else if (hasFocus() && !images.focused.isEmpty())
        face = images.focused;

    painter.save();
    if (!isEnabled() && images.disabled.isEmpty())
        painter.setOpacity(0.55);
    if (manager == nullptr || !manager->DrawImage(painter, rect(), face)) {
        // Without the skin: a plain flat box with an arrow, so the control stays usable.
        painter.fillRect(rect(), Qt::white);
        painter.setPen(QColor(0xA0, 0xA0, 0xA0));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        const QPoint c(width() - 11, height() / 2);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(0x50, 0x50, 0x50), 1.5));
        painter.drawPolyline(QPolygonF({QPointF(c.x() - 4, c.y() - 2), QPointF(c.x(), c.y() + 2),
                                        QPointF(c.x() + 4, c.y() - 2)}));
    }
    painter.restore();
}

void CComboUI::PaintText(QPainter& painter)
{
    const QString text = GetText();
    if (text.isEmpty())
        return;
    const QRect r = GetTextRect();
    painter.save();
    painter.setFont(GetSkinFont(m_face.text.font));
    painter.setPen(
        m_face.TextColour(isEnabled(), QColor(0x1E, 0x1E, 0x1E), QColor(0xA0, 0xA0, 0xA0)));
    painter.drawText(r, int(m_face.text.align) | Qt::TextSingleLine,
                     painter.fontMetrics().elidedText(text, m_delegate->elide, r.width()));
    painter.restore();
}

CPaintManagerUI* CComboUI::GetManager() const
{
    return CPaintManagerUI::FromWidget(this);
}

QFont CComboUI::GetSkinFont(int index) const
{
    const CPaintManagerUI* manager = GetManager();
    return manager != nullptr ? manager->GetFont(index) : font();
}

void CComboUI::OnCurrentIndexChanged(int index)
{
    if (m_quiet > 0)
        return;
    // The list window, a key or the wheel moved the selection: take the step back and let
    // SelectItem make it, so that overrides and notifications see the change.
    SetCurrentIndexQuietly(m_beforeInput);
    SelectItem(index);
}

void CComboUI::SetCurrentIndexQuietly(int index)
{
    if (currentIndex() == index)
        return;
    ++m_quiet;
    setCurrentIndex(index);
    --m_quiet;
}

void CComboUI::EnsureTracked()
{
    CPaintManagerUI* manager = GetManager();
    if (manager == nullptr || manager == m_trackedBy)
        return;
    m_trackedBy = manager;
    manager->TrackFocus(this);
}

} // namespace DuiLib
