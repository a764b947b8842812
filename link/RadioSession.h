#pragma once

#include "link/CommPort.h"
#include "link/PortGate.h"
#include "link/PortList.h"
#include "link/RadioProbe.h"
#include "link/RadioProtocol.h"

// std
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// How a read or a write ended. The values that a progress dialog ends with are the program's
// own numbers; OperationResultFromCode and ResultCode convert, and nothing else should.
enum class OperationResult
{
    Done,           // 100
    TimedOut,       // 3025: the watchdog saw no progress
    PortFailed,     // 3027: a write to the port failed
    WindowClosed,   // 3028: the program closed under the operation
    ReadIncomplete, // 3029: the radio skipped channels
    NoPort,         // no port selected: nothing was tried
    PortOpenFailed, // the selected port would not open
};

[[nodiscard]] int ResultCode(OperationResult result);
// The result a progress ended with; one of the five dialog results, else nullopt.
[[nodiscard]] std::optional<OperationResult> OperationResultFromCode(int code);

// One operation's result with what the user is told about it.
struct OperationOutcome
{
    bool isRead = true;
    OperationResult result = OperationResult::NoPort;
    std::uint8_t blockCounter = 0;     // how far the radio got
    std::uint16_t skippedChannels = 0; // bit n - 1 for channel n
    PortOpenError openError = PortOpenError::None;
    std::string portName; // the port the operation used or tried
};

// A message box: the icon, the text and the caption, in UTF-8.
struct SessionMessage
{
    enum class Icon
    {
        Information,
        Warning,
        Error
    };
    Icon icon = Icon::Information;
    std::string text;
    std::string caption;
};

// What the user is told after an operation; nullopt when nothing is said (the window closed).
[[nodiscard]] std::optional<SessionMessage> OutcomeMessage(const OperationOutcome& outcome);
// The second line of the open-failure message; null when there is none to give.
[[nodiscard]] const char* PortOpenReasonText(PortOpenError error);
// "Ошибка при открытии COM-порта" with the reason on a second line when there is one.
[[nodiscard]] std::string PortOpenFailureText(PortOpenError error);
// The channels of a skipped-channels mask as "3, 7, 12".
[[nodiscard]] std::string ChannelListText(std::uint16_t channels);

// An operation's progress as the session hands it to its view.
struct ProgressRun
{
    const char* title = "";         // UTF-8
    int steps = 0;                  // the bar runs from 0 to steps
    std::uint32_t tickPeriodMs = 0; // the watchdog's period
    std::function<void()> onShown;  // call once, when the progress is up
    // Call every tickPeriodMs until the progress ends; true when that tick ended the operation.
    std::function<bool()> onTick;
};

// What the session needs of whoever shows it: the window, the command line, a test.
//
// Threads: RowRecord, ChannelReceived, SettingsReceived and ProvideSettings come from the port's
// reader thread during an operation and are synchronous: the data is valid only during the
// call. StepProgress and EndProgress come from the reader thread or the caller of Run and must
// not wait for either. RadioFound, PortRefused and PortSelected come from the probe thread (or
// the caller of a selection) and must not wait for the thread that runs operations. PortClosed
// comes from the reader thread as it ends.
class IRadioSessionView
{
public:
    // Channel rows and settings.
    [[nodiscard]] virtual ChannelRecord RowRecord(int row) = 0;
    virtual void ChannelReceived(int row, const ChannelRecord& record) = 0;
    // The settings reply, zero-padded to CRadioProtocol::kFrameBufferSize bytes.
    virtual void SettingsReceived(const std::uint8_t* frame) = 0;
    // Fills the settings bytes of a frame under construction.
    virtual void ProvideSettings(std::uint8_t* frame) = 0;

    // Shows the progress and returns only when EndProgress ended it, with that result (or, if
    // the view ends it itself, with the result it chose). Called on the caller of Run.
    virtual int RunProgress(const ProgressRun& run) = 0;
    virtual void StepProgress() = 0;
    // Ends the progress shown by RunProgress; later calls for the same run are ignored.
    virtual void EndProgress(int result) = 0;
    // The session is shutting down: end a progress under way now with
    // ResultCode(OperationResult::WindowClosed), let go of calls waiting for the view and drop
    // later ones. Called on the thread that runs operations.
    virtual void ShutDownCalls() = 0;

