#pragma once

// Qt
#include <QHash>
#include <QObject>

// std
#include <optional>

namespace DuiLib {

// Timers known by the ids their window gives them (as SetTimer/KillTimer of a window), run on
// Qt's timers of that window's object. Setting an id again restarts it.
class CTimerTable
{
public:
    void Set(QObject* owner, unsigned id, int milliseconds)
    {
        Kill(owner, id);
        if (const int qtId = owner->startTimer(milliseconds); qtId != 0)
            m_timers.insert(qtId, id);
    }

    void Kill(QObject* owner, unsigned id)
    {
        for (auto it = m_timers.begin(); it != m_timers.end();) {
            if (it.value() == id) {
                owner->killTimer(it.key());
                it = m_timers.erase(it);
            } else {
                ++it;
            }
        }
    }

    void KillAll(QObject* owner)
    {
        for (auto it = m_timers.cbegin(); it != m_timers.cend(); ++it)
            owner->killTimer(it.key());
        m_timers.clear();
    }

    // The window's id of a Qt timer event's timer, or nothing for a timer not set here.
    [[nodiscard]] std::optional<unsigned> IdOf(int qtTimerId) const
    {
        if (const auto it = m_timers.constFind(qtTimerId); it != m_timers.constEnd())
            return it.value();
        return std::nullopt;
    }

private:
    QHash<int, unsigned> m_timers; // Qt timer id -> the window's timer id
};

} // namespace DuiLib
