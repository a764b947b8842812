#pragma once

// Qt
#include <QObject>
#include <QThread>

// std
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

// The one way other threads get work done on the user interface thread: runs functions on the
// thread of a context object (a window or dialog), either waiting for them (synchronous, like a
// sent window message) or not (posted). A synchronous call can be cancelled: once Shutdown() has
// run, waiting callers return at once and calls that have not started yet are dropped, so a
// reader thread can always be joined. Calls still queued when the context is destroyed are
// dropped with it.
class CUiThreadCall
{
public:
    explicit CUiThreadCall(QObject* context) : m_context(context) {}

    // Runs `fn` on the context's thread and waits for it. On that thread itself it runs
    // directly. Returns false when the call was dropped because of Shutdown().
    bool Send(const std::function<void()>& fn)
    {
        if (QThread::currentThread() == m_context->thread()) {
            fn();
            return true;
        }
        auto call = std::make_shared<Call>();
        {
            std::lock_guard lock(m_mutex);
            if (m_shutdown)
                return false;
            // The caller waits below until the call has run or is cancelled, so `fn` and what
            // it refers to outlive the posted function whenever it runs the call.
            call->fn = &fn;
        }
        QMetaObject::invokeMethod(
            m_context,
            [this, call] {
                {
                    std::lock_guard lock(m_mutex);
                    if (call->cancelled)
                        return;
                    call->running = true;
                }
                (*call->fn)();
                std::lock_guard lock(m_mutex);
                call->done = true;
                m_cv.notify_all();
            },
            Qt::QueuedConnection);
        std::unique_lock lock(m_mutex);
        m_cv.wait(lock, [&] { return call->done || (m_shutdown && !call->running); });
        if (!call->done)
            call->cancelled = true;
        return call->done;
    }

    // Runs `fn` on the context's thread later; dropped after Shutdown().
    void Post(std::function<void()> fn)
    {
        QMetaObject::invokeMethod(
            m_context,
            [this, fn = std::move(fn)] {
                {
                    std::lock_guard lock(m_mutex);
                    if (m_shutdown)
                        return;
                }
                fn();
            },
            Qt::QueuedConnection);
    }

    // On the context's thread runs `fn` at once; from any other thread posts it (Post).
    void Run(std::function<void()> fn)
    {
        if (QThread::currentThread() == m_context->thread())
            fn();
        else
            Post(std::move(fn));
    }

    // Releases every waiting caller and drops all calls from now on.
    void Shutdown()
    {
        std::lock_guard lock(m_mutex);
        m_shutdown = true;
        m_cv.notify_all();
    }

private:
    struct Call
    {
        const std::function<void()>* fn = nullptr;
        bool running = false;
        bool done = false;
        bool cancelled = false;
    };

    QObject* m_context;
    std::mutex m_mutex;           // guards m_shutdown and every Call's flags
    std::condition_variable m_cv; // signalled when a call is done or on Shutdown
    bool m_shutdown = false;
};
