#include "resources/ProgressDlg.h"

#include "resources/DialogUnits.h"

// Qt
#include <QCloseEvent>
#include <QProgressBar>

namespace vorlend {

CProgressDlg::CProgressDlg(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_bar(new QProgressBar(this)), m_calls(this)
{
    setWindowTitle(QStringLiteral("Read/Write"));
    setModal(true);
    setFont(DialogFont(8));
    const QSize base = DialogBaseUnits(font());
    setFixedSize(DialogUnitsToPixels(kTemplateSize, base));
    m_bar->setObjectName(QStringLiteral("progress"));
    m_bar->setGeometry(DialogUnitsToPixels(kBarRect, base));
    m_bar->setTextVisible(false);
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
}

CProgressDlg::~CProgressDlg() = default;

void CProgressDlg::SetTitle(const QString& title)
{
    setWindowTitle(title);
}

void CProgressDlg::SetRange(int minimum, int maximum)
{
    m_calls.Run([this, minimum, maximum] { m_bar->setRange(minimum, maximum); });
}

void CProgressDlg::SetPos(int position)
{
    m_calls.Run([this, position] { m_bar->setValue(position); });
}

void CProgressDlg::SetStep(int step)
{
    m_calls.Run([this, step] { m_step = step; });
}

void CProgressDlg::StepIt()
{
    m_calls.Run([this] {
        // As the Windows bar does: past the end it starts again from the beginning.
        int next = m_bar->value() + m_step;
        if (next > m_bar->maximum())
            next = m_bar->minimum() + (next - m_bar->maximum());
        m_bar->setValue(next);
    });
}

int CProgressDlg::GetPos() const
{
    return m_bar->value();
}

int CProgressDlg::DoModal()
{
    m_ending = false;
    return exec();
}

void CProgressDlg::EndDialog(int result)
{
    m_calls.Run([this, result] { done(result); });
}

void CProgressDlg::SetTimer(unsigned id, int milliseconds)
{
    m_timers.Set(this, id, milliseconds);
}

void CProgressDlg::KillTimer(unsigned id)
{
    m_timers.Kill(this, id);
}

void CProgressDlg::OnInitDialog()
{
    if (m_onInit)
        m_onInit();
}

void CProgressDlg::OnTimer(unsigned id)
{
    if (m_onTimer)
        m_onTimer(id);
}

void CProgressDlg::reject()
{
    // Escape: the operation decides when the dialog ends, not the user.
}

void CProgressDlg::done(int result)
{
    m_ending = true;
    m_timers.KillAll(this);
    QDialog::done(result);
}

void CProgressDlg::closeEvent(QCloseEvent* event)
{
    if (m_ending)
        event->accept();
    else
        event->ignore();
}

void CProgressDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_initialised) {
        m_initialised = true;
        OnInitDialog();
    }
}

void CProgressDlg::timerEvent(QTimerEvent* event)
{
    if (const auto id = m_timers.IdOf(event->timerId()))
        OnTimer(*id);
    else
        QDialog::timerEvent(event);
}

} // namespace vorlend
