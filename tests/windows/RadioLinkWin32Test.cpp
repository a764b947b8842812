// Reads and writes through the Win32 serial port under Wine against the simulated radio,
// which runs on the Linux side on a pseudo-terminal that Wine maps to the COM port named by
// VORLEND_WINE_RADIO_PORT. The simulated radio's default memory is the expected read result.
// Without the variable the tests skip.

#include "tests/support/LinkRig.h"
#include "tools/simradio/SimRadioCore.h"

#include <gtest/gtest.h>

// std
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

std::string PortFrom(const char* variable)
{
    const char* name = std::getenv(variable);
    return name ? name : "";
}

// The settings bytes the window fills into a settings frame (byte 4 and bytes 14..19).
constexpr std::size_t kSettingsBytes[] = {4, 14, 15, 16, 17, 18, 19};

// Channels unlike the simulated radio's default ones: every byte of every row differs.
RadioImage ImageToWrite()
{
    RadioImage image = CSimRadioCore::DefaultImage();
    for (std::size_t row = 0; row < image.channels.size(); ++row)
        for (std::size_t i = 0; i < ChannelRecord::kSize; ++i)
            image.channels[row].bytes[i] = static_cast<std::uint8_t>(~image.channels[row].bytes[i]);
    for (std::size_t offset : kSettingsBytes)
        image.settings.bytes[offset] = static_cast<std::uint8_t>(offset + 1);
    return image;
}

double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

class RadioLinkWin32 : public ::testing::Test
{
protected:
    void SetUp() override { OpenPortNamedBy("VORLEND_WINE_RADIO_PORT"); }

    void OpenPortNamedBy(const char* variable)
    {
        m_portName = PortFrom(variable);
        if (m_portName.empty())
            GTEST_SKIP() << variable << " is not set (run tools/windows-test.sh)";
        ASSERT_TRUE(rig.port.Open(m_portName));
    }

    void ExpectRowsAndSettings(const RadioImage& image)
    {
        rig.host.Inspect([&](CFakeHost& h) {
            for (std::size_t row = 0; row < image.channels.size(); ++row)
                EXPECT_EQ(h.rows[row], image.channels[row]) << "row " << row;
            EXPECT_EQ(h.receivedRows.size(), 16u);
            EXPECT_EQ(h.steps, 18);
            EXPECT_EQ(h.settingsFrames.size(), 1u);
            if (!h.settingsFrames.empty()) {
                const Bytes& frame = h.settingsFrames.front();
                EXPECT_GE(frame.size(), 28u);
                EXPECT_EQ(Bytes(frame.begin(), frame.begin() + 4), (Bytes{'W', 0x05, 0x00, 0x20}));
                for (std::size_t offset : kSettingsBytes) {
                    if (offset < frame.size()) {
                        EXPECT_EQ(frame[offset], image.settings.bytes[offset])
                            << "settings byte " << offset;
                    }
                }
            }
            return 0;
        });
    }

    // A full read gives the simulated radio's own memory; prints how long it took.
    void ReadTheDefaultMemory(const char* what)
    {
        const auto start = Clock::now();
        ASSERT_EQ(rig.RunOperation(true), RESULT_DONE);
        std::printf("figure: %s through the Win32 port took %.0f ms\n", what,
                    MillisecondsSince(start));
        ExpectRowsAndSettings(CSimRadioCore::DefaultImage());
        EXPECT_EQ(rig.closedCount.load(), 0);
    }

    void ForgetWhatTheHostSaw()
    {
        rig.host.Inspect([](CFakeHost& h) {
            h.rows = {};
            h.receivedRows.clear();
            h.settingsFrames.clear();
            h.collectedHeaders.clear();
            h.writes.clear();
            h.steps = 0;
            return 0;
        });
    }

    std::string m_portName;
    CLinkRig rig;
};

TEST_F(RadioLinkWin32, FullReadDeliversTheRadiosMemory)
{
    ReadTheDefaultMemory("full read");
}

TEST_F(RadioLinkWin32, FullWriteIsReadBackUnchanged)
{
    const RadioImage written = ImageToWrite();
    rig.host.Inspect([&](CFakeHost& h) {
        h.rows = written.channels;
        h.collect = [written](std::uint8_t* frame) {
            for (std::size_t offset : kSettingsBytes)
                frame[offset] = written.settings.bytes[offset];
        };
        return 0;
    });
    const auto start = Clock::now();
    ASSERT_EQ(rig.RunOperation(false), RESULT_DONE);
    std::printf("figure: full write through the Win32 port took %.0f ms\n",
                MillisecondsSince(start));
    rig.host.Inspect([](CFakeHost& h) {
        // Handshake, acknowledgement of the identification, 16 channel frames, the settings.
        EXPECT_EQ(h.writes.size(), 19u);
        EXPECT_EQ(h.collectedHeaders.size(), 1u);
        EXPECT_EQ(h.steps, 17);
        return 0;
    });

    ForgetWhatTheHostSaw();
    ASSERT_EQ(rig.RunOperation(true), RESULT_DONE);
    ExpectRowsAndSettings(written);

    // Leave the radio as the other tests expect it.
    const RadioImage original = CSimRadioCore::DefaultImage();
    rig.host.Inspect([&](CFakeHost& h) {
        h.rows = original.channels;
        h.collect = [original](std::uint8_t* frame) {
            for (std::size_t offset : kSettingsBytes)
                frame[offset] = original.settings.bytes[offset];
        };
        return 0;
    });
    ASSERT_EQ(rig.RunOperation(false), RESULT_DONE);
}

// A radio behind an adapter that cuts every reply in two with a pause between the pieces:
// the read is still whole.
class RadioLinkWin32Split : public RadioLinkWin32
{
protected:
    void SetUp() override { OpenPortNamedBy("VORLEND_WINE_SPLIT_PORT"); }
};

TEST_F(RadioLinkWin32Split, ReadOfSplitRepliesIsWhole)
{
    ReadTheDefaultMemory("full read of split replies");
}

// The line dies under an open port (the far end hangs up): the reader ends once, and the next
// operation's first write fails; the engine ends the operation at once instead of crashing.
TEST(RadioLinkWin32Failure, WriteFailureEndsTheOperationWithoutACrash)
{
    const std::string echoPort = PortFrom("VORLEND_WINE_ECHO_PORT");
    if (echoPort.empty())
        GTEST_SKIP() << "VORLEND_WINE_ECHO_PORT is not set (run tools/windows-test.sh)";
    CLinkRig rig;
    bool opened = false;
    for (int attempt = 0; attempt < 50 && !opened; ++attempt) {
        opened = rig.port.Open(echoPort);
        if (!opened)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(opened);
    const Bytes hangUp = {0x1B, 'H', 'U', 'P'};
    std::uint32_t written = 0;
    ASSERT_NE(rig.port.Write(hangUp.data(), 4, &written), 0);
    for (int wait = 0; wait < 100 && rig.closedCount.load() == 0; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_EQ(rig.closedCount.load(), 1);

    EXPECT_EQ(rig.RunOperation(true), RESULT_PORT_FAILED);
    EXPECT_EQ(rig.closedCount.load(), 1);
}

} // namespace
