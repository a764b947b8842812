#include "link/RadioSession.h"

#include "link/RadioTexts.h"

// std
#include <algorithm>
#include <array>
#include <utility>

namespace {

// Keeps the radio probe off the port for as long as it lives or until Release.
class CProbeHold
{
public:
    explicit CProbeHold(CRadioProbe& probe) : m_probe(&probe)
    {
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

// Holds the gate shared when it could be taken within its time, and gives it back once.
class CSharedGateHold
{
public:
    CSharedGateHold(CPortGate& gate, std::uint32_t timeoutMs)
        : m_gate(gate), m_locked(gate.Lock(CPortGate::Shared, timeoutMs))
    {}
    ~CSharedGateHold() { Release(); }
    CSharedGateHold(const CSharedGateHold&) = delete;
    CSharedGateHold& operator=(const CSharedGateHold&) = delete;

    void Release()
    {
        if (std::exchange(m_locked, false))
            m_gate.Unlock();
    }

private:
    CPortGate& m_gate;
    bool m_locked;
};

constexpr std::uint32_t kOperationGateMs = 500;

} // namespace

int ResultCode(OperationResult result)
{
    switch (result) {
    case OperationResult::Done:
        return RESULT_DONE;
    case OperationResult::TimedOut:
        return TIMER_WATCHDOG;
    case OperationResult::PortFailed:
        return RESULT_PORT_FAILED;
    case OperationResult::WindowClosed:
        return RESULT_WINDOW_CLOSED;
    case OperationResult::ReadIncomplete:
        return RESULT_READ_INCOMPLETE;
    case OperationResult::NoPort:
    case OperationResult::PortOpenFailed:
        break;
    }
    return 0;
}

std::optional<OperationResult> OperationResultFromCode(int code)
{
    for (OperationResult result :
         {OperationResult::Done, OperationResult::TimedOut, OperationResult::PortFailed,
          OperationResult::WindowClosed, OperationResult::ReadIncomplete}) {
        if (ResultCode(result) == code)
            return result;
    }
    return std::nullopt;
}

const char* PortOpenReasonText(PortOpenError error)
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

std::string PortOpenFailureText(PortOpenError error)
{
    std::string text = Texts::kPortOpenFailed;
    if (const char* reason = PortOpenReasonText(error))
        text.append("\n").append(reason);
    return text;
}

std::string ChannelListText(std::uint16_t channels)
{
    std::string text;
    for (int channel = 1; channel <= kChannelCount; ++channel) {
        if (channels & (1u << (channel - 1)))
            text.append(text.empty() ? "" : ", ").append(std::to_string(channel));
    }
    return text;
}

std::optional<SessionMessage> OutcomeMessage(const OperationOutcome& outcome)
{
    using Icon = SessionMessage::Icon;
    const std::string caption = Texts::kWindowTitle;
    switch (outcome.result) {
    case OperationResult::Done:
        return SessionMessage{Icon::Information,
                              outcome.isRead ? Texts::kReadDone : Texts::kWriteDone, caption};
    case OperationResult::TimedOut:
        // Not even the identification came: the cable or the port, not a slow radio.
        return SessionMessage{Icon::Error,
                              outcome.blockCounter == 0 ? Texts::kCheckCable : Texts::kTimedOut,
                              caption};
    case OperationResult::PortFailed:
        return SessionMessage{Icon::Error, Texts::kPortWriteFailed, caption};
    case OperationResult::ReadIncomplete: {
        std::string text = Texts::kReadIncomplete;
        text.replace(text.find("%1"), 2, ChannelListText(outcome.skippedChannels));
        return SessionMessage{Icon::Warning, text, caption};
    }
    case OperationResult::NoPort:
        return SessionMessage{Icon::Information, Texts::kCheckCable, caption};
    case OperationResult::PortOpenFailed:
        return SessionMessage{Icon::Warning, PortOpenFailureText(outcome.openError),
                              Texts::kWarningCaption};
    case OperationResult::WindowClosed:
        break;
    }
    return std::nullopt;
}

CRadioSession::CRadioSession(IRadioSessionView& view)
    : m_view(view), m_probe(m_port, m_gate, m_protocol.RadioFoundEvent(), m_ports,
                            [this] { m_view.RadioFound(); })
{
    m_port.SetReadChunk(CRadioProtocol::kProbeReadChunk);
    m_ports.SetOnSelect([this](int index) { m_view.PortSelected(index); });
    m_probe.SetOnPortRefused(
        [this](const std::string& name, PortOpenError error) { m_view.PortRefused(name, error); });
}

CRadioSession::~CRadioSession()
{
    ShutDown();
}

void CRadioSession::FillPorts(const std::vector<std::string>& names)
{
    FillPortList(m_gate, m_ports, names);
}

void CRadioSession::PortDeviceChanged(bool arrival, const std::string& name)
{
    if (m_shuttingDown)
        return;
    if (arrival)
        HandlePortArrival(m_gate, m_ports, m_port, name);
    else
        HandlePortRemoval(m_gate, m_ports, name);
}

void CRadioSession::StartProbe()
{
    if (!m_shuttingDown)
        m_probe.StartProbe();
}

std::optional<OperationOutcome> CRadioSession::Run(bool isRead)
{
    if (m_shuttingDown || m_running.exchange(true))
        return std::nullopt;
    struct CRunning
    {
        std::atomic<bool>& flag;
        ~CRunning() { flag = false; }
    } running{m_running};

    OperationOutcome outcome;
    outcome.isRead = isRead;
    // The probe stays off the port until the operation ends: a pass under way finishes first
    // and the operation takes the port (and the selection) that pass left.
    CProbeHold hold(m_probe);
    m_protocol.StartOperation(isRead);
    {
        CSharedGateHold gate(m_gate, kOperationGateMs);
        const int selected = m_ports.SelectedPort();
        if (selected < 0) {
            outcome.result = OperationResult::NoPort;
            return outcome;
        }
        outcome.portName = m_ports.PortText(selected);
        if (!m_port.IsOpen() && !m_port.Open(outcome.portName)) {
            outcome.result = OperationResult::PortOpenFailed;
            outcome.openError = m_port.LastOpenError();
            return outcome;
        }
    }

    ProgressRun progress;
    progress.title = isRead ? Texts::kReadTitle : Texts::kWriteTitle;
    progress.steps = CRadioProtocol::kProgressSteps;
    progress.tickPeriodMs = m_watchdogPeriodMs;
    progress.onShown = [this] {
        m_port.SetReadChunk(CRadioProtocol::kOperationReadChunk);
        m_protocol.BeginDialog();
    };
    progress.onTick = [this] { return m_protocol.WatchdogTick(); };
    const int code = m_view.RunProgress(progress);
    m_protocol.DialogEnded();
    hold.Release();

    outcome.result = OperationResultFromCode(code).value_or(OperationResult::WindowClosed);
    outcome.blockCounter = m_protocol.BlockCounter();
    outcome.skippedChannels = m_protocol.SkippedChannels();
    return outcome;
}

void CRadioSession::ShutDown()
{
    if (m_shuttingDown.exchange(true))
        return;
    // An operation still running ends now: its progress would otherwise wait for calls that are
    // dropped from now on. The engine stops calling the view, and a reader already waiting for
    // it is let go, before anything is joined: the probe may be joining that very reader.
    m_view.ShutDownCalls();
    m_protocol.DialogEnded();
    m_probe.Stop();
    m_port.Close();
}

void CRadioSession::OnReceive(const std::uint8_t* bytes, std::uint32_t count)
{
    m_protocol.OnReceive(bytes, count);
}

void CRadioSession::OnStarted()
{
    m_protocol.OnPortStarted();
}

void CRadioSession::OnClosed()
{
    if (!m_shuttingDown)
        m_view.PortClosed();
}

ChannelRecord CRadioSession::CEngineHost::RowRecord(int row)
{
    return m_session.m_view.RowRecord(row);
}

void CRadioSession::CEngineHost::ChannelReceived(int row, const ChannelRecord& record)
{
    m_session.m_view.ChannelReceived(row, record);
}

void CRadioSession::CEngineHost::SettingsReceived(const std::uint8_t* frame, std::uint32_t count)
{
    // The settings bytes lie within the first 20 bytes; a shorter reply reads as zeros there.
    std::array<std::uint8_t, CRadioProtocol::kFrameBufferSize> copy{};
    std::copy_n(frame, std::min<std::size_t>(count, copy.size()), copy.begin());
    m_session.m_view.SettingsReceived(copy.data());
}

void CRadioSession::CEngineHost::CollectSettings(std::uint8_t* frame)
{
    m_session.m_view.ProvideSettings(frame);
}

void CRadioSession::CEngineHost::StepProgress()
{
    m_session.m_view.StepProgress();
}

void CRadioSession::CEngineHost::EndOperation(int result)
{
    m_session.m_view.EndProgress(result);
}

int CRadioSession::CEngineHost::WritePort(const std::uint8_t* data, std::uint32_t count)
{
    std::uint32_t written = 0;
    return m_session.m_port.Write(data, count, &written);
}
