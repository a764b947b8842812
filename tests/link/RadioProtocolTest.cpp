// The protocol engine fed with deliveries directly: no port, no thread, no clock.

#include "link/RadioProtocol.h"
#include "file/Crc16.h"
#include "tests/support/FakeHost.h"

#include <gtest/gtest.h>

// std
#include <cstdint>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kIdent = {'K', 'T', 'Z', '5', '1', '7'};
const Bytes kAckBytes = {0x06};
const Bytes kHandshakeBytes = {'P', 'R', 'O', 'G', 'R', 'A', 'M'};

ChannelRecord MakeRecord(int channel)
{
    ChannelRecord r;
    for (std::size_t i = 0; i < ChannelRecord::kSize; ++i)
        r.bytes[i] = static_cast<std::uint8_t>(channel * 16 + static_cast<int>(i) + 1);
    return r;
}

// A radio's reply to a read request for channel block n.
Bytes ChannelReply(int block, const ChannelRecord& record, std::size_t length = 34)
{
    Bytes b(34, 0);
    b[0] = 'W';
    b[2] = static_cast<std::uint8_t>(block);
    b[3] = 0x20;
    std::copy(record.bytes.begin(), record.bytes.end(), b.begin() + 4);
    b[28] = 0xAA; // ignored by the program
    b.resize(length);
    return b;
}

Bytes SettingsReply(std::uint8_t byte1 = 0x05)
{
    Bytes b(34, 0);
    b[0] = 'W';
    b[1] = byte1;
    b[3] = 0x20;
    for (std::size_t i = 4; i < 32; ++i)
        b[i] = static_cast<std::uint8_t>(0x40 + i);
    return b;
}

class RadioProtocolTest : public ::testing::Test
{
protected:
    void Deliver(const Bytes& b)
    {
        engine.OnReceive(b.data(), static_cast<std::uint32_t>(b.size()));
    }
    void StartRead()
    {
        engine.StartOperation(true);
        ASSERT_TRUE(engine.BeginDialog());
    }
    void StartWrite()
    {
        engine.StartOperation(false);
        ASSERT_TRUE(engine.BeginDialog());
    }
    // Runs a whole read with a well-behaved radio.
    void RunCompleteRead()
    {
        StartRead();
        Deliver(kIdent);
        Deliver(kAckBytes);
        for (int block = 1; block <= 16; ++block)
            Deliver(ChannelReply(block, MakeRecord(block)));
        Deliver(SettingsReply());
    }

    CFakeHost host;
    CRadioProtocol engine{host};
};

TEST_F(RadioProtocolTest, KnownFrames)
{
    EXPECT_EQ(CRadioProtocol::BuildReadRequest(3), (std::array<std::uint8_t, 4>{0x52, 0, 3, 0x20}));

    ChannelRecord r;
    r.setRxHz(433075000);
    r.setTxHz(433075000);
    r.setRxTone(0xFFFF);
    r.setTxTone(0xFFFF);
    r.setPower(0xFF);
    r.setWidth(0xFF);
    r.setScan(0xFF);
    std::uint8_t frame[34];
    CRadioProtocol::BuildChannelFrame(1, r, frame);
    const Bytes expected = {0x57, 0x00, 0x01, 0x20, 0x38, 0x33, 0xD0, 0x19, 0x38, 0x33, 0xD0, 0x19,
                            0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0,    0,    0,    0,    0,
                            0,    0,    0,    0,    0x00, 0x00, 0x00, 0xFF, 0x19, 0x3A};
    EXPECT_EQ(Bytes(frame, frame + 34), expected);

    std::uint8_t settings[34] = {0x57, 0x05, 0x00, 0x20};
    CRadioProtocol::SealFrame(settings);
    EXPECT_EQ(settings[32], 0x2A);
    EXPECT_EQ(settings[33], 0xFE);
}

