#pragma once

// std
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

// A manual-reset event: stays set until Reset, wakes every waiter. Safe from any thread.
class CManualResetEvent
{
public:
    void Set()
    {
        std::lock_guard lock(m_mutex);
        m_set = true;
        m_changed.notify_all();
    }

    void Reset()
    {
        std::lock_guard lock(m_mutex);
        m_set = false;
    }

    [[nodiscard]] bool IsSet() const
    {
        std::lock_guard lock(m_mutex);
        return m_set;
    }

    // True when the event is set or becomes set within `timeoutMs`.
    [[nodiscard]] bool Wait(std::uint32_t timeoutMs)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                  [this] { return m_set; });
    }

private:
    mutable std::mutex m_mutex; // guards m_set
    std::condition_variable m_changed;
    bool m_set = false;
};
