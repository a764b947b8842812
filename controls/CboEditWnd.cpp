#include "CboEditWnd.h"

#include "CodeFilter.h"
#include "ComboEditUI.h"
#include "LineEditState.h"

// Qt
#include <QKeyEvent>
#include <QWheelEvent>

CCboEditWnd::CCboEditWnd(CComboEditUI* owner) : CFilteredLineEdit(owner), m_owner(owner)
{
    setFrame(false);
}

void CCboEditWnd::Init()
{
    Open(m_owner->GetEditRect(), m_owner->GetEditFont(), m_owner->GetMaxChar(), m_owner->GetText(),
         m_owner->isEnabled());
}

void CCboEditWnd::SelectAllText()
{
    selectAll();
}

void CCboEditWnd::TypeChar(QChar c)
{
    const QChar separator = HeldSeparator();
    if (!CodeCharPasses(c, separator))
        return;
    const CLineEditState saved(this);
    const QChar inserted = CodeCharToInsert(c);
    if (inserted == QLatin1Char('\b'))
        backspace();
    else
        insert(QString(inserted));
    switch (JudgeCodeKeystroke(saved.Text(), text(), inserted, separator)) {
    case CodeKeystroke::Accept:
        break;
    case CodeKeystroke::Reject:
        saved.Restore(this);
        break;
    case CodeKeystroke::Clear:
        setText(QString());
        selectAll();
        break;
    }
}

void CCboEditWnd::OnReturnKey()
{
    // Closes shortly after, once "return" has been handled.
    QMetaObject::invokeMethod(this, &CCboEditWnd::Close, Qt::QueuedConnection);
    CFilteredLineEdit::OnReturnKey();
}

void CCboEditWnd::wheelEvent(QWheelEvent* event)
{
    event->accept();
    const int delta = event->angleDelta().y();
    if (delta == 0)
        return;
    // Towards the user moves down the list.
    Q_EMIT WheelStep(delta < 0 ? 1 : -1);
    selectAll();
}

void CCboEditWnd::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (event->reason() != Qt::PopupFocusReason)
        Close();
}