TEST_F(RadioProtocolTest, CompleteReadFillsEveryRowAndTheSettings)
{
    RunCompleteRead();

    ASSERT_EQ(host.results, std::vector<int>{RESULT_DONE});
    for (int row = 0; row < 16; ++row)
        EXPECT_EQ(host.rows[static_cast<std::size_t>(row)], MakeRecord(row + 1)) << row;
    ASSERT_EQ(host.settingsFrames.size(), 1u);
    EXPECT_EQ(host.settingsFrames[0], SettingsReply());
    EXPECT_EQ(host.steps, 18);
    EXPECT_EQ(engine.BlockCounter(), 101);
    EXPECT_TRUE(engine.SendPending()); // stays set after a complete read
    EXPECT_TRUE(engine.RadioFoundEvent().IsSet());

    // Handshake, acknowledgement, then the 17 requests in order.
    ASSERT_EQ(host.writes.size(), 19u);
    EXPECT_EQ(host.writes[0], kHandshakeBytes);
    EXPECT_EQ(host.writes[1], kAckBytes);
    for (int block = 1; block <= 17; ++block)
        EXPECT_EQ(host.writes[static_cast<std::size_t>(block + 1)],
                  (Bytes{'R', 0, static_cast<std::uint8_t>(block), 0x20}));
}

TEST_F(RadioProtocolTest, CompleteWriteSendsEveryFrame)
{
    for (int row = 0; row < 16; ++row)
        host.rows[static_cast<std::size_t>(row)] = MakeRecord(row + 1);
    host.collect = [](std::uint8_t* frame) {
        for (std::size_t i = 4; i < 32; ++i)
            frame[i] = 0x77; // a careless window: the engine keeps only the settings bytes
    };
    StartWrite();
    Deliver(kIdent);
    for (int ack = 1; ack <= 18; ++ack) {
        Deliver(kAckBytes);
        if (ack <= 17) {
            EXPECT_EQ(engine.BlockCounter(), ack);
        }
    }

    ASSERT_EQ(host.results, std::vector<int>{RESULT_DONE});
    EXPECT_EQ(engine.BlockCounter(), 100);
    EXPECT_EQ(host.steps, 17); // the write's progress stops at 17 of 18
    ASSERT_EQ(host.writes.size(), 19u);
    for (int block = 1; block <= 16; ++block) {
        const Bytes& f = host.writes[static_cast<std::size_t>(block + 1)];
        ASSERT_EQ(f.size(), 34u);
        EXPECT_EQ(f[0], 'W');
        EXPECT_EQ(f[1], 0);
        EXPECT_EQ(f[2], block);
        EXPECT_EQ(f[3], 0x20);
        const ChannelRecord record = MakeRecord(block);
        EXPECT_EQ(Bytes(f.begin() + 4, f.begin() + 28),
                  Bytes(record.bytes.begin(), record.bytes.end()));
        EXPECT_EQ(Bytes(f.begin() + 28, f.begin() + 32), (Bytes{0, 0, 0, 0xFF}));
        const auto crc = ComputeCrc16(f.data(), 32);
        EXPECT_EQ(f[32], crc[0]);
        EXPECT_EQ(f[33], crc[1]);
    }
    const Bytes& s = host.writes[18];
    ASSERT_EQ(host.collectedHeaders.size(), 1u);
    EXPECT_EQ(Bytes(host.collectedHeaders[0].begin(), host.collectedHeaders[0].begin() + 4),
              (Bytes{'W', 5, 0, 0x20}));
    EXPECT_EQ(Bytes(host.collectedHeaders[0].begin() + 4, host.collectedHeaders[0].end()),
              Bytes(28, 0));
    for (std::size_t i = 0; i < 32; ++i) {
        std::uint8_t expected = 0;
        if (i < 4)
            expected = Bytes{'W', 5, 0, 0x20}[i];
        else if (i == 4 || (i >= 14 && i <= 19))
            expected = 0x77;
        EXPECT_EQ(s[i], expected) << "settings frame byte " << i;
    }
    const auto crc = ComputeCrc16(s.data(), 32);
    EXPECT_EQ(s[32], crc[0]);
    EXPECT_EQ(s[33], crc[1]);

    // An acknowledgement after completion moves the counter on and sends nothing.
    Deliver(kAckBytes);
    EXPECT_EQ(engine.BlockCounter(), 101);
    EXPECT_EQ(host.writes.size(), 19u);
    EXPECT_EQ(host.results.size(), 1u);
}

