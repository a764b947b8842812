// write --each: one radio after another, each written and verified once as it answers.
#include "CliRadio.h"
#include "CliTexts.h"
#include "Commands.h"
#include "RadioSteps.h"

#include "model/DecimalSeparator.h"

// std
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <map>
#include <memory>
#include <thread>

namespace {

volatile std::sig_atomic_t g_stop = 0;

extern "C" void OnStopSignal(int)
{
    g_stop = 1;
}

// Ports are looked at again this often: new adapters, and radios that went away.
constexpr auto kPollPeriod = std::chrono::milliseconds(500);
constexpr auto kStopCheck = std::chrono::milliseconds(50);

void SleepUnlessStopped(std::chrono::milliseconds time)
{
    for (auto slept = std::chrono::milliseconds(0); slept < time && g_stop == 0;
         slept += kStopCheck)
        std::this_thread::sleep_for(kStopCheck);
}

std::string SecondsText(std::chrono::steady_clock::duration time)
{
    const auto tenths = std::chrono::duration_cast<std::chrono::milliseconds>(time).count() / 100;
    return std::to_string(tenths / 10) + DecimalSeparator() + std::to_string(tenths % 10) + " " +
           Texts::kSeconds;
}

std::string Replaced(std::string text, const std::string& mark, const std::string& value)
{
    text.replace(text.find(mark), mark.size(), value);
    return text;
}

// One radio: the write, then the read that checks it. The line says how it went.
bool WriteAndVerify(CCliRadio& radio, const RadioImage& image, int number)
{
    const auto start = std::chrono::steady_clock::now();
    const std::string port = radio.SelectedPortName();
    const OperationOutcome write = radio.Write(image);
    std::string result;
    bool ok = false;
    if (write.result != OperationResult::Done) {
        const auto message = OutcomeMessage(write);
        result = message ? message->text : std::string();
    } else {
        const VerifyResult verify = VerifyRadio(radio, image, false);
        const auto message = OutcomeMessage(write);
        result = message ? message->text : std::string();
        if (verify.read.result != OperationResult::Done) {
            const auto readMessage = OutcomeMessage(verify.read);
            result += std::string(" ") + Texts::kVerifyFailed +
                      (readMessage ? " " + readMessage->text : std::string());
        } else if (!verify.differences.empty()) {
            result += " " + Replaced(Texts::kDifferencesFound, "%1",
                                     std::to_string(verify.differences.size()));
            for (const std::string& line : verify.differences)
                result += "\n    " + line;
        } else {
            result += std::string(" ") + Texts::kVerified;
            ok = true;
        }
    }
    std::printf("%s %d, %s: %s (%s)\n", Texts::kRadioNumber, number, port.c_str(), result.c_str(),
                SecondsText(std::chrono::steady_clock::now() - start).c_str());
    std::fflush(stdout);
    return ok;
}

} // namespace

int RunWriteEach(const CliOptions& options, const std::string& path, int count)
{
    const std::optional<RadioImage> image = LoadFile(path);
    if (!image)
        return kExitUsage;
    // Ctrl+C ends the wait; an operation under way is finished first, so no radio is left
    // half written.
    struct sigaction action
    {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    std::fprintf(stderr, "%s\n", Texts::kWaitingForRadios);
    // One session per port, each opening only its own port: a look at one port never closes
    // another's line, so a finished radio is watched on a line that stays open, and a hang-up
    // there is seen.
    struct Line
    {
        std::unique_ptr<CCliRadio> radio;
        // Its radio is done and still there: not written again until it has gone (the port
        // vanished or hung up, or the handshake went unanswered).
        bool done = false;
    };
    std::map<std::string, Line> lines;
    int radios = 0;
    int succeeded = 0;
    while (g_stop == 0 && (count == 0 || radios < count)) {
        const std::vector<SerialPortInfo> ports = DiscoverPorts();
        for (auto it = lines.begin(); it != lines.end();) {
            const bool listed =
                std::any_of(ports.begin(), ports.end(),
                            [&](const SerialPortInfo& p) { return p.name == it->first; });
            it = listed ? std::next(it) : lines.erase(it);
        }
        for (const SerialPortInfo& port : ports) {
            if (g_stop != 0 || (count != 0 && radios >= count))
                break;
            Line& line = lines[port.name];
            if (!line.radio) {
                line.radio = std::make_unique<CCliRadio>(options.showProgress);
                line.radio->SelectPort(port.name);
            }
            const bool closed = line.radio->TakePortClosed();
            const bool answers = line.radio->Probe(false);
            if (line.done) {
                line.done = answers && !closed;
                continue;
            }
            if (!answers)
                continue;
            (void)line.radio->TakePortClosed(); // from here on, a close is this radio going
            ++radios;
            if (WriteAndVerify(*line.radio, *image, radios))
                ++succeeded;
            line.done = true;
        }
        if (count == 0 || radios < count)
            SleepUnlessStopped(kPollPeriod);
    }
    std::string summary = Replaced(Texts::kEachSummary, "%1", std::to_string(radios));
    summary = Replaced(summary, "%2", std::to_string(succeeded));
    summary = Replaced(summary, "%3", std::to_string(radios - succeeded));
    std::printf("%s\n", summary.c_str());
    std::fflush(stdout);
    return succeeded == radios ? kExitOk : kExitRadio;
}
