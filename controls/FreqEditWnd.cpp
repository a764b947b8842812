#include "FreqEditWnd.h"

#include "FreqEditUI.h"
#include "FreqFilter.h"
#include "LineEditState.h"

// Qt
#include <QKeyEvent>

CFreqEditWnd::CFreqEditWnd(CFreqEditUI* owner) : CFilteredLineEdit(owner), m_owner(owner)
{
    setFrame(false);
    setContextMenuPolicy(Qt::DefaultContextMenu);
}

void CFreqEditWnd::Init()
{
    setEchoMode(m_owner->IsPasswordMode() ? QLineEdit::Password : QLineEdit::Normal);
    setReadOnly(m_owner->IsReadOnly());
    ApplyColours();
    Open(m_owner->GetEditRect(), m_owner->GetSkinFont(), m_owner->GetMaxChar(), m_owner->GetText(),
         m_owner->isEnabled());
}

void CFreqEditWnd::ApplyColours()
{
    const QColor bk = m_owner->GetNativeBkColor();
    if (bk.rgba() == 0xFFFFFFFFu)
        return; // the system's colours
    QPalette pal = palette();
    QColor text = m_owner->GetNativeTextColor();
    if (text.rgba() == 0)
        text = m_owner->GetTextColor();
    if (text.isValid())
        pal.setColor(QPalette::Text, text);
    pal.setColor(QPalette::Base, bk);
    setPalette(pal);
}

void CFreqEditWnd::SelectAllText()
{
    selectAll();
}

void CFreqEditWnd::TypeChar(QChar c)
{
    const QChar separator = HeldSeparator();
    if (!FreqCharPasses(c, separator))
        return;
    if (m_owner->IsNumberOnly() && c == separator)
        return;
    if (isReadOnly())
        return;
    const CLineEditState saved(this);
    if (c == QLatin1Char('\b'))
        backspace();
    else
        insert(QString(c));
    if (!FreqKeystrokeAccepted(saved.Text(), text(), c, separator))
        saved.Restore(this);
}

void CFreqEditWnd::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // Its own context menu does not end the typing.
    if (event->reason() != Qt::PopupFocusReason)
        Close();
}