TEST_F(RadioProtocolTest, EmptyDeliveryDoesNothing)
{
    StartRead();
    engine.OnReceive(nullptr, 0);
    engine.OnReceive(kAckBytes.data(), 0);
    EXPECT_EQ(host.writes.size(), 1u); // the handshake only
    EXPECT_EQ(engine.BlockCounter(), 0);
    EXPECT_FALSE(engine.SendPending());
}

TEST_F(RadioProtocolTest, IdentificationOutsideAnOperationOnlySetsTheEvent)
{
    Bytes longer = kIdent;
    longer.push_back('x');
    Deliver(longer);
    EXPECT_TRUE(engine.RadioFoundEvent().IsSet());
    EXPECT_TRUE(host.writes.empty());
    Deliver(kAckBytes); // acted upon only during an operation
    EXPECT_TRUE(host.writes.empty());
    EXPECT_EQ(engine.BlockCounter(), 0);
}

TEST_F(RadioProtocolTest, IdentificationIsExactAndMayArriveInPieces)
{
    for (const Bytes& b : {Bytes{'K', 'T', 'Z', '5', '1'}, Bytes{'k', 't', 'z', '5', '1', '7'},
                           Bytes{'K', 'T', 'Z', '5', '1', '8'}}) {
        Deliver(b);
        EXPECT_FALSE(engine.RadioFoundEvent().IsSet());
    }
    // An adapter that hands the identification over in two packets.
    Deliver(Bytes{'K', 'T', 'Z'});
    EXPECT_FALSE(engine.RadioFoundEvent().IsSet());
    Deliver(Bytes{'5', '1', '7'});
    EXPECT_TRUE(engine.RadioFoundEvent().IsSet());
}

TEST_F(RadioProtocolTest, IdentificationMidOperationRestartsFromZero)
{
    StartRead();
    Deliver(kIdent);
    Deliver(kAckBytes);
    Deliver(ChannelReply(1, MakeRecord(1)));
    Deliver(ChannelReply(2, MakeRecord(2)));
    ASSERT_EQ(engine.BlockCounter(), 3);
    ASSERT_FALSE(engine.SendPending());
    const std::size_t writesBefore = host.writes.size();

    Deliver(kIdent);
    EXPECT_EQ(engine.BlockCounter(), 0);
    EXPECT_FALSE(engine.SendPending());
    ASSERT_EQ(host.writes.size(), writesBefore + 1);
    EXPECT_EQ(host.writes.back(), kAckBytes);

    Deliver(kAckBytes);
    EXPECT_EQ(host.writes.back(), (Bytes{'R', 0, 1, 0x20}));
}

TEST_F(RadioProtocolTest, ReplyForAnotherBlockSkipsThatRow)
{
    const ChannelRecord untouched = MakeRecord(99);
    host.rows[2] = untouched;
    StartRead();
    Deliver(kIdent);
    Deliver(kAckBytes);
    Deliver(ChannelReply(1, MakeRecord(1)));
    Deliver(ChannelReply(2, MakeRecord(2)));
    Deliver(ChannelReply(4, MakeRecord(4))); // asked for 3
    EXPECT_EQ(host.rows[2], untouched);
    EXPECT_EQ(engine.BlockCounter(), 4);
    EXPECT_EQ(host.writes.back(), (Bytes{'R', 0, 4, 0x20}));
    for (int block = 4; block <= 16; ++block)
        Deliver(ChannelReply(block, MakeRecord(block)));
    Deliver(SettingsReply());
    // The read went to its end, but it is no success: channel 3 was not read.
    EXPECT_EQ(host.results, std::vector<int>{RESULT_READ_INCOMPLETE});
    EXPECT_EQ(engine.SkippedChannels(), 1u << 2);
    EXPECT_EQ(host.receivedRows.size(), 15u);

    // The next read starts with a clean slate.
    engine.DialogEnded();
    host.results.clear();
    RunCompleteRead();
    EXPECT_EQ(host.results, std::vector<int>{RESULT_DONE});
    EXPECT_EQ(engine.SkippedChannels(), 0u);
}

