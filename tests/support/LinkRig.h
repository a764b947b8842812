#pragma once

#include "link/CommPort.h"
#include "link/RadioProtocol.h"
#include "tests/support/FakeHost.h"

// std
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

// The window's part of a read or write, without a window: a real port, the engine and a fake
// host, with the test thread playing the UI thread (the progress dialog and its watchdog).
class CLinkRig : public ICommPortProcess
{
public:
    CLinkRig()
    {
        host.port = [this](const std::uint8_t* data, std::uint32_t count) {
            std::uint32_t written = 0;
            return port.Write(data, count, &written);
        };
    }
    virtual ~CLinkRig() { port.Close(); }

    void OnReceive(const std::uint8_t* data, std::uint32_t count) override
    {
        {
            std::lock_guard lock(m_mutex);
            ++m_inside;
        }
        engine.OnReceive(data, count);
        {
            std::lock_guard lock(m_mutex);
            --m_inside;
        }
        m_settled.notify_all();
    }
    void OnClosed() override { ++closedCount; }

    // Runs one operation as the window does and returns its result. `watchdogPeriodMs` is the
    // dialog's timer period.
    int RunOperation(bool isRead, int watchdogPeriodMs = CRadioProtocol::kWatchdogPeriodMs)
    {
        host.Inspect([](CFakeHost& h) {
            h.results.clear();
            return 0;
        });
        engine.StartOperation(isRead);
        port.SetReadChunk(CRadioProtocol::kOperationReadChunk);
        engine.BeginDialog();
        int result = 0;
        for (int tick = 0; tick < 60 && result == 0; ++tick) {
            result = host.WaitForEnd(watchdogPeriodMs);
            if (result == 0)
                engine.WatchdogTick();
            result = host.WaitForEnd(0);
        }
        // The engine ends the operation from inside a delivery and still updates its state
        // after that; wait until that delivery is over before anyone looks at the state.
        {
            std::unique_lock lock(m_mutex);
            m_settled.wait_for(lock, std::chrono::seconds(1), [this] { return m_inside == 0; });
        }
        engine.DialogEnded();
        return result;
    }

    CFakeHost host;
    CRadioProtocol engine{host};
    CCommPort port{this};
    std::atomic<int> closedCount{0};

private:
    std::mutex m_mutex; // guards m_inside
    std::condition_variable m_settled;
    int m_inside = 0; // deliveries being handled
};
