#include "FilteredLineEdit.h"

#include "model/DecimalSeparator.h"
#include "toolkit/PaintManager.h"

// Qt
#include <QApplication>
#include <QKeyEvent>

using namespace DuiLib;

namespace {

// Keys that edit or move without typing a character; the edit handles them unfiltered.
bool IsCommandKey(int key)
{
    switch (key) {
    case Qt::Key_Delete:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Insert:
        return true;
    default:
        return false;
    }
}

} // namespace

QString TextStartingTyping(const QKeyEvent& event)
{
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return {};
    const QString typed = event.text();
    for (const QChar c : typed) {
        if (!c.isPrint())
            return {};
    }
    return typed;
}

QRect FitToFontHeight(QRect area, const QFont& font)
{
    const int fontHeight = QFontMetrics(font).height();
    if (fontHeight < area.height()) {
        area.setTop(area.top() + (area.height() - fontHeight) / 2);
        area.setHeight(fontHeight);
    }
    return area;
}

void HandFocusToWindow(QWidget* editor)
{
    const QWidget* focus = QApplication::focusWidget();
    if (focus == editor || editor->isAncestorOf(focus)) {
        if (CPaintManagerUI* manager = CPaintManagerUI::FromWidget(editor))
            manager->KillFocus();
    }
}

QChar HeldSeparator()
{
    return QChar(static_cast<char16_t>(DecimalSeparatorChar()));
}

void CFilteredLineEdit::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        event->accept();
        OnReturnKey();
        return;
    }
    if (key == Qt::Key_Escape) {
        // The edit ends and the cell stays as it was.
        event->accept();
        setText(m_openedText);
        Close();
        return;
    }
    if (key == Qt::Key_Backspace) {
        event->accept();
        TypeChar(QLatin1Char('\b'));
        return;
    }
    const QString typed = event->text();
    if (typed.isEmpty() || IsCommandKey(key)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    // A typed character: the filter decides; control characters (clipboard, undo) never pass.
    event->accept();
    for (const QChar c : typed)
        TypeChar(c);
}

void CFilteredLineEdit::Open(const QRect& area, const QFont& font, int maxChars,
                             const QString& text, bool enabled)
{
    setGeometry(area);
    setFont(font);
    setMaxLength(std::max(1, maxChars));
    m_openedText = text;
    setText(text);
    setModified(false);
    setTextMargins(0, 0, 0, 0);
    setContentsMargins(0, 0, 0, 0);
    setEnabled(enabled);
    connect(this, &QLineEdit::textChanged, this, [this](const QString& typed) {
        if (m_opened)
            Q_EMIT TextTyped(typed);
    });
    show();
    setFocus(Qt::OtherFocusReason);
    m_opened = true;
}

void CFilteredLineEdit::OnReturnKey()
{
    Q_EMIT EnterPressed();
}

void CFilteredLineEdit::Close()
{
    if (m_closing)
        return;
    m_closing = true;
    const bool hadFocus = hasFocus();
    Q_EMIT Closing();
    QWidget* owner = parentWidget();
    if (hadFocus && owner != nullptr && owner->isVisible())
        owner->setFocus(Qt::OtherFocusReason);
    hide();
    deleteLater();
}

void CFilteredLineEdit::inputMethodEvent(QInputMethodEvent* event)
{
    const QString committed = event->commitString();
    event->accept();
    for (const QChar c : committed)
        TypeChar(c);
}
