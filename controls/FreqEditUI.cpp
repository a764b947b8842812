#include "FreqEditUI.h"

#include "FreqEditWnd.h"
#include "toolkit/AttributeTable.h"
#include "toolkit/PaintManager.h"

// Qt
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

using namespace DuiLib;

namespace {

bool IsTrue(const QString& value)
{
    return EqualsNoCase(value, QStringLiteral("true"));
}

} // namespace

CFreqEditUI::CFreqEditUI(QWidget* parent)
    : CLabelUI(parent), m_tipColor(ParseColor(QStringLiteral("#FFBAC0C5"))),
      m_nativeBkColor(ParseColor(QStringLiteral("#FFFFFFFF"))),
      m_nativeTextColor(QColor::fromRgba(0))
{
    SetBkColor(ParseColor(QStringLiteral("#FFFFFFFF")));
    m_face.text.padding = QMargins(4, 3, 4, 3);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::IBeamCursor);
    setAttribute(Qt::WA_Hover, true);
}

CFreqEditUI::~CFreqEditUI() = default;

CFreqEditWnd* CFreqEditUI::GetEditWindow() const
{
    return m_wnd;
}

QString CFreqEditUI::GetClass() const
{
    return QStringLiteral("FreqEdit");
}

void CFreqEditUI::SetAttribute(const QString& name, const QString& value)
{
    static const CAttributeTable<CFreqEditUI> table{
        {"readonly", [](CFreqEditUI& c, const QString& v) { c.SetReadOnly(IsTrue(v)); }},
        {"numberonly", [](CFreqEditUI& c, const QString& v) { c.SetNumberOnly(IsTrue(v)); }},
        {"password", [](CFreqEditUI& c, const QString& v) { c.SetPasswordMode(IsTrue(v)); }},
        {"passwordchar",
         [](CFreqEditUI& c, const QString& v) {
             c.SetPasswordChar(v.isEmpty() ? QChar() : v.front());
         }},
        {"maxchar", [](CFreqEditUI& c, const QString& v) { c.SetMaxChar(v.toInt()); }},
        {"tipvalue", [](CFreqEditUI& c, const QString& v) { c.SetTipValue(v); }},
        {"tipvaluecolor",
         [](CFreqEditUI& c, const QString& v) { c.SetTipValueColor(ParseColor(v)); }},
        {"nativetextcolor",
         [](CFreqEditUI& c, const QString& v) { c.m_nativeTextColor = ParseColor(v); }},
        {"nativebkcolor",
         [](CFreqEditUI& c, const QString& v) { c.m_nativeBkColor = ParseColor(v); }},
        {"text", [](CFreqEditUI& c, const QString& v) { c.SetText(v); }},
        {"font", [](CFreqEditUI& c, const QString& v) { c.SetFont(v.toInt()); }},
    };
    if (table.Apply(*this, name, value))
        update();
    else
        CLabelUI::SetAttribute(name, value);
}

void CFreqEditUI::SetText(const QString& text)
{
    CLabelUI::SetText(text);
    if (m_wnd != nullptr && m_wnd->text() != text)
        m_wnd->setText(text);
    update();
}

void CFreqEditUI::SetMaxChar(int count)
{
    m_maxChar = std::max(0, count);
    if (m_wnd != nullptr)
        m_wnd->setMaxLength(std::max(1, m_maxChar));
}

void CFreqEditUI::SetReadOnly(bool readOnly)
{
    if (m_readOnly == readOnly)
        return;
    m_readOnly = readOnly;
    if (m_wnd != nullptr)
        m_wnd->setReadOnly(readOnly);
    update();
}

void CFreqEditUI::SetNumberOnly(bool numberOnly)
{
    m_numberOnly = numberOnly;
}

void CFreqEditUI::SetPasswordMode(bool password)
{
    if (m_password == password)
        return;
    m_password = password;
    if (m_wnd != nullptr)
        m_wnd->setEchoMode(password ? QLineEdit::Password : QLineEdit::Normal);
    update();
}

