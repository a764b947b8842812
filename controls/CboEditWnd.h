#pragma once

#include "FilteredLineEdit.h"

class CComboEditUI;

// The typing box a CComboEditUI opens over its text part: a single-line edit whose typed
// characters pass the code filter (1-3 digits; digits with a final N or I; digits, the held
// separator and one decimal). Enter is signalled and closes it shortly after; it also closes
// when it loses the keyboard focus. It takes its settings from the combo and tells it what
// happens through its signals.
class CCboEditWnd : public CFilteredLineEdit
{
    Q_OBJECT

public:
    explicit CCboEditWnd(CComboEditUI* owner);

    void Init();
    void TypeChar(QChar c) override;
    void SelectAllText();

Q_SIGNALS:
    // The wheel turned over the box: +1 one item towards the end of the list, -1 towards the
    // start.
    void WheelStep(int direction);

protected:
    void OnReturnKey() override;
    void focusOutEvent(QFocusEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    const CComboEditUI* m_owner;
};
