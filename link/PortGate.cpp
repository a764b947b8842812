#include "link/PortGate.h"

// std
#include <chrono>

bool CPortGate::Lock(Mode mode, std::uint32_t timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::unique_lock lock(m_mutex);

    // Take the entry; whoever holds it is the head of the queue.
    if (!m_changed.wait_until(lock, deadline, [this] { return m_cancelled || !m_entryTaken; }) ||
        m_cancelled)
        return false;
    m_entryTaken = true;

    const bool granted = m_changed.wait_until(lock, deadline, [this, mode] {
        if (m_cancelled)
            return true;
        return mode == Shared ? m_state != Exclusive : m_state == 0;
    });
    m_entryTaken = false;
    if (!granted || m_cancelled) {
        m_changed.notify_all();
        return false;
    }
    if (mode == Shared) {
        ++m_sharedCount;
        m_state = Shared;
    } else {
        m_state = Exclusive;
    }
    m_changed.notify_all();
    return true;
}

void CPortGate::Unlock()
{
    std::lock_guard lock(m_mutex);
    if (m_state == Shared) {
        if (m_sharedCount > 0)
            --m_sharedCount;
        if (m_sharedCount == 0)
            m_state = 0;
    } else if (m_state == Exclusive) {
        m_state = 0;
    }
    m_changed.notify_all();
}

void CPortGate::CancelWaits()
{
    std::lock_guard lock(m_mutex);
    m_cancelled = true;
    m_changed.notify_all();
}

void CPortGate::ResumeWaits()
{
    std::lock_guard lock(m_mutex);
    m_cancelled = false;
}

int CPortGate::State() const
{
    std::lock_guard lock(m_mutex);
    return m_state;
}

int CPortGate::SharedCount() const
{
    std::lock_guard lock(m_mutex);
    return m_sharedCount;
}
