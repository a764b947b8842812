#pragma once

// Qt
#include <QLineEdit>

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
