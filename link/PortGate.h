#pragma once

// std
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

// Shared/exclusive gate with time-outs over the open port and the port list. Users of the
// port and readers of the list take it shared; changes of the list take it exclusive.
//
// Queuing: a request first takes the gate's entry; an exclusive request keeps the entry while it
// waits for the last holder to leave, so every later request queues behind it. A shared
// request never waits for other shared holders. The time-out covers the whole request.
// Safe from any thread.
class CPortGate
{
public:
    enum Mode : int
    {
        Shared = 1,
        Exclusive = 2
    };

    // True when the gate was taken in `mode` within `timeoutMs`. A caller whose Lock fails
    // goes on without the gate and must not call Unlock.
    [[nodiscard]] bool Lock(Mode mode, std::uint32_t timeoutMs);
    // Gives back a hold taken by Lock.
    void Unlock();

    // Makes every waiting Lock give up at once (returning false), now and until ResumeWaits.
    // Used to end a waiting probe promptly at shut-down.
    void CancelWaits();
    void ResumeWaits();

    // For tests and diagnostics: 0 free, 1 shared, 2 exclusive; the number of shared holders.
    [[nodiscard]] int State() const;
    [[nodiscard]] int SharedCount() const;

private:
    mutable std::mutex m_mutex;        // guards every field below
    std::condition_variable m_changed; // signalled when the entry or the state changes
    bool m_entryTaken = false;         // a request is between entry and grant (the queue head)
    int m_state = 0;                   // 0 free, 1 shared, 2 exclusive
    int m_sharedCount = 0;
    bool m_cancelled = false;
};
