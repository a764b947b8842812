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
    setGeometry(m_owner->GetEditRect());
    setFont(m_owner->GetSkinFont());
    setMaxLength(std::max(1, m_owner->GetMaxChar()));
    setEchoMode(m_owner->IsPasswordMode() ? QLineEdit::Password : QLineEdit::Normal);
    SetOpenedText(m_owner->GetText());
    setModified(false);
    setTextMargins(0, 0, 0, 0);
    setContentsMargins(0, 0, 0, 0);
    setEnabled(m_owner->isEnabled());
    setReadOnly(m_owner->IsReadOnly());
    ApplyColours();
    connect(this, &QLineEdit::textChanged, m_owner, [this](const QString& text) {
        if (m_initialised)
            m_owner->OnWindowTextChanged(text);
    });
    show();
    setFocus(Qt::OtherFocusReason);
    m_initialised = true;
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

void CFreqEditWnd::OnReturnKey()
{
    m_owner->OnWindowReturn();
}

void CFreqEditWnd::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // Its own context menu does not end the typing.
    if (event->reason() != Qt::PopupFocusReason)
        Close();
}

void CFreqEditWnd::OnClosing()
{
    m_owner->OnWindowClosing(this);
}
