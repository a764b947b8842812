// Reading and writing the radio: the commands, the progress dialog with its watchdog, and what
// the protocol engine asks of the window from the port's reader thread.
#include "MainDlg.h"
#include "Texts.h"
#include "controls/ChannelList.h"
#include "link/PortList.h"
#include "link/RadioProbe.h"
#include "resources/ProgressDlg.h"
#include "toolkit/ComboUI.h"

// Qt
#include <QStringList>

// std
#include <utility>

namespace {

QString Utf8(const char* text)
{
    return QString::fromUtf8(text);
}

// Keeps the radio probe off the port for as long as it lives or until Release.
class CProbeHold
{
public:
    explicit CProbeHold(CRadioProbe* probe) : m_probe(probe)
    {
        if (m_probe != nullptr)
            m_probe->HoldOff(CRadioProbe::kGateTimeoutMs);
    }
    ~CProbeHold() { Release(); }
    CProbeHold(const CProbeHold&) = delete;
    CProbeHold& operator=(const CProbeHold&) = delete;

    void Release()
    {
        if (m_probe != nullptr)
            std::exchange(m_probe, nullptr)->Release();
    }

private:
    CRadioProbe* m_probe;
};

} // namespace

void CMainDlg::StartRead()
{
    if (m_progress != nullptr || m_channelList == nullptr)
        return;
    // An edit under way is a step of its own, before the read's.
    m_channelList->CommitOpenEditor();
    // However far it got, the read is one step, undone here only: the radio keeps its data.
    RecordStep(Texts::kStepRead, [this] { RunOperation(true); });
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
    // A write sends what the grid shows; a read leaves nothing typed before it to land after it.
    m_channelList->CommitOpenEditor();
    // The probe stays off the port until the operation ends: a pass under way finishes first
    // and the operation takes the port (and the selection) that pass left.
    CProbeHold hold(m_probe.get());
    m_protocol.StartOperation(isRead);

    const bool locked = m_gate.Lock(CPortGate::Shared, 500);
    const int selected = m_portList != nullptr ? m_portList->SelectedPort() : -1;
    if (m_cboCOM == nullptr || selected < 0) {
        if (locked)
            m_gate.Unlock();
        Message(IUserPrompts::Icon::Information, Utf8(Texts::kCheckCable));
        return;
    }
    if (!m_port.IsOpen() && !m_port.Open(m_portList->PortText(selected))) {
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
    hold.Release();
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
    case RESULT_READ_INCOMPLETE: {
        QStringList channels;
        const std::uint16_t skipped = m_protocol.SkippedChannels();
        for (int channel = 1; channel <= kChannelCount; ++channel) {
            if (skipped & (1u << (channel - 1)))
                channels << QString::number(channel);
        }
        Message(IUserPrompts::Icon::Warning,
                Utf8(Texts::kReadIncomplete).arg(channels.join(QStringLiteral(", "))));
        break;
    }
    default:
        break;
    }
}

const char* CMainDlg::PortOpenReason(PortOpenError error)
{
    switch (error) {
    case PortOpenError::Busy:
        return Texts::kPortBusy;
    case PortOpenError::PermissionDenied:
        return Texts::kPortNoPermission;
    case PortOpenError::NotFound:
        return Texts::kPortNotFound;
    default:
        return nullptr;
    }
}

QString CMainDlg::PortOpenFailureText() const
{
    QString text = Utf8(Texts::kPortOpenFailed);
    if (const char* reason = PortOpenReason(m_port.LastOpenError()))
        text += QLatin1Char('\n') + Utf8(reason);
    return text;
}

void CMainDlg::OnReceive(const std::uint8_t* bytes, std::uint32_t count)
{
    m_protocol.OnReceive(bytes, count);
}

void CMainDlg::OnStarted()
{
    m_protocol.OnPortStarted();
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
