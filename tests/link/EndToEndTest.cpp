// Reads and writes through a real pseudo-terminal against the simulated radio, at line speed.

#include "file/Crc16.h"
#include "tests/support/LinkRig.h"
#include "tools/simradio/SimRadio.h"

#include <gtest/gtest.h>

// std
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

class EndToEnd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(radio.Start()) << radio.Error();
        ASSERT_TRUE(rig.port.Open(radio.SlavePath()));
    }

    // Rows the host holds before a read, different from anything the radio has.
    void FillHostRows()
    {
        for (int row = 0; row < kChannelCount; ++row)
            for (std::size_t i = 0; i < ChannelRecord::kSize; ++i)
                rig.host.rows[static_cast<std::size_t>(row)].bytes[i] =
                    static_cast<std::uint8_t>(0x11 * (row + 1) + i);
    }

    CSimRadio radio;
    CLinkRig rig;
};

TEST_F(EndToEnd, CompleteReadDeliversTheRadiosImage)
{
    const RadioImage image = radio.Image();
    ASSERT_EQ(rig.RunOperation(true), RESULT_DONE)
        << "counter " << int(rig.engine.BlockCounter()) << ", rows "
        << rig.host.Inspect([](CFakeHost& h) { return h.receivedRows.size(); }) << ", radio heard "
        << radio.BytesIn() << " bytes, sent " << radio.BytesOut();

    rig.host.Inspect([&](CFakeHost& h) {
        for (int row = 0; row < kChannelCount; ++row)
            EXPECT_EQ(h.rows[static_cast<std::size_t>(row)],
                      image.channels[static_cast<std::size_t>(row)])
                << "row " << row; // bytes 15..23 included
        EXPECT_EQ(h.steps, 18);
        EXPECT_EQ(h.receivedRows.size(), 16u);
        EXPECT_EQ(h.settingsFrames.size(), 1u);
        if (!h.settingsFrames.empty() && h.settingsFrames[0].size() >= 28) {
            const Bytes& f = h.settingsFrames[0];
            EXPECT_EQ(Bytes(f.begin(), f.begin() + 4), (Bytes{'W', 0x05, 0x00, 0x20}));
            for (std::size_t i = 4; i < SettingsRecord::kSize; ++i)
                EXPECT_EQ(f[i], image.settings.bytes[i]) << "settings byte " << i;
        }
        return 0;
    });
    EXPECT_EQ(rig.engine.BlockCounter(), 101);

    const CSimRadioCore seen = radio.Core();
    EXPECT_EQ(seen.handshakes, 1);
    std::vector<int> expected;
    for (int block = 1; block <= 17; ++block)
        expected.push_back(block);
    EXPECT_EQ(seen.readRequests, expected);
    EXPECT_EQ(seen.discardedBytes, 0u);
}

TEST_F(EndToEnd, CompleteWriteStoresEveryByte)
{
    RadioImage image;
    for (int row = 0; row < kChannelCount; ++row) {
        ChannelRecord& r = image.channels[static_cast<std::size_t>(row)];
        for (std::size_t i = 0; i < ChannelRecord::kSize; ++i)
            r.bytes[i] = static_cast<std::uint8_t>(0x30 + row * 3 + i);
        rig.host.rows[static_cast<std::size_t>(row)] = r;
    }
    std::atomic<int> writesCompleted{0};
    radio.SetOnWriteComplete([&] { ++writesCompleted; });
    rig.host.collect = [](std::uint8_t* frame) {
        frame[4] = 1;
        for (std::size_t i = 14; i <= 19; ++i)
            frame[i] = static_cast<std::uint8_t>(i - 12);
    };
    ASSERT_EQ(rig.RunOperation(false), RESULT_DONE);
    EXPECT_EQ(rig.host.Inspect([](CFakeHost& h) { return h.steps; }), 17);

    const CSimRadioCore seen = radio.Core();
    ASSERT_EQ(seen.frames.size(), 17u);
    EXPECT_TRUE(seen.rejected.empty());
    for (int block = 1; block <= 16; ++block) {
        const Bytes& f = seen.frames[static_cast<std::size_t>(block - 1)];
        EXPECT_EQ(Bytes(f.begin(), f.begin() + 4),
                  (Bytes{'W', 0x00, static_cast<std::uint8_t>(block), 0x20}));
        const ChannelRecord& r = image.channels[static_cast<std::size_t>(block - 1)];
        EXPECT_EQ(Bytes(f.begin() + 4, f.begin() + 28), Bytes(r.bytes.begin(), r.bytes.end()));
        EXPECT_EQ(Bytes(f.begin() + 28, f.begin() + 32), (Bytes{0, 0, 0, 0xFF}));
        const auto crc = ComputeCrc16(f.data(), 32);
        EXPECT_EQ(f[32], crc[0]); // high byte first
        EXPECT_EQ(f[33], crc[1]);
    }
    const Bytes& s = seen.frames[16];
    Bytes expectedSettings(34, 0);
    expectedSettings[0] = 'W';
    expectedSettings[1] = 0x05;
    expectedSettings[3] = 0x20;
    expectedSettings[4] = 1;
    for (std::size_t i = 14; i <= 19; ++i)
        expectedSettings[i] = static_cast<std::uint8_t>(i - 12);
    const auto crc = ComputeCrc16(expectedSettings.data(), 32);
    expectedSettings[32] = crc[0];
    expectedSettings[33] = crc[1];
    EXPECT_EQ(s, expectedSettings);

    const RadioImage stored = radio.Image();
    for (int row = 0; row < kChannelCount; ++row)
        EXPECT_EQ(stored.channels[static_cast<std::size_t>(row)],
                  image.channels[static_cast<std::size_t>(row)]);
    EXPECT_EQ(seen.writesCompleted, 1);
    EXPECT_EQ(writesCompleted.load(), 1);
}

