// Full reads and writes against the simulated radio at 9600-baud pacing: wall time beside the
// pure line time and the time the protocol's own read windows allow.

#include "tests/link/LinkRig.h"
#include "tools/simradio/SimRadio.h"

// std
#include <chrono>
#include <cstdio>

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

Figures RunOnce(bool isRead)
{
    CSimRadio radio;
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

void Report(const char* name, bool isRead, int runs)
{
    double total = 0;
    double worst = 0;
    Figures last;
    for (int i = 0; i < runs; ++i) {
        last = RunOnce(isRead);
        if (last.result != RESULT_DONE) {
            std::printf("%s: run %d ended with %d\n", name, i + 1, last.result);
            return;
        }
        total += last.wallMs;
        worst = std::max(worst, last.wallMs);
    }
    const double mean = total / runs;
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
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    Report("read", true, runs);
    Report("write", false, runs);
    return 0;
}
