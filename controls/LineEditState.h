#pragma once

// Qt
#include <QLineEdit>

// Keys that edit or move without typing a character; the edit handles them unfiltered.
inline bool IsCommandKey(int key)
{
    switch (key) {
    case Qt::Key_Delete:
    case Qt::Key_Escape:
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

// The text, caret and selection of a typing box before a keystroke, so that a keystroke the
// filter refuses can be undone exactly.
class CLineEditState
{
public:
    explicit CLineEditState(const QLineEdit* edit)
        : m_text(edit->text()), m_cursor(edit->cursorPosition()),
          m_selStart(edit->selectionStart()), m_selLength(edit->selectedText().size())
    {}

    [[nodiscard]] const QString& Text() const { return m_text; }

    void Restore(QLineEdit* edit) const
    {
        edit->setText(m_text);
        if (m_selStart < 0 || m_selLength == 0) {
            edit->setCursorPosition(m_cursor);
        } else if (m_cursor == m_selStart) {
            // The caret stood at the start of the selection.
            edit->setSelection(m_selStart + m_selLength, -m_selLength);
        } else {
            edit->setSelection(m_selStart, m_selLength);
        }
    }

private:
    QString m_text;
    int m_cursor;
    int m_selStart;
    qsizetype m_selLength;
};
