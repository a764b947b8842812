#pragma once

#include "FilteredLineEdit.h"

class CFreqEditUI;

// The typing window a CFreqEditUI opens over itself: a single-line edit whose typed characters
// pass the frequency filter before they stay (digits, one held separator, at most three integer
// digits or five decimals, nine characters). It closes when it loses the keyboard focus. It
// takes its settings from the control and tells it what happens through its signals.
class CFreqEditWnd : public CFilteredLineEdit
{
    Q_OBJECT

public:
    explicit CFreqEditWnd(CFreqEditUI* owner);

    // Sets the window up over the control and gives it the focus; no "textchanged" is sent for
    // the text it starts with.
    void Init();
    void SelectAllText();
    void TypeChar(QChar c) override;

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    void ApplyColours();

    const CFreqEditUI* m_owner;
};
