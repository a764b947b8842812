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

// Where an editor's typing box goes: the text area, cut to the font's height and centred in it.
[[nodiscard]] QRect FitToFontHeight(QRect area, const QFont& font);

// Before an editor with the keyboard focus (or a typing box of it) is hidden: the focus goes to
// the window, so the editor gets "killfocus", instead of wandering to the next widget.
void HandFocusToWindow(QWidget* editor);

// A typing box whose typed characters each pass a filter before they stay. Keys that edit or
// move without typing a character (arrows, Delete, Tab, ...) are the line edit's own; Backspace
// goes through the filter too, since deleting can also leave a text the filter refuses.
//
// The box tells its owner (the editor it opens over, its parent) what happens through its
// signals; the owner connects them before opening it.
class CFilteredLineEdit : public QLineEdit
{
    Q_OBJECT

public:
    using QLineEdit::QLineEdit;

    // Types one character through the filter, as a key press does ('\b' for Backspace).
    virtual void TypeChar(QChar c) = 0;

Q_SIGNALS:
    // The text changed after the box was opened (not for the text it opened with).
    void TextTyped(const QString& text);
    // Enter or Return was pressed.
    void EnterPressed();
    // The box is closing (once): the owner forgets it.
    void Closing();

protected:
    // Enter or Return was pressed; the default signals EnterPressed.
    virtual void OnReturnKey();

    // Sets the box up at `area` with the text it opens with (which Escape brings back), shows it
    // and gives it the focus. Changes of the text from then on are signalled.
    void Open(const QRect& area, const QFont& font, int maxChars, const QString& text,
              bool enabled);
    // Closes the box once: the owner hears of it, keeps the focus if the box had it, and the box
    // is deleted once the events under way are done.
    void Close();

    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    QString m_openedText;
    bool m_opened = false;
    bool m_closing = false;
};
