// Start-up to the first painted main window, resident memory after start-up, and the CPU the
// idle window uses (only its clock ticks). Run under a real X server (Xvfb) or offscreen:
//   QT_QPA_PLATFORM=offscreen build/bench/app/bench_startup [idle-seconds]

#include "app/MainDlg.h"
#include "app/Texts.h"
#include "model/DecimalSeparator.h"
#include "resources/SkinResources.h"

// Qt
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>

// std
#include <cstdio>
#include <fstream>
#include <string>

// system
#include <sys/resource.h>

namespace {

// Tells when the window has painted for the first time.
class FirstPaint : public QObject
{
public:
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return QObject::eventFilter(watched, event);
    }
};

long ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    const int idleSeconds = argc > 1 ? std::atoi(argv[1]) : 10;

    ApplyDecimalSeparator(LocaleDecimalSeparator());
    vorlend::RegisterBuiltinResources();
    auto* window = new CMainDlg;
    FirstPaint paint;
    window->installEventFilter(&paint);
    window->Create(QString::fromUtf8(Texts::kWindowTitle));
    window->CenterWindow();
    window->show();
    while (!paint.painted && clock.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    const qint64 startupMs = clock.elapsed();
    const long rss = ResidentKiB();
    std::printf("start-up to first painted window: %lld ms\n", static_cast<long long>(startupMs));
    std::printf("resident memory after start-up: %.1f MiB\n", rss / 1024.0);

    // Let the start-up probe and the first clock tick pass, then measure a quiet stretch.
    QTimer::singleShot(1500, &app, [&] {
        const double cpuBefore = CpuSeconds();
        QElapsedTimer idle;
        idle.start();
        QTimer::singleShot(idleSeconds * 1000, &app, [&, cpuBefore, idle] {
            const double cpu = CpuSeconds() - cpuBefore;
            const double wall = idle.elapsed() / 1000.0;
            std::printf("idle CPU over %.1f s: %.3f s (%.2f %% of one core)\n", wall, cpu,
                        100.0 * cpu / wall);
            std::printf("resident memory after idling: %.1f MiB\n", ResidentKiB() / 1024.0);
            window->close();
            QApplication::quit();
        });
    });
    QApplication::exec();
    return 0;
}
