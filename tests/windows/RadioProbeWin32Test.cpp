// The radio probe over the Win32 serial port under Wine: COM5 is the simulated radio, COM6 a
// line that only echoes (a device that is not the radio), COM43 a port that does not exist.
// Without VORLEND_WINE_RADIO_PORT and VORLEND_WINE_ECHO_PORT the tests skip.

#include "link/CommPort.h"
#include "link/PortGate.h"
#include "link/PortList.h"
#include "link/RadioProbe.h"
#include "link/RadioProtocol.h"
#include "tests/support/FakeHost.h"

#include <gtest/gtest.h>

// std
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr std::uint32_t kIdleWaitMs = 10000;

std::string PortFrom(const char* variable)
{
    const char* name = std::getenv(variable);
    return name ? name : "";
}

// The window's side of the probe: the port with the engine behind it, the gate, the port list
// (whose selection handler requests a probe, as the combo's "itemselect" does) and the probe.
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
    void OnClosed() override { ++closed; }

    CFakeHost host;
    CRadioProtocol engine{host};
    CCommPort port{this};
    CPortGate gate;
    CPortListMirror list;
    std::atomic<int> found{0};
    std::atomic<int> closed{0};
    CRadioProbe probe{port, gate, engine.RadioFoundEvent(), list, [this] { ++found; }};
};

class RadioProbeWin32 : public ::testing::Test
{
protected:
    void SetUp() override
    {
        radioPort = PortFrom("VORLEND_WINE_RADIO_PORT");
        echoPort = PortFrom("VORLEND_WINE_ECHO_PORT");
        if (radioPort.empty() || echoPort.empty())
            GTEST_SKIP() << "VORLEND_WINE_RADIO_PORT or VORLEND_WINE_ECHO_PORT is not set "
                            "(run tools/windows-test.sh)";
    }

    std::string radioPort;
    std::string echoPort;
};

TEST_F(RadioProbeWin32, WithNoSelectionTheFirstPortThatAnswersBecomesSelectedAndStaysOpen)
{
    CProbeRig rig;
    rig.list.InsertPortSorted("COM43");
    rig.list.InsertPortSorted(echoPort);
    rig.list.InsertPortSorted(radioPort);
    const auto start = std::chrono::steady_clock::now();
    rig.probe.StartProbe();
    ASSERT_TRUE(rig.probe.WaitUntilIdle(kIdleWaitMs));
    std::printf("figure: probe of %d ports found the radio after %.0f ms\n", rig.list.PortCount(),
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count());

    EXPECT_EQ(rig.found.load(), 1);
    EXPECT_EQ(rig.list.SelectedPort(), rig.list.IndexOf(radioPort));
    EXPECT_TRUE(rig.port.IsOpen());
    EXPECT_EQ(rig.port.PortName(), radioPort);
    EXPECT_EQ(rig.port.ReadChunk(), CRadioProbe::kReadChunk);
    EXPECT_EQ(rig.gate.State(), 0);
    // The probe never acknowledges: the radio's identification only set the event.
    rig.host.Inspect([](CFakeHost& h) {
        EXPECT_TRUE(h.results.empty());
        return 0;
    });
}

TEST_F(RadioProbeWin32, ASilentSelectedPortIsClosedAgainAndTheRadiosPortIsFoundWhenSelected)
{
    CProbeRig rig;
    rig.list.InsertPortSorted(echoPort);
    rig.list.InsertPortSorted(radioPort);

    rig.list.SelectPort(rig.list.IndexOf(echoPort)); // starts a probe, as "itemselect" does
    ASSERT_TRUE(rig.probe.WaitUntilIdle(kIdleWaitMs));
    EXPECT_EQ(rig.found.load(), 0);
    EXPECT_FALSE(rig.port.IsOpen());
    EXPECT_EQ(rig.closed.load(), 1);
    EXPECT_EQ(rig.list.SelectedPort(), rig.list.IndexOf(echoPort));

    rig.list.SelectPort(rig.list.IndexOf(radioPort));
    ASSERT_TRUE(rig.probe.WaitUntilIdle(kIdleWaitMs));
    EXPECT_EQ(rig.found.load(), 1);
    EXPECT_TRUE(rig.port.IsOpen());
    EXPECT_EQ(rig.port.PortName(), radioPort);

    // Selecting the open port again probes it without reopening it.
    const int closedBefore = rig.closed.load();
    rig.probe.StartProbe();
    ASSERT_TRUE(rig.probe.WaitUntilIdle(kIdleWaitMs));
    EXPECT_EQ(rig.found.load(), 2);
    EXPECT_EQ(rig.closed.load(), closedBefore);
    EXPECT_EQ(rig.port.PortName(), radioPort);
}

} // namespace
