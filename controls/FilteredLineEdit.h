#pragma once

// Qt
#include <QLineEdit>

// The held decimal separator as the editors' filters see it: one UTF-16 unit, since only a
// character of the Basic Multilingual Plane is ever held.
[[nodiscard]] QChar HeldSeparator();

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

    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
};
