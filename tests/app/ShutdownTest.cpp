// Closing the main window while its threads are busy: during the radio probe, during a read or
// a write, and while serial adapters come and go. The window must be gone within a second,
// show nothing more, and leave no thread behind that touches it (run under ThreadSanitizer).

#include "app/MainDlg.h"
#include "app/Texts.h"
#include "link/RadioProbe.h"
#include "model/DecimalSeparator.h"
#include "resources/SkinResources.h"
#include "tests/support/FakePrompts.h"
#include "toolkit/ComboUI.h"
#include "tools/simradio/SimRadio.h"

// Qt
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QtTest>

// std
#include <atomic>
#include <memory>
#include <string>
#include <thread>

namespace {

constexpr int kCloseLimitMs = 1000;

} // namespace

class ShutdownTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void closeDuringTheProbe_data();
    void closeDuringTheProbe();
    void closeDuringAnOperation_data();
    void closeDuringAnOperation();
    void closeWhileAdaptersComeAndGo();
    void closeWhileTheProbeJoinsAReaderWaitingForTheWindow();

private:
    void CreateWindow();
    // Closes the window as its close button does and waits until it has been deleted; the
    // milliseconds that took, or -1 when it was still there after the limit.
    qint64 CloseAndWait();
    // Waits until the window has been deleted; the milliseconds since `closed`, or -1 when it
    // was still there at the limit.
    qint64 WaitUntilGone(const QElapsedTimer& closed);

    std::unique_ptr<CSimRadio> m_radio;
    CFakePrompts::State m_prompts;
    QPointer<CMainDlg> m_window;
};

void ShutdownTest::initTestCase()
{
    vorlend::RegisterBuiltinResources();
    ApplyDecimalSeparator('.');
}

void ShutdownTest::init()
{
    m_prompts = {};
    m_radio = std::make_unique<CSimRadio>();
    QVERIFY2(m_radio->Start(), m_radio->Error().c_str());
    qputenv("VORLEND_SERIAL_PORTS", QByteArray::fromStdString(m_radio->SlavePath()));
}

void ShutdownTest::cleanup()
{
    delete m_window.data();
    m_radio.reset();
}

