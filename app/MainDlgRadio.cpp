// Reading and writing the radio: the commands, the progress dialog with its watchdog, and what
// the protocol engine asks of the window from the port's reader thread.
#include "MainDlg.h"
#include "Texts.h"
#include "controls/ChannelList.h"
#include "resources/ProgressDlg.h"
#include "toolkit/ComboUI.h"

namespace {

QString Utf8(const char* text)
{
    return QString::fromUtf8(text);
}

} // namespace

void CMainDlg::StartRead()
{
    RunOperation(true);
}

void CMainDlg::StartWrite()
{
    RunOperation(false);
}

void CMainDlg::RunOperation(bool isRead)
{
    // A second command while one runs (a key repeat reaching the window) starts nothing.
    if (m_progress != nullptr || m_channelList == nullptr)
        return;
    m_protocol.StartOperation(isRead);

    const bool locked = m_gate.Lock(CPortGate::Shared, 500);
    if (m_cboCOM == nullptr || m_cboCOM->GetCurSel() < 0) {
        if (locked)
            m_gate.Unlock();
        Message(IUserPrompts::Icon::Information, Utf8(Texts::kCheckCable));
        return;
    }
    if (!m_port.IsOpen() && !m_port.Open(m_cboCOM->GetText().toStdString())) {
        if (locked)
            m_gate.Unlock();
        m_prompts->Message(this, IUserPrompts::Icon::Warning, PortOpenFailureText(),
                           Utf8(Texts::kWarningCaption));
        return;
    }
    if (locked)
        m_gate.Unlock();

    vorlend::CProgressDlg dialog(this);
    dialog.SetTitle(Utf8(isRead ? Texts::kReadTitle : Texts::kWriteTitle));
    dialog.SetRange(0, CRadioProtocol::kProgressSteps);
    dialog.SetPos(0);
    dialog.SetStep(1);
    dialog.SetInitHandler([this, &dialog] {
        m_port.SetReadChunk(CRadioProtocol::kOperationReadChunk);
        dialog.SetTimer(TIMER_WATCHDOG, static_cast<int>(CRadioProtocol::kWatchdogPeriodMs));
        m_protocol.BeginDialog();
    });
    dialog.SetTimerHandler([this](unsigned id) {
        if (id == TIMER_WATCHDOG)
            m_protocol.WatchdogTick();
    });
    m_progress = &dialog;
    const int result = dialog.DoModal();
    m_progress = nullptr;
    m_protocol.DialogEnded();
    if (!m_shuttingDown)
        ReportOperation(isRead, result);
}

void CMainDlg::ReportOperation(bool isRead, int result)
{
    switch (result) {
    case RESULT_DONE:
        Message(IUserPrompts::Icon::Information,
                Utf8(isRead ? Texts::kReadDone : Texts::kWriteDone));
        break;
    case TIMER_WATCHDOG:
        Message(IUserPrompts::Icon::Error,
                Utf8(m_protocol.BlockCounter() == 0 ? Texts::kCheckCable : Texts::kTimedOut));
        break;
    case RESULT_PORT_FAILED:
        Message(IUserPrompts::Icon::Error, Utf8(Texts::kPortWriteFailed));
        break;
    default:
        break;
    }
}

QString CMainDlg::PortOpenFailureText() const
{
    QString text = Utf8(Texts::kPortOpenFailed);
    const char* reason = nullptr;
    switch (m_port.LastOpenError()) {
    case PortOpenError::Busy:
        reason = Texts::kPortBusy;
        break;
    case PortOpenError::PermissionDenied:
        reason = Texts::kPortNoPermission;
        break;
    case PortOpenError::NotFound:
        reason = Texts::kPortNotFound;
        break;
    default:
        break;
    }
    if (reason != nullptr)
        text += QLatin1Char('\n') + Utf8(reason);
    return text;
}

void CMainDlg::OnReceive(const std::uint8_t* bytes, std::uint32_t count)
{
    m_protocol.OnReceive(bytes, count);
}

void CMainDlg::OnClosed()
{
    if (!m_shuttingDown)
        PostMessage(WM_PORT_CLOSED);
}

ChannelRecord CMainDlg::CEngineHost::RowRecord(int row)
{
    ChannelRecord record;
    m_window.m_uiCalls.Send([&] {
        if (CListChannelElement* element = m_window.m_channelList->GetItemAt(row))
            record = element->GetChannelRecord();
    });
    return record;
}

void CMainDlg::CEngineHost::ChannelReceived(int row, const ChannelRecord& record)
{
    m_window.m_uiCalls.Send([&] {
        if (CListChannelElement* element = m_window.m_channelList->GetItemAt(row))
            element->SetChannelRecord(record);
    });
}

void CMainDlg::CEngineHost::SettingsReceived(const std::uint8_t* frame, std::uint32_t count)
{
    // The settings bytes lie within the first 20 bytes; a shorter reply reads as zeros there.
    std::array<std::uint8_t, CRadioProtocol::kFrameBufferSize> copy{};
    std::copy_n(frame, std::min<std::size_t>(count, copy.size()), copy.begin());
    m_window.m_uiCalls.Send([&] { m_window.ShowSettings(copy.data()); });
}

void CMainDlg::CEngineHost::CollectSettings(std::uint8_t* frame)
{
    m_window.m_uiCalls.Send([&] { m_window.CollectSettings(frame); });
}

void CMainDlg::CEngineHost::StepProgress()
{
    m_window.m_uiCalls.Post([this] {
        if (m_window.m_progress != nullptr)
            m_window.m_progress->StepIt();
    });
}

void CMainDlg::CEngineHost::EndOperation(int result)
{
    // Also from the UI thread (the watchdog): posted all the same, so the dialog ends from its
    // own loop after the progress steps queued before.
    m_window.m_uiCalls.Post([this, result] {
        if (m_window.m_progress != nullptr)
            m_window.m_progress->EndDialog(result);
    });
}

int CMainDlg::CEngineHost::WritePort(const std::uint8_t* data, std::uint32_t count)
{
    std::uint32_t written = 0;
    return m_window.m_port.Write(data, count, &written);
}
