// The radio probe over pseudo-terminals, with simulated radios listed in VORLEND_SERIAL_PORTS.

#include "link/RadioProbe.h"
#include "link/PortDiscovery.h"
#include "link/PortGate.h"
#include "link/PortList.h"
#include "link/UdevMonitor.h"
#include "tests/support/FakeCommPort.h"
#include "tests/support/FakeHost.h"
#include "tools/simradio/SimRadio.h"

#include <gtest/gtest.h>

// std
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <future>
#include <memory>
#include <string>
#include <vector>

// system
#include <stdlib.h>

namespace {

using namespace std::chrono_literals;

constexpr std::uint32_t kIdleWaitMs = 5000;

// The window's side of the probe: the port with the engine behind it, the gate, the port list
// (whose selection handler requests a probe, as "itemselect" does) and the probe.
template <typename Port = CCommPort>
class CProbeRig : public ICommPortProcess
{
public:
    CProbeRig()
    {
        list.SetOnSelect([this](int) { probe.StartProbe(); });
    }
    virtual ~CProbeRig() { probe.Stop(); }

    void OnReceive(const std::uint8_t* data, std::uint32_t count) override
    {
        engine.OnReceive(data, count);
    }
    void OnStarted() override { ++started; }
    void OnClosed() override { ++closed; }