void CFreqEditUI::SetPasswordChar(QChar c)
{
    if (m_passwordChar == c)
        return;
    m_passwordChar = c;
    update();
}

void CFreqEditUI::SetTipValue(const QString& text)
{
    m_tipValue = text;
    update();
}

void CFreqEditUI::SetTipValueColor(const QColor& colour)
{
    m_tipColor = colour;
    update();
}

void CFreqEditUI::SetFont(int index)
{
    CLabelUI::SetFont(index);
    updateGeometry();
}

QRect CFreqEditUI::GetEditRect() const
{
    return FitToFontHeight(rect().marginsRemoved(GetTextPadding()), GetSkinFont());
}

bool CFreqEditUI::Activate()
{
    if (isHidden() || !isEnabled())
        return false;
    if (m_wnd == nullptr)
        OpenWindow();
    update();
    return true;
}

void CFreqEditUI::OpenWindow()
{
    auto* wnd = new CFreqEditWnd(this);
    m_wnd = wnd;
    connect(wnd, &CFilteredLineEdit::TextTyped, this, &CFreqEditUI::OnWindowTextChanged);
    connect(wnd, &CFilteredLineEdit::EnterPressed, this, &CFreqEditUI::OnWindowReturn);
    connect(wnd, &CFilteredLineEdit::Closing, this, [this, wnd] { OnWindowClosing(wnd); });
    // Focus given to the control while it types goes on to the typing window, so a press on
    // the control's margin does not close it.
    setFocusProxy(wnd);
    wnd->Init();
}

void CFreqEditUI::OnWindowClosing(CFreqEditWnd* wnd)
{
    if (m_wnd != wnd)
        return;
    setFocusProxy(nullptr);
    m_wnd = nullptr;
    update();
}

void CFreqEditUI::OnWindowTextChanged(const QString& text)
{
    CLabelUI::SetText(text);
    update();
    Notify(QStringLiteral("textchanged"));
}

void CFreqEditUI::OnWindowReturn()
{
    Notify(QStringLiteral("return"));
    // The focus goes back to the window, which closes the typing window.
    if (CPaintManagerUI* manager = CPaintManagerUI::FromWidget(this))
        manager->KillFocus();
    else if (m_wnd != nullptr)
        m_wnd->clearFocus();
}

void CFreqEditUI::Notify(const QString& type)
{
    if (CPaintManagerUI* manager = CPaintManagerUI::FromWidget(this))
        manager->SendNotify(this, type);
}

void CFreqEditUI::setVisible(bool visible)
{
    if (!visible && !isHidden())
        HandFocusToWindow(this);
    CLabelUI::setVisible(visible);
}

QSize CFreqEditUI::sizeHint() const
{
    const LayoutHints hints = GetLayoutHints(this);
    const int height =
        hints.fixedHeight > 0 ? hints.fixedHeight : QFontMetrics(GetSkinFont()).height() + 6;
    return {hints.fixedWidth, height};
}

void CFreqEditUI::OnButtonPress(QMouseEvent* event)
{
    if (!isEnabled())
        return;
    event->accept();
    const bool focused = hasFocus() || (m_wnd != nullptr && m_wnd->hasFocus());
    if (focused && m_wnd == nullptr)
        OpenWindow();
    if (!rect().contains(event->position().toPoint()))
        return;
    if (m_wnd != nullptr)
        m_wnd->SelectAllText();
}

void CFreqEditUI::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)
        OnButtonPress(event);
}

void CFreqEditUI::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)
        OnButtonPress(event);
}

void CFreqEditUI::wheelEvent(QWheelEvent* event)
{
    if (m_wnd != nullptr)
        event->accept();
    else
        event->ignore(); // the grid scrolls, and the editor goes along with its cell
}

