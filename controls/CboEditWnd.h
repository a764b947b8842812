#pragma once

// Qt
#include <QLineEdit>

class CComboEditUI;

// The typing box a CComboEditUI opens over its text part: a single-line edit whose typed
// characters pass the code filter (1-3 digits; digits with a final N or I; digits, the held
// separator and one decimal). Enter sends "return" and closes it shortly after; it also closes
// when it loses the keyboard focus.
class CCboEditWnd : public QLineEdit
{
    Q_OBJECT

public:
    explicit CCboEditWnd(CComboEditUI* owner);

    void Init();
    // Types one character through the filter, as a key press does.
    void TypeChar(QChar c);
    void SelectAllText();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void Close();

    CComboEditUI* m_owner;
    bool m_initialised = false;
    bool m_closing = false;
};