    CFakeHost host;
    CRadioProtocol engine{host};
    Port port{this};
    CPortGate gate;
    CPortListMirror list;
    std::atomic<int> found{0};
    std::atomic<int> started{0};
    std::atomic<int> closed{0};
    CRadioProbe probe{port, gate, engine.RadioFoundEvent(), list, [this] { ++found; }};
};

// Simulated radios on pseudo-terminals, in the order the port list sorts their paths.
class Radios
{
public:
    explicit Radios(int count)
    {
        for (int i = 0; i < count; ++i) {
            radios.push_back(std::make_unique<CSimRadio>());
            radios.back()->SetFault({SimFault::Kind::NoIdent, 0});
            if (!radios.back()->Start())
                return;
        }
        std::sort(radios.begin(), radios.end(), [](const auto& a, const auto& b) {
            return ComparePortNames(a->SlavePath(), b->SlavePath()) < 0;
        });
    }
    [[nodiscard]] bool Started() const
    {
        return std::all_of(radios.begin(), radios.end(),
                           [](const auto& r) { return !r->SlavePath().empty(); });
    }
    // Makes radio i answer.
    void Answering(std::size_t i) { radios[i]->SetFault({}); }
    [[nodiscard]] std::vector<std::string> Paths() const
    {
        std::vector<std::string> paths;
        for (const auto& r : radios)
            paths.push_back(r->SlavePath());
        return paths;
    }
    int Handshakes(std::size_t i) const { return radios[i]->Core().handshakes; }
    CSimRadio& operator[](std::size_t i) { return *radios[i]; }

private:
    std::vector<std::unique_ptr<CSimRadio>> radios;
};

// Lists the radios through VORLEND_SERIAL_PORTS and discovery, keeping only them so that the
// machine's own ports stay out of the test.
std::vector<std::string> DiscoverThrough(const std::vector<std::string>& paths)
{
    std::string value;
    for (const std::string& p : paths)
        value += p + ":";
    value += "/dev/vorlend-no-such-port";
    setenv(kExtraPortsVariable, value.c_str(), 1);
    std::vector<std::string> names;
    EnumerateSerialPorts(names);
    unsetenv(kExtraPortsVariable);
    std::vector<std::string> ours;
    for (const std::string& n : names)
        if (std::find(paths.begin(), paths.end(), n) != paths.end())
            ours.push_back(n);
    return ours;
}

TEST(RadioProbe, FirstAnsweringPortWinsAndStaysOpen)
{
    Radios radios(3);
    ASSERT_TRUE(radios.Started());
    radios.Answering(1);
    CProbeRig rig;
    const auto names = DiscoverThrough(radios.Paths());
    ASSERT_EQ(names.size(), 3u); // the missing path is ignored
    FillPortList(rig.gate, rig.list, names);
    EXPECT_EQ(rig.list.Names(), radios.Paths());

    rig.probe.StartProbe();
    ASSERT_TRUE(rig.probe.WaitUntilIdle(kIdleWaitMs));

    EXPECT_EQ(rig.list.SelectedPort(), 1);
    EXPECT_TRUE(rig.port.IsOpen());
    EXPECT_EQ(rig.port.PortName(), radios.Paths()[1]);
    EXPECT_EQ(rig.port.ReadChunk(), CRadioProbe::kReadChunk);
    EXPECT_EQ(rig.found.load(), 1);
    EXPECT_EQ(rig.started.load(), 2); // the first port was opened and closed again
    EXPECT_EQ(rig.closed.load(), 1);
    EXPECT_EQ(radios.Handshakes(0), 1);
    EXPECT_EQ(radios.Handshakes(1), 1);
    EXPECT_EQ(radios.Handshakes(2), 0);
    // The probe never acknowledges: the radio heard the handshake and nothing else.
    EXPECT_EQ(radios[1].BytesIn(), CRadioProtocol::kHandshake.size());
    EXPECT_EQ(rig.gate.State(), 0);

    // Choosing the open port again probes it without reopening it.
    rig.list.SelectPort(1);
    ASSERT_TRUE(rig.probe.WaitUntilIdle(kIdleWaitMs));
    EXPECT_EQ(rig.found.load(), 2);
    EXPECT_EQ(rig.started.load(), 2);
    EXPECT_EQ(radios.Handshakes(1), 2);
    EXPECT_TRUE(rig.port.IsOpen());
}

TEST(RadioProbe, OtherSelectionIsOpenedAndProbed)
{
    Radios radios(2);
    ASSERT_TRUE(radios.Started());
    radios.Answering(1);
    CProbeRig rig;
    FillPortList(rig.gate, rig.list, radios.Paths());
    ASSERT_TRUE(rig.port.Open(radios.Paths()[0]));
    rig.list.SelectPort(1);
    ASSERT_TRUE(rig.probe.WaitUntilIdle(kIdleWaitMs));
    EXPECT_EQ(rig.port.PortName(), radios.Paths()[1]);
    EXPECT_EQ(rig.list.SelectedPort(), 1);
    EXPECT_EQ(rig.found.load(), 1);
    EXPECT_EQ(radios.Handshakes(0), 0);
}

TEST(RadioProbe, NoRadioLeavesNoPortOpenAndTheSelectionAsItWas)
{
    Radios radios(3);
    ASSERT_TRUE(radios.Started());
    {
        CProbeRig rig;
        FillPortList(rig.gate, rig.list, radios.Paths());
        rig.probe.StartProbe();
        ASSERT_TRUE(rig.probe.WaitUntilIdle(kIdleWaitMs));
        EXPECT_FALSE(rig.port.IsOpen());
        EXPECT_EQ(rig.list.SelectedPort(), -1);
        EXPECT_EQ(rig.found.load(), 0);
        EXPECT_EQ(rig.started.load(), 3);
        EXPECT_EQ(rig.closed.load(), 3);
    }
    {
        CProbeRig rig;
        FillPortList(rig.gate, rig.list, radios.Paths());
        rig.list.SelectPort(2);
        ASSERT_TRUE(rig.probe.WaitUntilIdle(kIdleWaitMs));
        EXPECT_FALSE(rig.port.IsOpen());
        EXPECT_EQ(rig.list.SelectedPort(), 2);
        EXPECT_EQ(rig.found.load(), 0);
    }
}

namespace {

// Lists the radios' ports and starts a probe, until its first pass is under way (requests
// made before the thread took up the first one are the same request).
void StartFirstPass(const Radios& radios, CProbeRig<>& rig)
{
    FillPortList(rig.gate, rig.list, radios.Paths());
    rig.probe.StartProbe();
    for (int i = 0; i < 1000 && rig.probe.PassCount() == 0; ++i)
        std::this_thread::sleep_for(1ms);
    ASSERT_EQ(rig.probe.PassCount(), 1);
}

} // namespace

TEST(RadioProbe, RequestDuringAPassRunsOneMorePass)
{
    Radios radios(3);
    ASSERT_TRUE(radios.Started());
    CProbeRig rig;
    ASSERT_NO_FATAL_FAILURE(StartFirstPass(radios, rig));
    rig.probe.StartProbe(); // the thread is in its first pass: only a request
    rig.probe.StartProbe(); // requests do not pile up
    ASSERT_TRUE(rig.probe.WaitUntilIdle(kIdleWaitMs));
    EXPECT_EQ(rig.probe.PassCount(), 2);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(radios.Handshakes(i), 2) << i;
}

// A radio operation holds the probe off: the pass under way ends first, requests made while
// the operation runs touch no port, and the last of them runs once it ends.
TEST(RadioProbe, HoldOffWaitsForThePassAndRequestsRunAfterRelease)
{
    Radios radios(3);
    ASSERT_TRUE(radios.Started());
    CProbeRig rig;
    ASSERT_NO_FATAL_FAILURE(StartFirstPass(radios, rig));

    ASSERT_TRUE(rig.probe.HoldOff(CRadioProbe::kGateTimeoutMs));
    EXPECT_TRUE(rig.probe.WaitUntilIdle(0)) << "HoldOff returned before the pass ended";
    EXPECT_FALSE(rig.port.IsOpen());
    const int started = rig.started.load();
    rig.probe.StartProbe();
    rig.probe.StartProbe();
    std::this_thread::sleep_for(300ms); // a pass over three silent ports would be well along
    EXPECT_EQ(rig.probe.PassCount(), 1);
    EXPECT_EQ(rig.started.load(), started) << "a port was opened while held";

    rig.probe.Release();
    ASSERT_TRUE(rig.probe.WaitUntilIdle(kIdleWaitMs));
    EXPECT_EQ(rig.probe.PassCount(), 2);
}

TEST(RadioProbe, RequestDuringASuccessfulPassWaitsForTheNextStart)
{
    Radios radios(1);
    ASSERT_TRUE(radios.Started());
    radios.Answering(0);
    CProbeRig rig;
    FillPortList(rig.gate, rig.list, radios.Paths());
    rig.probe.StartProbe();
    rig.probe.StartProbe();
    ASSERT_TRUE(rig.probe.WaitUntilIdle(kIdleWaitMs));
    EXPECT_EQ(rig.probe.PassCount(), 1);
    EXPECT_EQ(rig.found.load(), 1);
}

TEST(RadioProbe, ArrivalWhileNoPortIsOpenSelectsAndProbes)
{
    Radios radios(3);
    ASSERT_TRUE(radios.Started());
    radios.Answering(1);
    CProbeRig rig;
    FillPortList(rig.gate, rig.list, {radios.Paths()[0]});
    const int index = HandlePortArrival(rig.gate, rig.list, rig.port, radios.Paths()[1]);
    EXPECT_EQ(index, 1);
    ASSERT_TRUE(rig.probe.WaitUntilIdle(kIdleWaitMs));
    EXPECT_EQ(rig.list.SelectedPort(), 1);
    EXPECT_EQ(rig.port.PortName(), radios.Paths()[1]);
    EXPECT_EQ(rig.found.load(), 1);
    EXPECT_EQ(radios.Handshakes(0), 0);

    // While a port is open an arrival only adds its name.
    const int passes = rig.probe.PassCount();
    EXPECT_EQ(HandlePortArrival(rig.gate, rig.list, rig.port, radios.Paths()[2]), 2);
    EXPECT_EQ(HandlePortArrival(rig.gate, rig.list, rig.port, radios.Paths()[2]), 2); // again
    EXPECT_EQ(rig.list.Names(), radios.Paths());
    EXPECT_EQ(rig.list.SelectedPort(), 1);
    EXPECT_FALSE(rig.probe.IsRunning());
    EXPECT_EQ(rig.probe.PassCount(), passes);

    // The open port's device goes away: its reader ends by itself, the entry goes.
    radios[1].HangUp();
    for (int i = 0; i < 200 && rig.port.IsOpen(); ++i)
        std::this_thread::sleep_for(5ms);
    EXPECT_FALSE(rig.port.IsOpen());
    EXPECT_EQ(rig.closed.load(), 1);
    EXPECT_TRUE(HandlePortRemoval(rig.gate, rig.list, radios.Paths()[1]));
    EXPECT_FALSE(HandlePortRemoval(rig.gate, rig.list, radios.Paths()[1]));
    EXPECT_EQ(rig.list.Names(), (std::vector<std::string>{radios.Paths()[0], radios.Paths()[2]}));
    EXPECT_EQ(rig.list.SelectedPort(), -1);
}

// An FTDI adapter hands the identification over at its next latency tick, wherever that falls
// against the handshake: the probe finds the radio at every start-up, behind a silent port.
TEST(RadioProbe, FindsTheRadioThroughAnFtdiAdapterAtEveryStartUp)
{
    int foundOnItsPort = 0;
    for (std::uint32_t startUp = 1; startUp <= 10; ++startUp) {
        Radios radios(2);
        ASSERT_TRUE(radios.Started());
        for (std::size_t i = 0; i < 2; ++i) {
            SimAdapter ftdi;
            ftdi.model = SimAdapter::Model::Ftdi;
            ftdi.seed = startUp * 2 + static_cast<std::uint32_t>(i);
            radios[i].SetAdapter(ftdi);
        }
        radios.Answering(1);
        CProbeRig rig;
        FillPortList(rig.gate, rig.list, radios.Paths());
        rig.probe.StartProbe();
        ASSERT_TRUE(rig.probe.WaitUntilIdle(kIdleWaitMs));
        if (rig.list.SelectedPort() == 1 && rig.port.PortName() == radios.Paths()[1] &&
            rig.found.load() == 1)
            ++foundOnItsPort;
    }
    EXPECT_EQ(foundOnItsPort, 10);
}

// A radio that answers late, listed before a silent port: found on its own port while its
// answer comes in time, and otherwise not at all. Its late identification must never count
// for the port tried after it.
TEST(RadioProbe, LateAnswerIsFoundOnItsOwnPortAndNeverSelectsTheNextOne)
{
    struct Case
    {
        int lateMs;
        std::uint32_t ftdiSeed; // 0: direct; else an FTDI adapter, whose latency tick may hold
                                // the first byte back past the probe's wait
    };
    for (const Case c : {Case{60, 0}, Case{70, 0}, Case{75, 0}, Case{80, 0}, Case{85, 0},
                         Case{90, 0}, Case{100, 0}, Case{150, 0}, Case{60, 1}, Case{65, 2},
                         Case{66, 3}, Case{68, 4}, Case{70, 5}}) {
        const int lateMs = c.lateMs;
        Radios radios(2);
        ASSERT_TRUE(radios.Started());
        for (std::uint32_t i = 0; c.ftdiSeed != 0 && i < 2; ++i) {
            SimAdapter ftdi;
            ftdi.model = SimAdapter::Model::Ftdi;
            ftdi.seed = c.ftdiSeed * 2 + i;
            radios[i].SetAdapter(ftdi);
        }
        radios[0].SetFault({SimFault::Kind::LateIdent, 0, lateMs});
        CProbeRig rig;
        FillPortList(rig.gate, rig.list, radios.Paths());
        rig.probe.StartProbe();
        ASSERT_TRUE(rig.probe.WaitUntilIdle(kIdleWaitMs));
        const int selected = rig.list.SelectedPort();
        EXPECT_NE(selected, 1) << lateMs << " ms late";
        if (lateMs <= 70) {
            EXPECT_EQ(selected, 0) << lateMs << " ms late" << (c.ftdiSeed ? " (FTDI)" : "");
        }
        if (selected == 0) {
            EXPECT_TRUE(rig.port.IsOpen()) << lateMs << " ms late";
            EXPECT_EQ(rig.port.PortName(), radios.Paths()[0]) << lateMs << " ms late";
        } else {
            EXPECT_FALSE(rig.port.IsOpen()) << lateMs << " ms late";
            EXPECT_EQ(rig.found.load(), 0) << lateMs << " ms late";
        }
        std::printf("identification %d ms late%s: %s\n", lateMs, c.ftdiSeed ? " (FTDI)" : "",
                    selected == 0 ? "found on its port" : "not found");
    }
}

// A port whose writes fail on one line, and a radio on another that answers every handshake.
class CFlakyPort : public CFakeCommPort
{
public:
    using CFakeCommPort::CFakeCommPort;
    int Write(const std::uint8_t* data, std::uint32_t count, std::uint32_t* written) override
    {
        if (PortName() == "mem:broken")
            throw CErrorSetOutput();
        const int r = CFakeCommPort::Write(data, count, written);
        if (CFakeLine* line = CFakeLine::Find(PortName()); line && PortName() == "mem:radio")
            line->Send({'K', 'T', 'Z', '5', '1', '7'});
        return r;
    }
};

TEST(RadioProbe, FailingHandshakeWriteCountsAsSilent)
{
    CFakeLine broken("mem:broken");
    CFakeLine radio("mem:radio");
    CProbeRig<CFlakyPort> rig;
    FillPortList(rig.gate, rig.list, {"mem:radio", "mem:broken"});
    ASSERT_EQ(rig.list.Names(), (std::vector<std::string>{"mem:broken", "mem:radio"}));
    rig.probe.StartProbe();
    ASSERT_TRUE(rig.probe.WaitUntilIdle(kIdleWaitMs));
    EXPECT_EQ(rig.list.SelectedPort(), 1);
    EXPECT_EQ(rig.port.PortName(), "mem:radio");
    EXPECT_EQ(rig.found.load(), 1);
    EXPECT_EQ(rig.closed.load(), 1);
}

TEST(RadioProbe, StopEndsAProbeWaitingForTheGate)
{
    Radios radios(1);
    ASSERT_TRUE(radios.Started());
    auto rig = std::make_unique<CProbeRig<>>();
    FillPortList(rig->gate, rig->list, radios.Paths());
    ASSERT_TRUE(rig->gate.Lock(CPortGate::Exclusive, 0));
    rig->probe.StartProbe();
    std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(rig->probe.IsRunning());
    // Without the cancellation this would wait the probe's whole 5 s gate time-out.
    auto stopped = std::async(std::launch::async, [&] { rig->probe.Stop(); });
    ASSERT_EQ(stopped.wait_for(2s), std::future_status::ready);
    EXPECT_FALSE(rig->probe.IsRunning());
    rig->probe.StartProbe(); // ignored after Stop
    EXPECT_FALSE(rig->probe.IsRunning());
    rig.reset(); // destruction with everything stopped
}

TEST(UdevMonitor, StartsAndStopsPromptly)
{
    CUdevMonitor monitor;
    if (!monitor.Start([](PortChange, const SerialPortInfo&) {}))
        GTEST_SKIP() << "udev cannot be watched here";
    EXPECT_TRUE(monitor.IsRunning());
    monitor.Stop();
    EXPECT_FALSE(monitor.IsRunning());
    monitor.Stop();
}

} // namespace
