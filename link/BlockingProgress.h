#pragma once

#include "link/RadioSession.h"

// std
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

// An operation's progress without a window: Run waits on the calling thread, ticking the
// watchdog every period, until End. What a terminal or a test shows of it is up to them
// (SetOnStep). Step and End may come from any thread and never wait for Run.
class CBlockingProgress
{
public:
    // A tick limit far beyond what the watchdog allows (it ends an operation within 19
    // growth-free periods): reaching it means the engine hung, and Run returns 0.
    static constexpr int kTickLimit = 400;

    // Called on Step's thread with the new position, outside the lock.
    void SetOnStep(std::function<void(int position, int steps)> onStep)
    {
        m_onStep = std::move(onStep);
    }
    // Called on Run's thread around every tick: before it (after = false), then after it with
    // whether the tick ended the operation.
    void SetTickObserver(std::function<void(bool after, bool ended)> observer)
    {
        m_tickObserver = std::move(observer);
    }

    int Run(const ProgressRun& run)
    {
        {
            std::lock_guard lock(m_mutex);
            m_result = 0;
            m_position = 0;
            m_steps = run.steps;
            m_active = true;
            m_hung = false;
        }
        if (run.onShown)
            run.onShown();
        const auto period = std::chrono::milliseconds(run.tickPeriodMs);
        auto nextTick = std::chrono::steady_clock::now() + period;
        for (int tick = 0;; ++tick) {
            {
                std::unique_lock lock(m_mutex);
                if (m_ended.wait_until(lock, nextTick, [this] { return m_result != 0; }))
                    break;
                if (tick >= kTickLimit) {
                    m_hung = true;
                    break;
                }
            }
            if (m_tickObserver)
                m_tickObserver(false, false);
            const bool ended = run.onTick && run.onTick();
            if (m_tickObserver)
                m_tickObserver(true, ended);
            nextTick += period;
        }
        std::lock_guard lock(m_mutex);
        m_active = false;
        return m_result;
    }

    void Step()
    {
        int position = 0;
        int steps = 0;
        {
            std::lock_guard lock(m_mutex);
            if (!m_active || m_position >= m_steps)
                return;
            position = ++m_position;
            steps = m_steps;
        }
        if (m_onStep)
            m_onStep(position, steps);
    }

    void End(int result)
    {
        {
            std::lock_guard lock(m_mutex);
            if (!m_active || m_result != 0)
                return;
            m_result = result;
        }
        m_ended.notify_all();
    }

    [[nodiscard]] int Position() const
    {
        std::lock_guard lock(m_mutex);
        return m_position;
    }
    // The last Run reached the tick limit.
    [[nodiscard]] bool Hung() const
    {
        std::lock_guard lock(m_mutex);
        return m_hung;
    }

private:
    mutable std::mutex m_mutex; // guards the fields below
    std::condition_variable m_ended;
    int m_result = 0;
    int m_position = 0;
    int m_steps = 0;
    bool m_active = false;
    bool m_hung = false;
    std::function<void(int, int)> m_onStep;
    std::function<void(bool, bool)> m_tickObserver;
};
