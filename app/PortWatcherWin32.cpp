// Windows: the WM_DEVICECHANGE broadcasts the main window receives, on the window's thread.
// Kept apart because <windows.h> renames PostMessage and SendMessage.
#include "PortWatcher.h"

#include "link/DeviceChangeWin32.h"

// Qt
#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QWidget>

// system
#include <windows.h>

namespace {

class CDeviceBroadcastWatcher final : public IPortWatcher, public QAbstractNativeEventFilter
{
public:
    explicit CDeviceBroadcastWatcher(QWidget& window) : m_window(window) {}
    ~CDeviceBroadcastWatcher() override { Stop(); }

    bool Start(Callback callback) override
    {
        m_callback = std::move(callback);
        QCoreApplication::instance()->installNativeEventFilter(this);
        return true;
    }

    void Stop() override
    {
        if (QCoreApplication* app = QCoreApplication::instance())
            app->removeNativeEventFilter(this);
        m_callback = nullptr;
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* /*result*/) override
    {
        const auto* msg = static_cast<const MSG*>(message);
        // Every top-level window gets the broadcast; the main window's copy is the one.
        if (eventType != "windows_generic_MSG" || msg->message != WM_DEVICECHANGE ||
            msg->hwnd != reinterpret_cast<HWND>(m_window.winId()) || !m_callback)
            return false;
        if (const auto change = PortChangeFromDeviceBroadcast(
                msg->wParam, reinterpret_cast<const void*>(msg->lParam)))
            m_callback(change->first, change->second);
        return false; // the window handles the message as ever
    }

private:
    QWidget& m_window;
    Callback m_callback;
};

} // namespace

std::unique_ptr<IPortWatcher> CreatePortWatcher(QWidget& window)
{
    return std::make_unique<CDeviceBroadcastWatcher>(window);
}
