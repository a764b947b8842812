#pragma once

#include "FilteredLineEdit.h"

class CComboEditUI;

// The typing box a CComboEditUI opens over its text part: a single-line edit whose typed
// characters pass the code filter (1-3 digits; digits with a final N or I; digits, the held
// separator and one decimal). Enter sends "return" and closes it shortly after; it also closes
// when it loses the keyboard focus.
class CCboEditWnd : public CFilteredLineEdit
{
    Q_OBJECT

public:
    explicit CCboEditWnd(CComboEditUI* owner);

    void Init();
    void TypeChar(QChar c) override;
    void SelectAllText();

protected:
    void OnReturnKey() override;
    void OnClosing() override;
    void focusOutEvent(QFocusEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    CComboEditUI* m_owner;
    bool m_initialised = false;
};
