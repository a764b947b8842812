#pragma once

#include "NotifyPump.h"
#include "TimerTable.h"
#include "UiThreadCall.h"

// std
#include <functional>

class QObject;

namespace DuiLib {

// Message numbers the router gives the message handler itself; a window's own messages start
// at UIMSG_USER (the radio link's messages are UIMSG_USER + 1001 and up).
enum : unsigned
{
    UIMSG_TIMER = 0x0113,
    UIMSG_USER = 0x0400,
};

// Routes what reaches a skinned window to its handlers: control notifications to the window's
// own notification table, then to the fallback table (the window base's entries); messages
// posted or sent from any thread, and timer ticks, to the one message handler, on the window's
// thread.
class CNotifyRouter
{
public:
    using MessageHandler = std::function<qintptr(unsigned msg, quintptr wParam, qintptr lParam)>;

    // `window` runs the handler and receives the timer events (see OnTimerEvent).
    CNotifyRouter(QObject* window, MessageHandler handler);

    // Entries for the notifications the window's own table leaves.
    [[nodiscard]] CNotifyPump& Fallback() { return m_fallback; }
    void Route(TNotifyUI& msg, const CNotifyPump& first) const;

    // Queues a message for the handler; any thread may post.
    void Post(unsigned msg, quintptr wParam, qintptr lParam);
    // Runs the handler on the window's thread and returns its result; from another thread the
    // caller waits until it has run.
    qintptr Send(unsigned msg, quintptr wParam, qintptr lParam);
    // A repeating timer that delivers UIMSG_TIMER with the id as wParam.
    void SetTimer(unsigned id, int milliseconds);
    void KillTimer(unsigned id);
    // The window's timer event: true when it was one of these timers (its tick is delivered).
    bool OnTimerEvent(int qtTimerId);

private:
    QObject* m_window;
    MessageHandler m_handler;
    CNotifyPump m_fallback;
    CTimerTable m_timers;
    CUiThreadCall m_calls;
};

} // namespace DuiLib
