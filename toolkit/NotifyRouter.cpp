#include "NotifyRouter.h"

namespace DuiLib {

CNotifyRouter::CNotifyRouter(QObject* window, MessageHandler handler)
    : m_window(window), m_handler(std::move(handler)), m_calls(window)
{}

void CNotifyRouter::Route(TNotifyUI& msg, const CNotifyPump& first) const
{
    if (!first.NotifyPump(msg))
        m_fallback.NotifyPump(msg);
}

void CNotifyRouter::Post(unsigned msg, quintptr wParam, qintptr lParam)
{
    m_calls.Post([this, msg, wParam, lParam] { m_handler(msg, wParam, lParam); });
}

qintptr CNotifyRouter::Send(unsigned msg, quintptr wParam, qintptr lParam)
{
    qintptr result = 0;
    m_calls.Send([&] { result = m_handler(msg, wParam, lParam); });
    return result;
}

void CNotifyRouter::SetTimer(unsigned id, int milliseconds)
{
    m_timers.Set(m_window, id, milliseconds);
}

void CNotifyRouter::KillTimer(unsigned id)
{
    m_timers.Kill(m_window, id);
}

bool CNotifyRouter::OnTimerEvent(int qtTimerId)
{
    const auto id = m_timers.IdOf(qtTimerId);
    if (!id)
        return false;
    m_handler(UIMSG_TIMER, *id, 0);
    return true;
}

} // namespace DuiLib
