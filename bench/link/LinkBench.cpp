// Full reads and writes against the simulated radio at 9600-baud pacing: wall time beside the
// pure line time and the time the protocol's own read windows allow, then the same through
// each modelled USB-serial adapter beside the direct line.

#include "tests/support/LinkRig.h"
#include "tools/simradio/SimRadio.h"

// std
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr double kByteMs = 10.0 * 1000.0 / 9600.0; // 10 bits per byte
// Each answer of the radio is one delivery, which closes readChunk x 1 ms + 5 ms after its
// first byte (a 34-byte frame never fills the 50-byte chunk).
constexpr double kWindowMs = CRadioProtocol::kOperationReadChunk + 5.0;
// Answers of the radio in one operation: identification, acknowledgement, 17 replies or
// acknowledgements.
constexpr int kRadioAnswers = 19;

struct Figures
{
    double wallMs = 0;
    std::size_t bytesIn = 0;  // program to radio
    std::size_t bytesOut = 0; // radio to program
    int result = 0;
};

Figures RunOnce(bool isRead, const SimAdapter& adapter)
{
    CSimRadio radio;
    radio.SetAdapter(adapter);
    if (!radio.Start()) {
        std::fprintf(stderr, "no pseudo-terminal: %s\n", radio.Error().c_str());
        return {};
    }
    CLinkRig rig;
    if (!rig.port.Open(radio.SlavePath()))
        return {};
    const auto start = std::chrono::steady_clock::now();
    Figures f;
    f.result = rig.RunOperation(isRead);
    f.wallMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    f.bytesIn = radio.BytesIn();
    f.bytesOut = radio.BytesOut();
    return f;
}

struct Timing
{
    double meanMs = 0;
    double worstMs = 0;
    Figures last;
    bool ok = false;
};

// `runs` operations, each through a fresh radio (the adapter's seed changes per run).
Timing Measure(bool isRead, SimAdapter adapter, int runs)
{
    Timing t;
    double total = 0;
    for (int i = 0; i < runs; ++i) {
        adapter.seed = static_cast<std::uint32_t>(i + 1);
        t.last = RunOnce(isRead, adapter);
        if (t.last.result != RESULT_DONE) {
            std::printf("%s: run %d ended with %d\n", isRead ? "read" : "write", i + 1,
                        t.last.result);
            return t;
        }
        total += t.last.wallMs;
        t.worstMs = std::max(t.worstMs, t.last.wallMs);
    }
    t.meanMs = total / runs;
    t.ok = true;
    return t;
}

Timing Report(const char* name, bool isRead, int runs)
{
    const Timing t = Measure(isRead, SimAdapter{}, runs);
    if (!t.ok)
        return t;
    const Figures& last = t.last;
    const double mean = t.meanMs;
    const double worst = t.worstMs;
    const double lineMs = static_cast<double>(last.bytesIn + last.bytesOut) * kByteMs;
    // On a pseudo-terminal the program's own bytes arrive at once; on a real line they take
    // their line time too.
    const double allowedPtyMs = kRadioAnswers * kWindowMs;
    const double allowedLineMs = allowedPtyMs + static_cast<double>(last.bytesIn) * kByteMs;
    std::printf("%-6s runs %d  wall mean %7.1f ms  worst %7.1f ms\n", name, runs, mean, worst);
    std::printf("       bytes program->radio %zu, radio->program %zu; pure line time %6.1f ms\n",
                last.bytesIn, last.bytesOut, lineMs);
    std::printf("       protocol allows %6.1f ms on a pty (%d answers x %.0f ms), %6.1f ms on a "
                "real line\n",
                allowedPtyMs, kRadioAnswers, kWindowMs, allowedLineMs);
    std::printf(
        "       implementation adds %+.1f %% (mean) / %+.1f %% (worst) to the pty allowance\n",
        100.0 * (mean / allowedPtyMs - 1.0), 100.0 * (worst / allowedPtyMs - 1.0));
    return t;
}

// Each adapter's read and write beside the direct line's.
void ReportAdapters(const Timing& directRead, const Timing& directWrite, int runs)
{
    static const char* const kAdapters[] = {"ftdi", "ftdi:1", "pl2303", "ch340",
                                            "ftdi:16,jitter:4"};
    std::printf(
        "\nadapter            read mean  worst   vs direct   write mean  worst   vs direct\n");
    auto row = [](const char* name, const Timing& read, const Timing& write, const Timing& r0,
                  const Timing& w0) {
        std::printf("%-18s %8.1f %7.1f  %+8.1f %%  %9.1f %7.1f  %+8.1f %%\n", name, read.meanMs,
                    read.worstMs, 100.0 * (read.meanMs / r0.meanMs - 1.0), write.meanMs,
                    write.worstMs, 100.0 * (write.meanMs / w0.meanMs - 1.0));
    };
    row("direct", directRead, directWrite, directRead, directWrite);
    for (const char* text : kAdapters) {
        const SimAdapter adapter = *ParseSimAdapter(text);
        const Timing read = Measure(true, adapter, runs);
        const Timing write = Measure(false, adapter, runs);
        if (read.ok && write.ok)
            row(text, read, write, directRead, directWrite);
    }
    std::printf("(ms, %d runs each; the adapter's seed is the run's number)\n", runs);
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const Timing read = Report("read", true, runs);
    const Timing write = Report("write", false, runs);
    if (read.ok && write.ok)
        ReportAdapters(read, write, runs);
    return 0;
}
