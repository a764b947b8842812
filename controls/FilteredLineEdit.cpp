#include "FilteredLineEdit.h"

#include "model/DecimalSeparator.h"

// Qt
#include <QKeyEvent>

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

void CFilteredLineEdit::SetOpenedText(const QString& text)
{
    m_openedText = text;
    setText(text);
}

void CFilteredLineEdit::Close()
{
    if (m_closing)
        return;
    m_closing = true;
    const bool hadFocus = hasFocus();
    OnClosing();
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
