#pragma once

// Qt
#include <QLineEdit>

class QKeyEvent;

// The held decimal separator as the editors' filters see it: one UTF-16 unit, since only a
// character of the Basic Multilingual Plane is ever held.
[[nodiscard]] QChar HeldSeparator();

// What a key pressed on an editor whose typing box is closed types into a new box, as in a
// spreadsheet: printable characters without Ctrl, Alt or Meta. Empty for any other key.
[[nodiscard]] QString TextStartingTyping(const QKeyEvent& event);

// A typing box whose typed characters each pass a filter before they stay. Keys that edit or
// move without typing a character (arrows, Delete, Tab, ...) are the line edit's own; Backspace
// goes through the filter too, since deleting can also leave a text the filter refuses.
class CFilteredLineEdit : public QLineEdit
{
    Q_OBJECT

public:
    using QLineEdit::QLineEdit;

    // Types one character through the filter, as a key press does ('\b' for Backspace).
    virtual void TypeChar(QChar c) = 0;

protected:
    // Enter or Return was pressed.
    virtual void OnReturnKey() = 0;
    // The box is closing (once): the owner forgets it.
    virtual void OnClosing() = 0;

    // The text the box opens with, which Escape brings back.
    void SetOpenedText(const QString& text);
    // Closes the box once: the owner hears of it, keeps the focus if the box had it, and the box
    // is deleted once the events under way are done.
    void Close();

    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    QString m_openedText;
    bool m_closing = false;
};