void CFreqEditUI::keyPressEvent(QKeyEvent* event)
{
    // Keys the typing window leaves (an arrow at the end of the text) do not move the grid
    // under it.
    if (m_wnd != nullptr) {
        event->accept();
        return;
    }
    // Without its typing window the focused control takes keys as a spreadsheet cell does: F2
    // opens the window with the whole text selected, a typed character replaces the text
    // through the filter.
    const QString typed = TextStartingTyping(*event);
    const bool f2 = event->key() == Qt::Key_F2 && event->modifiers() == Qt::NoModifier;
    if (!isEnabled() || (!f2 && typed.isEmpty())) {
        CLabelUI::keyPressEvent(event);
        return;
    }
    event->accept();
    OpenWindow();
    m_wnd->SelectAllText();
    for (const QChar c : typed)
        m_wnd->TypeChar(c);
}

void CFreqEditUI::enterEvent(QEnterEvent* event)
{
    CLabelUI::enterEvent(event);
    if (isEnabled()) {
        m_hot = true;
        update();
    }
}

void CFreqEditUI::leaveEvent(QEvent* event)
{
    CLabelUI::leaveEvent(event);
    if (isEnabled()) {
        m_hot = false;
        update();
    }
}

void CFreqEditUI::focusInEvent(QFocusEvent* event)
{
    CLabelUI::focusInEvent(event);
    update();
}

void CFreqEditUI::focusOutEvent(QFocusEvent* event)
{
    CLabelUI::focusOutEvent(event);
    update();
}

void CFreqEditUI::resizeEvent(QResizeEvent* event)
{
    CLabelUI::resizeEvent(event);
    if (m_wnd != nullptr)
        m_wnd->setGeometry(GetEditRect());
}

void CFreqEditUI::moveEvent(QMoveEvent* event)
{
    // The typing window is a child and moves along.
    CLabelUI::moveEvent(event);
}

void CFreqEditUI::changeEvent(QEvent* event)
{
    CLabelUI::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        m_hot = false;
}

void CFreqEditUI::paintEvent(QPaintEvent* event)
{
    (void)event;
    QPainter painter(this);
    PaintBackground(painter);
    PaintStatusImage(painter);
    PaintText(painter);
    PaintBorder(painter);
    if (hasFocus())
        PaintFocusMark(painter, this, rect());
}

void CFreqEditUI::PaintStatusImage(QPainter& painter)
{
    const CPaintManagerUI* manager = CPaintManagerUI::FromWidget(this);
    if (manager == nullptr)
        return;
    // An image that cannot be drawn is dropped for good.
    auto draw = [&](QString& image) {
        if (image.isEmpty())
            return false;
        if (manager->DrawImage(painter, rect(), image))
            return true;
        image.clear();
        return false;
    };
    CStateImages& images = m_face.images;
    const bool focused = hasFocus() || (m_wnd != nullptr && m_wnd->hasFocus());
    if (!isEnabled()) {
        if (draw(images.disabled))
            return;
    } else if (focused) {
        if (draw(images.focused))
            return;
    } else if (m_hot) {
        if (draw(images.hot))
            return;
    }
    draw(images.normal);
}

void CFreqEditUI::PaintText(QPainter& painter)
{
    // Colours left transparent count as unset here.
    QColor textColor = m_face.TextColour(true, Qt::black, {}, true);
    const QColor disabledColor =
        m_face.TextColour(false, {}, ParseColor(QStringLiteral("#FFA7A6AA")), true);
    const QString text = GetText();
    QString shown;
    if (text.isEmpty() || text == m_tipValue) {
        shown = m_tipValue;
        textColor = m_tipColor;
    } else if (m_password) {
        shown = QString(text.size(), m_passwordChar);
    } else {
        shown = text;
    }
    if (!isEnabled())
        textColor = disabledColor;
    if (shown.isEmpty())
        return;
    painter.setFont(GetSkinFont());
    painter.setPen(textColor);
    painter.drawText(rect().marginsRemoved(GetTextPadding()),
                     static_cast<int>(GetTextStyle()) | Qt::TextSingleLine, shown);
}