// Replies split by an adapter are put together; a record is stored only when whole.
TEST_F(RadioProtocolTest, SplitRepliesAreStoredOnlyWhenWhole)
{
    StartRead();
    Deliver(kIdent);
    Deliver(kAckBytes);
    const Bytes reply = ChannelReply(1, MakeRecord(1));
    Deliver(Bytes(reply.begin(), reply.begin() + 10));
    EXPECT_TRUE(host.receivedRows.empty());
    EXPECT_EQ(engine.BlockCounter(), 1);
    Deliver(Bytes(reply.begin() + 10, reply.end()));
    EXPECT_EQ(host.receivedRows, std::vector<int>{0});
    EXPECT_EQ(host.rows[0], MakeRecord(1));
    EXPECT_EQ(engine.BlockCounter(), 2);

    for (int block = 2; block <= 16; ++block)
        Deliver(ChannelReply(block, MakeRecord(block)));
    // A settings reply cut short sets nothing and ends nothing; the watchdog ends the read.
    const Bytes settings = SettingsReply();
    Deliver(Bytes(settings.begin(), settings.begin() + 12));
    EXPECT_TRUE(host.settingsFrames.empty());
    EXPECT_TRUE(host.results.empty());
    EXPECT_FALSE(engine.WatchdogTick());
    EXPECT_TRUE(engine.WatchdogTick());
    EXPECT_EQ(host.results, std::vector<int>{TIMER_WATCHDOG});
}

TEST_F(RadioProtocolTest, SettingsReplyWithout05EndsInTheWatchdog)
{
    StartRead();
    Deliver(kIdent);
    Deliver(kAckBytes);
    for (int block = 1; block <= 16; ++block)
        Deliver(ChannelReply(block, MakeRecord(block)));
    const std::size_t writes = host.writes.size();
    Deliver(SettingsReply(0x00));
    EXPECT_EQ(engine.BlockCounter(), 18);
    EXPECT_EQ(host.writes.size(), writes); // no further request
    EXPECT_TRUE(host.settingsFrames.empty());
    EXPECT_FALSE(engine.WatchdogTick()); // 18 > 0
    EXPECT_TRUE(engine.WatchdogTick());
    EXPECT_EQ(host.results, std::vector<int>{TIMER_WATCHDOG});
}

TEST_F(RadioProtocolTest, AckWithoutIdentificationAfterACompleteReadIsIgnored)
{
    RunCompleteRead();
    engine.DialogEnded();
    host.results.clear();
    host.writes.clear();

    StartRead();
    Deliver(kAckBytes); // sendPending is still 1 from the last read
    EXPECT_EQ(host.writes.size(), 1u);
    EXPECT_EQ(engine.BlockCounter(), 0);
    EXPECT_TRUE(engine.WatchdogTick());
    EXPECT_EQ(host.results, std::vector<int>{TIMER_WATCHDOG});
    EXPECT_EQ(engine.BlockCounter(), 0);
}

TEST_F(RadioProtocolTest, WriteAcknowledgementNeedsNoIdentification)
{
    StartWrite();
    Deliver(kAckBytes);
    EXPECT_EQ(engine.BlockCounter(), 1);
    EXPECT_EQ(host.writes.back().size(), 34u);
}

// Replies belong to reads: in a write they must not skip a block, overwrite the rows or the
// settings being written, or make the program ask the radio for data.
TEST_F(RadioProtocolTest, WriteIgnoresEverythingButAcknowledgements)
{
    host.rows[1] = MakeRecord(2);
    StartWrite();
    Deliver(kIdent);
    Deliver(kAckBytes); // frame 1 goes out, counter 1
    const std::size_t writesBefore = host.writes.size();
    Deliver(ChannelReply(1, MakeRecord(9)));
    Deliver(ChannelReply(5, MakeRecord(9)));
    Deliver(SettingsReply());
    Deliver(Bytes{0x15, 0x07});
    EXPECT_EQ(engine.BlockCounter(), 1);
    EXPECT_EQ(host.writes.size(), writesBefore);
    EXPECT_TRUE(host.receivedRows.empty());
    EXPECT_TRUE(host.settingsFrames.empty());
    EXPECT_TRUE(host.results.empty());

    Deliver(kAckBytes); // the next acknowledgement still sends block 2
    EXPECT_EQ(engine.BlockCounter(), 2);
    ASSERT_EQ(host.writes.back().size(), 34u);
    EXPECT_EQ(host.writes.back()[2], 2);
    const ChannelRecord record = MakeRecord(2);
    EXPECT_EQ(Bytes(host.writes.back().begin() + 4, host.writes.back().begin() + 28),
              Bytes(record.bytes.begin(), record.bytes.end()));
}

