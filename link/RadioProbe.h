#pragma once

// std
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class CManualResetEvent;
class CPortGate;
class ICommPort;
class IPortList;
enum class PortOpenError;

// Looks for the radio: on its own thread it opens ports, sends the handshake and waits briefly
// for the identification, so that the port on which the radio answers is selected and open.
// The identification itself is recognised by the protocol engine on the port's reader thread,
// which sets radioFoundEvent and, outside an operation, answers nothing.
//
// Threads: StartProbe, Stop and the queries from any thread (normally the UI thread, and the
// probe thread itself through the port list's selection handler). The probe thread calls the
// port, the gate, the port list and onRadioFound; onRadioFound must not wait for the UI thread
// (post, don't send). At most one probe thread exists at a time.
class CRadioProbe
{
public:
    static constexpr std::uint32_t kGateTimeoutMs = 5000;
    static constexpr std::uint32_t kAnswerWaitMs = 80;
    // An answer whose bytes began to arrive is waited for in steps of this while they keep
    // coming (the port's read window, an adapter's latency timer, a pause inside the answer),
    // at most kLateAnswerLimitMs beyond kAnswerWaitMs. Bytes are looked for once more after
    // kLateAnswerGraceMs (an FTDI adapter's 16 ms latency tick and some jitter), so a silent
    // port costs kAnswerWaitMs + kLateAnswerGraceMs.
    static constexpr std::uint32_t kLateAnswerGraceMs = 20;
    static constexpr std::uint32_t kLateAnswerStepMs = 60;
    static constexpr std::uint32_t kLateAnswerLimitMs = 300;
    static constexpr std::uint32_t kReadChunk = 10;

    // Keeps references to everything; all must outlive the probe (or call Stop first).
    CRadioProbe(ICommPort& port, CPortGate& gate, CManualResetEvent& radioFoundEvent,
                IPortList& ports, std::function<void()> onRadioFound);
    // Stops and joins a running probe.
    ~CRadioProbe();
    CRadioProbe(const CRadioProbe&) = delete;
    CRadioProbe& operator=(const CRadioProbe&) = delete;

    // Requests a probe and starts the probe thread unless one is running (which then runs one
    // more pass, unless the pass under way finds the radio).
    void StartProbe();
    // Keeps the probe off the port while a radio operation uses it: waits (at most
    // `timeoutMs`) for a pass under way to end, and from then on only records requests until
    // Release. False when the pass did not end in time.
    bool HoldOff(std::uint32_t timeoutMs);
    // Ends HoldOff and runs the probe that was requested meanwhile, if any.
    void Release();
    // Called on the probe thread when the selected port cannot be opened, with its name and
    // the reason (set before the first StartProbe).
    void SetOnPortRefused(std::function<void(const std::string&, PortOpenError)> onRefused)
    {
        m_onPortRefused = std::move(onRefused);
    }

    // For shut-down: ends a running pass quickly (also one waiting for the gate, whose waits
    // are cancelled for good), joins the thread, and ignores every later StartProbe.
    void Stop();

    [[nodiscard]] bool IsRunning() const;
    // Waits until no probe thread runs; false on time-out.
    bool WaitUntilIdle(std::uint32_t timeoutMs);
    // Passes run since construction.
    [[nodiscard]] int PassCount() const { return m_passes.load(); }

private:
    void Run();
    // One pass; true when the radio answered.
    bool RunPass();
    // Writes the handshake and waits for the identification; a failing write is a silent port.
    bool Handshake();

    ICommPort& m_port;
    CPortGate& m_gate;
    CManualResetEvent& m_radioFoundEvent;
    IPortList& m_ports;
    std::function<void()> m_onRadioFound;
    std::function<void(const std::string&, PortOpenError)> m_onPortRefused;

    // guards m_probeRequested, m_running, m_held, m_stopped and m_thread
    mutable std::mutex m_mutex;
    std::condition_variable m_idle;
    bool m_probeRequested = false;
    bool m_running = false;
    bool m_held = false; // a radio operation has the port
    bool m_stopped = false;
    std::thread m_thread;
    std::atomic<bool> m_stopRequested{false};
    std::atomic<int> m_passes{0};
};
