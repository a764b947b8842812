// How long the radio probe takes: to find a simulated radio listed in VORLEND_SERIAL_PORTS,
// and for a pass over N silent ports (against N x 80 ms).

#include "link/CommPort.h"
#include "link/PortDiscovery.h"
#include "link/PortGate.h"
#include "link/PortList.h"
#include "link/RadioProbe.h"
#include "link/RadioProtocol.h"
#include "tests/support/FakeHost.h"
#include "tools/simradio/SimRadio.h"

// std
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

// system
#include <stdlib.h>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// Port, engine, gate, list and probe as the window wires them.
class CRig : public ICommPortProcess
{
public:
    virtual ~CRig() { probe.Stop(); }
    void OnReceive(const std::uint8_t* data, std::uint32_t count) override
    {
        engine.OnReceive(data, count);
    }

    CFakeHost host;
    CRadioProtocol engine{host};
    CCommPort port{this};
    CPortGate gate;
    CPortListMirror list;
    std::atomic<bool> found{false};
    Clock::time_point foundAt;
    CRadioProbe probe{port, gate, engine.RadioFoundEvent(), list, [this] {
                          foundAt = Clock::now();
                          found = true;
                      }};
};

// `silent` radios that never answer and, when `withRadio`, one that does, sorted last.
std::vector<std::unique_ptr<CSimRadio>> MakeRadios(int silent, bool withRadio)
{
    std::vector<std::unique_ptr<CSimRadio>> radios;
    for (int i = 0; i < silent + (withRadio ? 1 : 0); ++i) {
        radios.push_back(std::make_unique<CSimRadio>());
        radios.back()->SetFault({SimFault::Kind::NoIdent, 0});
        radios.back()->Start();
    }
    std::sort(radios.begin(), radios.end(), [](const auto& a, const auto& b) {
        return ComparePortNames(a->SlavePath(), b->SlavePath()) < 0;
    });
    if (withRadio)
        radios.back()->SetFault({});
    return radios;
}

// Discovery through VORLEND_SERIAL_PORTS, keeping only the simulated radios.
std::vector<std::string> Discover(const std::vector<std::unique_ptr<CSimRadio>>& radios)
{
    std::string value;
    std::vector<std::string> paths;
    for (const auto& r : radios) {
        value += r->SlavePath() + ":";
        paths.push_back(r->SlavePath());
    }
    setenv(kExtraPortsVariable, value.c_str(), 1);
    std::vector<std::string> names;
    EnumerateSerialPorts(names);
    std::vector<std::string> ours;
    for (const auto& n : names)
        if (std::find(paths.begin(), paths.end(), n) != paths.end())
            ours.push_back(n);
    return ours;
}

void FindTheRadio(int silentBefore, int runs)
{
    double total = 0;
    double worst = 0;
    int misses = 0;
    for (int i = 0; i < runs; ++i) {
        auto radios = MakeRadios(silentBefore, true);
        CRig rig;
        const auto start = Clock::now();
        FillPortList(rig.gate, rig.list, Discover(radios));
        rig.probe.StartProbe();
        rig.probe.WaitUntilIdle(10000);
        if (!rig.found) {
            ++misses;
            continue;
        }
        const double ms = Ms(rig.foundAt - start);
        total += ms;
        worst = std::max(worst, ms);
    }
    std::printf(
        "discover + find the radio after %d silent port(s): mean %6.1f ms, worst %6.1f ms over %d "
        "runs (target < 1000 ms; %d missed)\n",
        silentBefore, runs > misses ? total / (runs - misses) : 0.0, worst, runs, misses);
}

void SilentPass(int ports, int runs)
{
    double total = 0;
    double worst = 0;
    for (int i = 0; i < runs; ++i) {
        auto radios = MakeRadios(ports, false);
        CRig rig;
        FillPortList(rig.gate, rig.list, Discover(radios));
        const auto start = Clock::now();
        rig.probe.StartProbe();
        rig.probe.WaitUntilIdle(60000);
        const double ms = Ms(Clock::now() - start);
        total += ms;
        worst = std::max(worst, ms);
    }
    const double floor = ports * static_cast<double>(CRadioProbe::kAnswerWaitMs);
    std::printf("pass over %d silent port(s): mean %6.1f ms, worst %6.1f ms; N x 80 ms = %5.0f ms, "
                "open/close and thread overhead %5.1f ms per port\n",
                ports, total / runs, worst, floor, (total / runs - floor) / ports);
}

} // namespace

int main()
{
    FindTheRadio(0, 10);
    FindTheRadio(2, 10);
    for (int n : {1, 3, 6})
        SilentPass(n, 5);
    unsetenv(kExtraPortsVariable);
    return 0;
}