TEST_F(RadioProtocolTest, NothingHappensAfterTheDialogEnded)
{
    StartRead();
    engine.DialogEnded();
    Deliver(kIdent);
    Deliver(kAckBytes);
    EXPECT_EQ(host.writes.size(), 1u);
    EXPECT_FALSE(engine.WatchdogTick());
}

struct WatchdogCase
{
    const char* name;
    std::vector<int> acksBeforeTick; // acknowledgements delivered before each tick
    int endingTick;                  // 1-based tick that ends the operation, 0 = none
    int counterAtEnd;
};

class WatchdogTest : public RadioProtocolTest, public ::testing::WithParamInterface<WatchdogCase>
{};

TEST_P(WatchdogTest, EndsWhenASecondPassesWithoutProgress)
{
    const WatchdogCase& c = GetParam();
    StartWrite();
    int endedAt = 0;
    for (std::size_t tick = 0; tick < c.acksBeforeTick.size(); ++tick) {
        for (int i = 0; i < c.acksBeforeTick[tick]; ++i)
            Deliver(kAckBytes);
        if (engine.WatchdogTick()) {
            endedAt = static_cast<int>(tick) + 1;
            break;
        }
    }
    EXPECT_EQ(endedAt, c.endingTick);
    if (c.endingTick != 0) {
        EXPECT_EQ(host.results, std::vector<int>{TIMER_WATCHDOG});
        EXPECT_EQ(engine.BlockCounter(), c.counterAtEnd);
        EXPECT_FALSE(engine.IsOperationInProgress());
    } else {
        EXPECT_TRUE(host.results.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Rule, WatchdogTest,
                         ::testing::Values(WatchdogCase{"SilentRadio", {0}, 1, 0},
                                           WatchdogCase{"StallAfterThree", {1, 2, 0}, 3, 3},
                                           WatchdogCase{
                                               "OneBlockASecondIsEnough", {1, 1, 1, 1, 1}, 0, 0},
                                           WatchdogCase{"StallAtOnce", {2, 0, 0}, 2, 2}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(RadioProtocolTest, FailedWriteEndsTheOperationAtOnce)
{
    host.failWriteNumber = 3; // handshake, acknowledgement, then the first request fails
    StartRead();
    Deliver(kIdent);
    Deliver(kAckBytes);
    EXPECT_EQ(host.results, std::vector<int>{RESULT_PORT_FAILED});
    EXPECT_FALSE(engine.IsOperationInProgress());
    Deliver(ChannelReply(1, MakeRecord(1)));
    EXPECT_TRUE(host.receivedRows.empty());
    EXPECT_FALSE(engine.WatchdogTick());
    EXPECT_EQ(host.results.size(), 1u);
}

TEST_F(RadioProtocolTest, FailedHandshakeEndsTheOperationAtOnce)
{
    host.failWriteNumber = 1;
    engine.StartOperation(true);
    EXPECT_FALSE(engine.BeginDialog());
    EXPECT_EQ(host.results, std::vector<int>{RESULT_PORT_FAILED});
    EXPECT_FALSE(engine.IsOperationInProgress());
}

TEST_F(RadioProtocolTest, OperationEndsOnlyOnce)
{
    StartWrite();
    Deliver(kIdent);
    for (int ack = 1; ack <= 18; ++ack)
        Deliver(kAckBytes);
    ASSERT_EQ(host.results, std::vector<int>{RESULT_DONE});
    // The dialog is still up until its loop returns; a watchdog firing then ends nothing more.
    EXPECT_FALSE(engine.WatchdogTick()); // 100 > 0
    EXPECT_TRUE(engine.WatchdogTick());
    EXPECT_EQ(host.results, std::vector<int>{RESULT_DONE});
}

} // namespace