TEST_F(EndToEnd, WriteThenReadRoundTrips)
{
    for (int row = 0; row < kChannelCount; ++row)
        rig.host.rows[static_cast<std::size_t>(row)] =
            CSimRadioCore::DefaultImage().channels[static_cast<std::size_t>(15 - row)];
    const auto written = rig.host.rows;
    ASSERT_EQ(rig.RunOperation(false), RESULT_DONE);
    FillHostRows();
    // The identification clears the sendPending left by nothing here, and by a read after it.
    ASSERT_EQ(rig.RunOperation(true), RESULT_DONE);
    ASSERT_EQ(rig.RunOperation(true), RESULT_DONE);
    EXPECT_EQ(rig.host.Inspect([](CFakeHost& h) { return h.rows; }), written);
}

struct FaultCase
{
    const char* name;
    const char* fault;
    bool isRead;
    int result;
    int counter;      // blockCounter at the end
    int rowsReceived; // channel rows handed to the host
    int skippedRow;   // a row that must keep its contents, or -1
};

class EndToEndFault : public EndToEnd, public ::testing::WithParamInterface<FaultCase>
{};

TEST_P(EndToEndFault, EndsAsTheProtocolSays)
{
    const FaultCase& c = GetParam();
    radio.SetFault(*ParseSimFault(c.fault));
    // Each answer in one piece: these cases are about the protocol, not the line's timing,
    // and must not depend on how busy the machine is.
    radio.SetByteTime(std::chrono::microseconds(0));
    FillHostRows();
    const auto before = rig.host.rows;
    EXPECT_EQ(rig.RunOperation(c.isRead), c.result);
    EXPECT_EQ(rig.engine.BlockCounter(), c.counter);
    rig.host.Inspect([&](CFakeHost& h) {
        EXPECT_EQ(static_cast<int>(h.receivedRows.size()), c.rowsReceived);
        if (c.skippedRow >= 0) {
            EXPECT_EQ(h.rows[static_cast<std::size_t>(c.skippedRow)],
                      before[static_cast<std::size_t>(c.skippedRow)]);
        }
        return 0;
    });
}

INSTANTIATE_TEST_SUITE_P(
    Faults, EndToEndFault,
    ::testing::Values(
        FaultCase{"SilentRadioRead", "no-ident", true, TIMER_WATCHDOG, 0, 0, -1},
        FaultCase{"SilentRadioWrite", "no-ident", false, TIMER_WATCHDOG, 0, 0, -1},
        FaultCase{"StallAfterBlock3", "stall-after=3", true, TIMER_WATCHDOG, 4, 3, 3},
        FaultCase{"WriteStallAfterBlock5", "stall-after=5", false, TIMER_WATCHDOG, 6, 0, -1},
        FaultCase{"WrongBlock5SkipsRow4", "wrong-block=5", true, RESULT_READ_INCOMPLETE, 101, 15,
                  4},
        FaultCase{"SettingsReplyWithout05", "no-settings-ack", true, TIMER_WATCHDOG, 18, 16, -1},
        FaultCase{"GarbageBeforeBlock4IsDropped", "garbage-before=4", true, RESULT_DONE, 101, 16,
                  -1},
        FaultCase{"IdentificationAtBlock6", "ident-at=6", true, RESULT_DONE, 101, 21, -1},
        FaultCase{"IdentificationAtWriteBlock6", "ident-at=6", false, RESULT_DONE, 100, 0, -1}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(EndToEnd, IdentificationMidReadRestartsFromBlockOne)
{
    radio.SetFault(*ParseSimFault("ident-at=6"));
    ASSERT_EQ(rig.RunOperation(true), RESULT_DONE);
    const CSimRadioCore seen = radio.Core();
    std::vector<int> expected = {1, 2, 3, 4, 5, 6};
    for (int block = 1; block <= 17; ++block)
        expected.push_back(block);
    EXPECT_EQ(seen.readRequests, expected) << "discarded " << seen.discardedBytes;
}

TEST_F(EndToEnd, HangUpDuringAReadEndsTheReaderOnce)
{
    radio.SetFault(*ParseSimFault("hangup-after=5"));
    EXPECT_EQ(rig.RunOperation(true), TIMER_WATCHDOG);
    EXPECT_EQ(rig.engine.BlockCounter(), 6);
    EXPECT_FALSE(rig.port.IsOpen());
    EXPECT_EQ(rig.closedCount.load(), 1);
    EXPECT_EQ(rig.port.PortName(), "");
    // The next operation finds the port gone: it ends at once instead of waiting.
    EXPECT_EQ(rig.RunOperation(true), RESULT_PORT_FAILED);
    EXPECT_EQ(rig.closedCount.load(), 1);
}

TEST_F(EndToEnd, LineDroppedBeforeTheDialogEndsWithPortFailed)
{
    radio.HangUp();
    for (int i = 0; i < 200 && rig.port.IsOpen(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(rig.RunOperation(false), RESULT_PORT_FAILED);
    EXPECT_EQ(rig.engine.BlockCounter(), 0);
}

} // namespace
