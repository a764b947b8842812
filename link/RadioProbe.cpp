#include "link/RadioProbe.h"

#include "link/CommPort.h"
#include "link/ManualResetEvent.h"
#include "link/PortGate.h"
#include "link/PortList.h"
#include "link/RadioProtocol.h"

// std
#include <algorithm>
#include <cctype>
#include <chrono>
#include <string>

namespace {

bool EqualIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

CRadioProbe::CRadioProbe(ICommPort& port, CPortGate& gate, CManualResetEvent& radioFoundEvent,
                         IPortList& ports, std::function<void()> onRadioFound)
    : m_port(port), m_gate(gate), m_radioFoundEvent(radioFoundEvent), m_ports(ports),
      m_onRadioFound(std::move(onRadioFound))
{}

CRadioProbe::~CRadioProbe()
{
    Stop();
}

void CRadioProbe::StartProbe()
{
    std::thread finished;
    {
        std::lock_guard lock(m_mutex);
        if (m_stopped)
            return;
        m_probeRequested = true;
        if (m_running || m_held)
            return; // the running thread, or Release, takes the request up
        finished = std::move(m_thread);
        m_running = true;
        m_thread = std::thread(&CRadioProbe::Run, this);
    }
    // The previous thread has left Run's last lock; joining it takes no time.
    if (finished.joinable())
        finished.join();
}

bool CRadioProbe::HoldOff(std::uint32_t timeoutMs)
{
    std::unique_lock lock(m_mutex);
    m_held = true;
    return m_idle.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [this] { return !m_running; });
}

void CRadioProbe::Release()
{
    bool requested = false;
    {
        std::lock_guard lock(m_mutex);
        m_held = false;
        requested = m_probeRequested;
    }
    if (requested)
        StartProbe();
}

void CRadioProbe::Stop()
{
    std::thread thread;
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
        m_probeRequested = false;
        thread = std::move(m_thread);
    }
    m_stopRequested.store(true);
    m_gate.CancelWaits();
    if (thread.joinable() && thread.get_id() != std::this_thread::get_id())
        thread.join();
}

bool CRadioProbe::IsRunning() const
{
    std::lock_guard lock(m_mutex);
    return m_running;
}

bool CRadioProbe::WaitUntilIdle(std::uint32_t timeoutMs)
{
    std::unique_lock lock(m_mutex);
    return m_idle.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [this] { return !m_running; });
}

void CRadioProbe::Run()
{
    m_radioFoundEvent.Reset();
    for (;;) {
        {
            std::lock_guard lock(m_mutex);
            // Checked under the lock StartProbe takes, so no request falls between the
            // last check and the end of the thread. A held probe leaves its request to
            // Release.
            if (!m_probeRequested || m_held || m_stopRequested.load()) {
                m_running = false;
                m_idle.notify_all();
                return;
            }
            m_probeRequested = false;
        }
        if (RunPass()) {
            // A request made during a successful pass waits for the next StartProbe.
            std::lock_guard lock(m_mutex);
            m_running = false;
            m_idle.notify_all();
            return;
        }
    }
}

bool CRadioProbe::Handshake()
{
    // Only an identification that answers this handshake counts: a late one from the port
    // tried before must not select this one.
    m_radioFoundEvent.Reset();
    std::uint32_t activity = m_port.ReceiveActivity();
    try {
        std::uint32_t written = 0;
        m_port.Write(CRadioProtocol::kHandshake.data(),
                     static_cast<std::uint32_t>(CRadioProtocol::kHandshake.size()), &written);
    } catch (const CErrorSetOutput&) {
        return false; // the port failed: as good as silent
    }
    if (m_radioFoundEvent.Wait(kAnswerWaitMs))
        return true;
    // An adapter hands bytes over at its latency tick: the first piece of an answer that began
    // just before the wait ended gets one tick to show.
    if (m_port.ReceiveActivity() == activity && m_radioFoundEvent.Wait(kLateAnswerGraceMs))
        return true;
    // Bytes have come since the handshake: an answer may still be on its way to a delivery.
    for (std::uint32_t waited = 0; waited < kLateAnswerLimitMs && !m_stopRequested.load();
         waited += kLateAnswerStepMs) {
        const std::uint32_t now = m_port.ReceiveActivity();
        if (now == activity)
            return false;
        activity = now;
        if (m_radioFoundEvent.Wait(kLateAnswerStepMs))
            return true;
    }
    return false;
}

bool CRadioProbe::RunPass()
{
    ++m_passes;
    const bool locked = m_gate.Lock(CPortGate::Shared, kGateTimeoutMs);
    m_port.SetReadChunk(kReadChunk);
    const int selected = m_ports.SelectedPort();
    bool found = false;

    if (selected < 0) {
        // No choice yet: the first port that answers wins and stays open.
        if (m_port.IsOpen())
            m_port.Close();
        for (int i = 0; i < m_ports.PortCount() && !m_stopRequested.load(); ++i) {
            if (!m_port.Open(m_ports.PortText(i)))
                continue;
            if (Handshake()) {
                m_ports.SelectPort(i);
                found = true;
                break;
            }
            m_port.Close();
        }
    } else if (EqualIgnoringCase(m_ports.PortText(selected), m_port.PortName())) {
        // The chosen port is the open one: ask again without reopening it.
        if (Handshake())
            found = true;
        else
            m_port.Close();
    } else {
        if (m_port.IsOpen())
            m_port.Close();
        const std::string name = m_ports.PortText(selected);
        const bool opened = !m_stopRequested.load() && m_port.Open(name);
        if (opened && Handshake()) {
            m_ports.SelectPort(selected);
            found = true;
        } else if (opened) {
            m_port.Close();
        } else if (!m_stopRequested.load() && m_onPortRefused) {
            m_onPortRefused(name, m_port.LastOpenError());
        }
    }

    if (locked)
        m_gate.Unlock();
    if (found && m_onRadioFound)
        m_onRadioFound();
    return found;
}
