#include "ComboEditUI.h"

#include "CboEditWnd.h"
#include "toolkit/PaintManager.h"

// Qt
#include <QAbstractItemView>
#include <QApplication>
#include <QHoverEvent>
#include <QKeyEvent>
#include <QWheelEvent>

using namespace DuiLib;

CComboEditUI::CComboEditUI(QWidget* parent) : CComboUI(parent)
{
    setCursor(Qt::ArrowCursor);
}

CComboEditUI::~CComboEditUI() = default;

CCboEditWnd* CComboEditUI::GetEditWindow() const
{
    return m_wnd;
}

QString CComboEditUI::GetText() const
{
    return m_ownText;
}

void CComboEditUI::SetText(const QString& text)
{
    if (m_ownText != text) {
        m_ownText = text;
        update();
    }
    if (m_wnd != nullptr && m_wnd->text() != text)
        m_wnd->setText(text);
    const int index = FindExactItem(text);
    // The base selection: a text no item equals clears the selection without a notification.
    CComboUI::SelectItem(index);
    update();
}

bool CComboEditUI::SelectItem(int index, bool takeFocus)
{
    const bool result = CComboUI::SelectItem(index, takeFocus);
    const QString text = GetItemText(GetCurSel());
    if (m_ownText != text) {
        m_ownText = text;
        update();
    }
    if (m_wnd != nullptr && m_wnd->text() != text)
        m_wnd->setText(text);
    return result;
}

void CComboEditUI::SetMaxChar(int count)
{
    m_maxChar = std::max(0, count);
    if (m_wnd != nullptr)
        m_wnd->setMaxLength(std::max(1, m_maxChar));
}

QRect CComboEditUI::GetEditRect() const
{
    return FitToFontHeight(GetTextRect(), GetEditFont());
}

int CComboEditUI::FindExactItem(const QString& text) const
{
    for (int i = 0; i < GetCount(); ++i) {
        if (GetItemText(i) == text)
            return i;
    }
    return -1;
}

void CComboEditUI::showPopup()
{
    // The list and the typing box are not open together.
    if (m_wnd != nullptr) {
        // The combo takes the focus back from the box, which closes it.
        setFocusProxy(nullptr);
        if (m_wnd->hasFocus())
            setFocus(Qt::OtherFocusReason);
    }
    CComboUI::showPopup();
}

void CComboEditUI::setVisible(bool visible)
{
    if (!visible && !isHidden())
        HandFocusToWindow(this);
    CComboUI::setVisible(visible);
}

void CComboEditUI::OpenWindow()
{
    auto* wnd = new CCboEditWnd(this);
    m_wnd = wnd;
    connect(wnd, &CFilteredLineEdit::TextTyped, this, &CComboEditUI::OnWindowTextChanged);
    connect(wnd, &CFilteredLineEdit::EnterPressed, this, &CComboEditUI::OnWindowReturn);
    connect(wnd, &CCboEditWnd::WheelStep, this, &CComboEditUI::OnWindowWheel);
    connect(wnd, &CFilteredLineEdit::Closing, this, [this, wnd] { OnWindowClosing(wnd); });
    setFocusProxy(wnd);
    wnd->Init();
}

void CComboEditUI::OnWindowClosing(CCboEditWnd* wnd)
{
    if (m_wnd != wnd)
        return;
    setFocusProxy(nullptr);
    m_wnd = nullptr;
    update();
}

void CComboEditUI::OnButtonPress(QMouseEvent* event)
{
    event->accept();
    if (!isEnabled())
        return;
    const QPoint point = event->position().toPoint();
    if (!IsDroppedDown() && GetEditRect().contains(point)) {
        const bool focused = hasFocus() || (m_wnd != nullptr && m_wnd->hasFocus());
        if (focused && m_wnd == nullptr)
            OpenWindow();
        if (m_wnd != nullptr)
            m_wnd->SelectAllText();
        return;
    }
    // Any button opens the list as a left press does, so the release of this very press (the
    // right button's too) leaves it open.
    QMouseEvent press(QEvent::MouseButtonPress, event->position(), event->globalPosition(),
                      Qt::LeftButton, Qt::LeftButton, event->modifiers());
    CComboUI::mousePressEvent(&press);
}

bool CComboEditUI::event(QEvent* event)
{
    // The text part shows the text cursor, the arrow strip the arrow.
    if (event->type() == QEvent::HoverMove || event->type() == QEvent::HoverEnter) {
        const auto* hover = static_cast<QHoverEvent*>(event);
        const bool inText = isEnabled() && GetEditRect().contains(hover->position().toPoint());
        setCursor(inText ? Qt::IBeamCursor : Qt::ArrowCursor);
    }
    return CComboUI::event(event);
}

void CComboEditUI::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)
        OnButtonPress(event);
    else
        event->ignore();
}

void CComboEditUI::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)
        OnButtonPress(event);
    else
        event->ignore();
}

void CComboEditUI::Step(int direction)
{
    const int count = GetCount();
    if (count == 0)
        return;
    const int current = GetCurSel();
    const int target = std::clamp(current + direction, 0, count - 1);
    SelectItem(target);
    if (IsDroppedDown())
        view()->scrollTo(view()->model()->index(GetCurSel(), 0));
}

void CComboEditUI::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_PageUp:
        Step(-1);
        break;
    case Qt::Key_Down:
    case Qt::Key_PageDown:
        Step(+1);
        break;
    case Qt::Key_Home:
        if (GetCount() > 0)
            SelectItem(0);
        break;
    case Qt::Key_End:
        if (GetCount() > 0)
            SelectItem(GetCount() - 1);
        break;
    case Qt::Key_F4:
        showPopup();
        break;
    default: {
        // No type-to-search: the code is typed in the typing box, which F2 or a typed character
        // opens (with the whole text selected, so the character replaces it) as in a
        // spreadsheet.
        if (m_wnd != nullptr)
            break; // what the typing box leaves (an arrow at the text's end) moves no grid row
        const QString typed = TextStartingTyping(*event);
        const bool f2 = event->key() == Qt::Key_F2 && event->modifiers() == Qt::NoModifier;
        if (!isEnabled() || IsDroppedDown() || (!f2 && typed.isEmpty())) {
            event->ignore();
            return;
        }
        OpenWindow();
        m_wnd->SelectAllText();
        for (const QChar c : typed)
            m_wnd->TypeChar(c);
        break;
    }
    }
    event->accept();
}

void CComboEditUI::wheelEvent(QWheelEvent* event)
{
    event->accept();
    const int delta = event->angleDelta().y();
    if (delta != 0)
        Step(delta < 0 ? 1 : -1);
}

void CComboEditUI::resizeEvent(QResizeEvent* event)
{
    CComboUI::resizeEvent(event);
    if (m_wnd != nullptr)
        m_wnd->setGeometry(GetEditRect());
}

void CComboEditUI::OnWindowTextChanged(const QString& text)
{
    if (m_ownText != text) {
        m_ownText = text;
        update();
    }
    const int index = FindExactItem(text);
    if (IsDroppedDown() && index >= 0)
        view()->scrollTo(view()->model()->index(index, 0));
    CComboUI::SelectItem(index);
    Notify(QStringLiteral("textchanged"));
}

void CComboEditUI::OnWindowReturn()
{
    Notify(QStringLiteral("return"));
}

void CComboEditUI::OnWindowWheel(int direction)
{
    Step(direction);
}

void CComboEditUI::Notify(const QString& type)
{
    if (CPaintManagerUI* manager = GetManager())
        manager->SendNotify(this, type);
}