void ShutdownTest::CreateWindow()
{
    m_window = new CMainDlg(std::make_unique<CFakePrompts>(m_prompts));
    m_window->setAttribute(Qt::WA_DeleteOnClose); // as the program runs it
    QVERIFY(m_window->Create(QString::fromUtf8(Texts::kWindowTitle)));
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

qint64 ShutdownTest::CloseAndWait()
{
    QElapsedTimer timer;
    timer.start();
    m_window->close();
    return WaitUntilGone(timer);
}

qint64 ShutdownTest::WaitUntilGone(const QElapsedTimer& closed)
{
    while (!m_window.isNull() && closed.elapsed() < kCloseLimitMs)
        QTest::qWait(5);
    return m_window.isNull() ? closed.elapsed() : -1;
}

void ShutdownTest::closeDuringTheProbe_data()
{
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<bool>("radioAnswers");
    for (const int delay : {0, 15, 40, 70, 120}) {
        QTest::addRow("answering radio, %d ms", delay) << delay << true;
        QTest::addRow("silent radio, %d ms", delay) << delay << false;
    }
}

void ShutdownTest::closeDuringTheProbe()
{
    QFETCH(int, delayMs);
    QFETCH(bool, radioAnswers);
    if (!radioAnswers)
        m_radio->SetFault({SimFault::Kind::NoIdent, 0});
    CreateWindow();
    QTest::qWait(delayMs);
    const qint64 ms = CloseAndWait();
    QVERIFY2(ms >= 0, "the window was still there a second after it was closed");
    qInfo("closed after %d ms of probing in %lld ms", delayMs, static_cast<long long>(ms));
    QVERIFY(m_prompts.messages.empty());
}

void ShutdownTest::closeDuringAnOperation_data()
{
    QTest::addColumn<bool>("isRead");
    QTest::addColumn<int>("stallAfter"); // -1: the radio keeps answering
    QTest::addColumn<int>("closeAtMs");
    QTest::addRow("read, transferring") << true << -1 << 300;
    QTest::addRow("write, transferring") << false << -1 << 300;
    QTest::addRow("read, radio stalled") << true << 3 << 700;
    QTest::addRow("write, radio stalled") << false << 3 << 700;
}

void ShutdownTest::closeDuringAnOperation()
{
    QFETCH(bool, isRead);
    QFETCH(int, stallAfter);
    QFETCH(int, closeAtMs);
    CreateWindow();
    auto* cboCOM = m_window->FindControl<DuiLib::CComboUI>(QStringLiteral("cboCOM"));
    QTRY_VERIFY_WITH_TIMEOUT(m_window->GetPort().IsOpen() && cboCOM->GetCurSel() >= 0, 2000);
    if (stallAfter >= 0)
        m_radio->SetFault({SimFault::Kind::StallAfter, stallAfter});

    // The command runs from the event loop, as a key does, and blocks in its dialog there; the
    // close comes from that dialog's loop, as a click would.
    QPointer<CMainDlg> window = m_window;
    QTimer::singleShot(0, window, [window, isRead] {
        if (isRead)
            window->StartRead();
        else
            window->StartWrite();
    });
    bool dialogWasUp = false;
    QElapsedTimer sinceClose;
    QTimer::singleShot(closeAtMs, window, [&, window] {
        dialogWasUp = window->GetProgressDialog() != nullptr;
        sinceClose.start();
        window->close();
    });
    QTRY_VERIFY_WITH_TIMEOUT(sinceClose.isValid(), closeAtMs + 2000);
    const qint64 ms = WaitUntilGone(sinceClose);
    QVERIFY2(dialogWasUp, "the operation was not running when the window closed");
    QVERIFY2(ms >= 0, "the window was still there a second after it was closed");
    qInfo("closed during the operation in %lld ms", static_cast<long long>(ms));
    // Neither a result nor a time-out is reported for an operation the user walked away from.
    QVERIFY(m_prompts.messages.empty());
}

void ShutdownTest::closeWhileAdaptersComeAndGo()
{
    CreateWindow();
    // The device monitor's thread posts changes to the window's thread; this one does the same,
    // fast, with adapters that do not exist and with the radio's own port.
    QObject relay; // lives on this thread and outlives the window
    QPointer<CMainDlg> window = m_window;
    const std::string radioPort = m_radio->SlavePath();
    std::atomic<bool> stop{false};
    std::atomic<int> posted{0};
    std::thread adapters([&] {
        for (int i = 0; !stop.load(); ++i) {
            const bool arrival = (i / 4) % 2 == 0;
            const std::string name =
                i % 4 == 3 ? radioPort : "/dev/ttyUSB" + std::to_string(90 + i % 4);
            QMetaObject::invokeMethod(
                &relay,
                [window, arrival, name] {
                    if (window != nullptr)
                        window->PortDeviceChanged(arrival, name);
                },
                Qt::QueuedConnection);
            posted.fetch_add(1);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    QTest::qWait(250);
    const qint64 ms = CloseAndWait();
    QTest::qWait(50); // changes still arriving after the window went
    stop.store(true);
    adapters.join();
    QVERIFY2(ms >= 0, "the window was still there a second after it was closed");
    QVERIFY(posted.load() > 20);
    qInfo("closed among %d port changes in %lld ms", posted.load(), static_cast<long long>(ms));
}

// Three threads, each waiting for the next: the reader for the window (a reply arrived while it
// shuts down), the probe for the reader (its pass closes the port) and shut-down for the probe.
// The window must let the reader go before it joins the probe.
void ShutdownTest::closeWhileTheProbeJoinsAReaderWaitingForTheWindow()
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        init();
        CreateWindow();
        auto* cboCOM = m_window->FindControl<DuiLib::CComboUI>(QStringLiteral("cboCOM"));
        QTRY_VERIFY_WITH_TIMEOUT(m_window->GetPort().IsOpen() && cboCOM->GetCurSel() >= 0, 2000);

        QPointer<CMainDlg> window = m_window;
        QTimer::singleShot(0, window, [window] { window->StartRead(); });
        QElapsedTimer sinceClose;
        QTimer::singleShot(250 + 20 * attempt, window, [&, window] {
            QVERIFY(window->GetProgressDialog() != nullptr);
            // A probe that ran on (as one whose pass outlasted the operation's wait would) is
            // asked for while the radio keeps answering, then the window closes at once.
            window->GetProbe()->StartProbe();
            window->GetProbe()->Release();
            sinceClose.start();
            window->close();
        });
        QTRY_VERIFY_WITH_TIMEOUT(sinceClose.isValid(), 3000);
        const qint64 ms = WaitUntilGone(sinceClose);
        QVERIFY2(ms >= 0, "the window was still there a second after it was closed");
        QVERIFY(m_prompts.messages.empty());
        cleanup();
    }
}

QTEST_MAIN(ShutdownTest)
#include "ShutdownTest.moc"