    // The probe's news: the radio answered on the selected port; the port the user chose cannot
    // be opened; the port list's selection changed.
    virtual void RadioFound() {}
    virtual void PortRefused(const std::string& /*name*/, PortOpenError /*error*/) {}
    virtual void PortSelected(int /*index*/) {}
    // The open port's reader ended (closed, hung up or unplugged).
    virtual void PortClosed() {}

protected:
    ~IRadioSessionView() = default;
};

// The radio session: the serial port, the port gate, the protocol engine, the port list and the
// radio probe, and the policy of one read or write over them (which port, opening it, the
// progress steps and the watchdog, keeping the probe off the line, the result). Plain C++: the
// window, the command line and the tests all run operations through it.
//
// Threads: Run, StartProbe, PortDeviceChanged and ShutDown from one thread (the window's);
// the engine and the probe call the view from their own threads as IRadioSessionView says.
class CRadioSession : public ICommPortProcess
{
public:
    explicit CRadioSession(IRadioSessionView& view);
    // Shuts down: the probe is joined and the port closed.
    virtual ~CRadioSession();
    CRadioSession(const CRadioSession&) = delete;
    CRadioSession& operator=(const CRadioSession&) = delete;

    // Fills the port list with the discovered names (sorted, under the exclusive gate).
    void FillPorts(const std::vector<std::string>& names);
    // A serial device came or went: the list follows; an arrival while no port is open is
    // selected, which (through the view's PortSelected) may start a probe.
    void PortDeviceChanged(bool arrival, const std::string& name);
    // Asks the probe for a pass, unless shutting down.
    void StartProbe();

    // One read (into the view's rows and settings) or write (from them) on the selected port.
    // Returns when the operation has ended; nullopt, at once, while another one runs or after
    // ShutDown.
    std::optional<OperationOutcome> Run(bool isRead);
    [[nodiscard]] bool IsOperationRunning() const { return m_running.load(); }

    // Ends an operation under way (the view's progress), stops the probe and closes the port.
    // Idempotent; after it nothing is started any more.
    void ShutDown();
    [[nodiscard]] bool IsShuttingDown() const { return m_shuttingDown.load(); }

    // The watchdog's period (the window uses the protocol's second; tests run faster).
    void SetWatchdogPeriod(std::uint32_t ms) { m_watchdogPeriodMs = ms; }

    [[nodiscard]] CCommPort& Port() { return m_port; }
    [[nodiscard]] CRadioProtocol& Protocol() { return m_protocol; }
    [[nodiscard]] CPortGate& Gate() { return m_gate; }
    [[nodiscard]] CPortListMirror& Ports() { return m_ports; }
    [[nodiscard]] CRadioProbe& Probe() { return m_probe; }

    // ICommPortProcess, on the port's reader thread.
    void OnReceive(const std::uint8_t* bytes, std::uint32_t count) override;
    void OnClosed() override;
    void OnStarted() override;

private:
    // The engine's calls, passed on to the view (the port write is the session's own).
    class CEngineHost final : public IRadioProtocolHost
    {
    public:
        explicit CEngineHost(CRadioSession& session) : m_session(session) {}
        virtual ~CEngineHost() = default;
        ChannelRecord RowRecord(int row) override;
        void ChannelReceived(int row, const ChannelRecord& record) override;
        void SettingsReceived(const std::uint8_t* frame, std::uint32_t count) override;
        void CollectSettings(std::uint8_t* frame) override;
        void StepProgress() override;
        void EndOperation(int result) override;
        int WritePort(const std::uint8_t* data, std::uint32_t count) override;

    private:
        CRadioSession& m_session;
    };

    IRadioSessionView& m_view;
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_shuttingDown{false};
    std::uint32_t m_watchdogPeriodMs = CRadioProtocol::kWatchdogPeriodMs;
    CEngineHost m_engineHost{*this};
    CPortGate m_gate;
    CRadioProtocol m_protocol{m_engineHost};
    CCommPort m_port{this};
    CPortListMirror m_ports;
    // Last: joined before the port, the gate and the list it uses go away.
    CRadioProbe m_probe;
};
