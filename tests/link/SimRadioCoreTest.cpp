// The simulated radio's own parser: a byte stream in any split, its answers and its faults.

#include "tools/simradio/SimRadioCore.h"
#include "file/Crc16.h"
#include "tools/simradio/SimRadio.h"

#include <gtest/gtest.h>

// std
#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

// system
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Text(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

Bytes Feed(CSimRadioCore& radio, const Bytes& in)
{
    Bytes out;
    for (const SimOutput& o : radio.Feed(in.data(), in.size()))
        out.insert(out.end(), o.bytes.begin(), o.bytes.end());
    return out;
}

// Brings a radio into its session: handshake, identification, acknowledgements.
void Connect(CSimRadioCore& radio)
{
    ASSERT_EQ(Feed(radio, Text("PROGRAM")), Text("KTZ517"));
    ASSERT_EQ(Feed(radio, {0x06}), Bytes{0x06});
}

Bytes Frame(std::uint8_t b1, std::uint8_t b2, std::uint8_t fill)
{
    Bytes f(34, fill);
    f[0] = 'W';
    f[1] = b1;
    f[2] = b2;
    f[3] = 0x20;
    const auto crc = ComputeCrc16(f.data(), 32);
    f[32] = crc[0];
    f[33] = crc[1];
    return f;
}

struct FaultText
{
    const char* text;
    std::optional<SimFault> expected;
};

class SimFaultParse : public ::testing::TestWithParam<FaultText>
{};

TEST_P(SimFaultParse, Parses)
{
    EXPECT_EQ(ParseSimFault(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SimFaultParse,
    ::testing::Values(
        FaultText{"none", SimFault{}}, FaultText{"no-ident", SimFault{SimFault::Kind::NoIdent, 0}},
        FaultText{"no-settings-ack", SimFault{SimFault::Kind::NoSettingsAck, 0}},
        FaultText{"stall-after=3", SimFault{SimFault::Kind::StallAfter, 3}},
        FaultText{"wrong-block=17", SimFault{SimFault::Kind::WrongBlock, 17}},
        FaultText{"garbage-before=0", SimFault{SimFault::Kind::GarbageBefore, 0}},
        FaultText{"hangup-after=16", SimFault{SimFault::Kind::HangupAfter, 16}},
        FaultText{"ident-at=6", SimFault{SimFault::Kind::IdentAt, 6}},
        FaultText{"stall-after", std::nullopt}, FaultText{"stall-after=18", std::nullopt},
        FaultText{"stall-after=3x", std::nullopt}, FaultText{"stall-after=-1", std::nullopt},
        FaultText{"no-ident=2", std::nullopt}, FaultText{"bogus", std::nullopt},
        FaultText{"", std::nullopt},
        FaultText{"late-ident=60", SimFault{SimFault::Kind::LateIdent, 0, 60}},
        FaultText{"short-settings=0", SimFault{SimFault::Kind::ShortSettings, 0, 0}},
        FaultText{"short-settings=33", SimFault{SimFault::Kind::ShortSettings, 0, 33}},
        FaultText{"short-settings=34", std::nullopt}, FaultText{"late-ident", std::nullopt},
        FaultText{"late-ident=10001", std::nullopt}));

TEST(SimAdapterParse, TakesEveryModelAndModifierAndNamesWhatIsWrong)
{
    using Model = SimAdapter::Model;
    auto parse = [](const char* text) {
        std::string error;
        const auto adapter = ParseSimAdapter(text, &error);
        EXPECT_TRUE(adapter) << text << ": " << error;
        return adapter.value_or(SimAdapter{});
    };
    EXPECT_EQ(parse("direct"), SimAdapter{});
    EXPECT_TRUE(parse("direct").IsPlain());
    EXPECT_EQ(parse("ftdi").model, Model::Ftdi);
    EXPECT_EQ(parse("ftdi").latencyMs, 16);
    EXPECT_EQ(parse("ftdi:1").latencyMs, 1);
    EXPECT_EQ(parse("pl2303").model, Model::Pl2303);
    EXPECT_EQ(parse("ch340").model, Model::Ch340);
    const SimAdapter combined = parse("ftdi:16,jitter:4,seed:7,split:8:17:25");
    EXPECT_EQ(combined.model, Model::Ftdi);
    EXPECT_EQ(combined.jitterMs, 4);
    EXPECT_EQ(combined.seed, 7u);
    EXPECT_EQ(combined.split, (SimAdapter::Split{8, 17, 25}));
    EXPECT_EQ(parse("jitter:3").model, Model::Direct);
    EXPECT_FALSE(parse("jitter:3").IsPlain());
    EXPECT_EQ(parse("split:1:0").split, (SimAdapter::Split{0, 1, 0})); // every answer

    for (const char* bad :
         {"",         "ftdi:0",     "ftdi:256",       "ftdi:16:2",    "ftdi:x",
          "pl2303:1", "ftdi,ch340", "jitter",         "jitter:-1",    "jitter:4x",
          "split:5",  "split:0:5",  "split:34:5",     "split:18:1:5", "split:1:2:3:4",
          "seed:",    "usb",        "ftdi,,jitter:1", "FTDI",         "ftdi ,jitter:1"}) {
        std::string error;
        EXPECT_FALSE(ParseSimAdapter(bad, &error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
        EXPECT_FALSE(ParseSimAdapter(bad)) << bad; // no error wanted: still no crash
    }
    std::string error;
    EXPECT_FALSE(ParseSimAdapter("ftdi:16,split:1:99:5", &error));
    EXPECT_NE(error.find("split:1:99:5"), std::string::npos) << error;
}

// The pieces an adapter makes of an answer: all bytes in order, when its timer allows.
TEST(SimAdapterLine, PiecesFollowTheModelsTimerAndRepeatWithTheSeed)
{
    using std::chrono::microseconds;
    using std::chrono::milliseconds;
    const microseconds byte9600(1042);
    auto total = [](const std::vector<SimPiece>& pieces) {
        std::size_t n = 0;
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            n += pieces[i].count;
            if (i > 0) {
                EXPECT_GE(pieces[i].at, pieces[i - 1].at);
            }
        }
        return n;
    };

    // FTDI: the 35 ms of a reply meet two to four ticks, all on one 16 ms grid.
    CSimAdapterLine ftdi(*ParseSimAdapter("ftdi,seed:3"));
    for (int reply = 0; reply < 20; ++reply) {
        const microseconds since = milliseconds(1000) + microseconds(7919 * reply);
        const auto pieces = ftdi.Plan(34, 1, byte9600, since);
        EXPECT_EQ(total(pieces), 34u);
        EXPECT_GE(pieces.size(), 2u);
        EXPECT_LE(pieces.size(), 4u);
        for (const SimPiece& p : pieces)
            EXPECT_EQ((p.at - pieces[0].at) % milliseconds(16), microseconds(0));
        EXPECT_LT(pieces[0].at, milliseconds(16));  // the first tick
        EXPECT_GE(pieces.back().at, byte9600 * 33); // after the last byte
        EXPECT_LT(pieces.back().at, byte9600 * 33 + milliseconds(16));
    }
    // A full packet goes at once, the rest at the next tick.
    const auto burst = CSimAdapterLine(*ParseSimAdapter("ftdi")).Plan(100, 1, {}, milliseconds(5));
    ASSERT_EQ(burst.size(), 2u);
    EXPECT_EQ(burst[0], (SimPiece{microseconds(0), 62}));
    EXPECT_EQ(burst[1].count, 38u);

    // The split cuts only its block's answer; direct hands over everything else as it comes.
    CSimAdapterLine split(*ParseSimAdapter("split:8:17:25"));
    EXPECT_EQ(split.Plan(34, 7, {}, {}), (std::vector<SimPiece>{{microseconds(0), 34}}));
    EXPECT_EQ(split.Plan(34, 8, {}, {}),
              (std::vector<SimPiece>{{microseconds(0), 17}, {milliseconds(25), 17}}));
    EXPECT_EQ(CSimAdapterLine(*ParseSimAdapter("split:4:40")).Plan(6, -1, {}, {}).size(), 2u);

    // PL2303 and CH340: small pieces a few ms apart; jitter never reorders.
    for (const char* text : {"pl2303", "ch340", "ch340,jitter:6", "ftdi:1,jitter:4"}) {
        CSimAdapterLine a(*ParseSimAdapter(text));
        CSimAdapterLine b(*ParseSimAdapter(text));
        CSimAdapterLine other(*ParseSimAdapter(std::string(text) + ",seed:99"));
        const auto pieces = a.Plan(34, 1, byte9600, milliseconds(3));
        EXPECT_EQ(total(pieces), 34u) << text;
        EXPECT_GE(pieces.size(), 8u) << text;
        EXPECT_EQ(b.Plan(34, 1, byte9600, milliseconds(3)), pieces) << text;
        if (std::string(text) != "pl2303") { // the only model without a random draw
            EXPECT_NE(other.Plan(34, 1, byte9600, milliseconds(3)), pieces) << text;
        }
    }
}

TEST(SimRadioCore, HearsTheHandshakeInPiecesAndAfterNoise)
{
    CSimRadioCore radio;
    EXPECT_TRUE(Feed(radio, Text("xxPRO")).empty());
    EXPECT_TRUE(Feed(radio, Text("GR")).empty());
    EXPECT_EQ(Feed(radio, Text("AM")), Text("KTZ517"));
    EXPECT_EQ(radio.discardedBytes, 2u);
    EXPECT_EQ(radio.handshakes, 1);
    // No answer before the program's acknowledgement.
    EXPECT_TRUE(Feed(radio, {'R', 0, 1, 0x20}).empty());
}

TEST(SimRadioCore, AnswersReadRequestsWithItsImage)
{
    const RadioImage image = CSimRadioCore::DefaultImage();
    CSimRadioCore radio(image);
    Connect(radio);
    for (int block = 1; block <= 16; ++block) {
        const Bytes reply = Feed(radio, {'R', 0, static_cast<std::uint8_t>(block), 0x20});
        ASSERT_EQ(reply.size(), 34u);
        EXPECT_EQ(reply[0], 'W');
        EXPECT_EQ(reply[2], block);
        const ChannelRecord& r = image.channels[static_cast<std::size_t>(block - 1)];
        EXPECT_EQ(Bytes(reply.begin() + 4, reply.begin() + 28),
                  Bytes(r.bytes.begin(), r.bytes.end()));
        const auto crc = ComputeCrc16(reply.data(), 32);
        EXPECT_EQ(reply[32], crc[0]);
        EXPECT_EQ(reply[33], crc[1]);
    }
    const Bytes settings = Feed(radio, {'R', 0, 17, 0x20});
    ASSERT_EQ(settings.size(), 34u);
    EXPECT_EQ(Bytes(settings.begin(), settings.begin() + 4), (Bytes{'W', 0x05, 0, 0x20}));
    EXPECT_EQ(Bytes(settings.begin() + 4, settings.begin() + 28),
              Bytes(image.settings.bytes.begin() + 4, image.settings.bytes.end()));
}

TEST(SimRadioCore, TakesFramesSplitAnywhereAndRejectsBadChecksums)
{
    CSimRadioCore radio;
    Connect(radio);
    const Bytes frame = Frame(0x00, 3, 0x42);
    EXPECT_TRUE(Feed(radio, Bytes(frame.begin(), frame.begin() + 1)).empty());
    EXPECT_TRUE(Feed(radio, Bytes(frame.begin() + 1, frame.begin() + 20)).empty());
    EXPECT_EQ(Feed(radio, Bytes(frame.begin() + 20, frame.end())), Bytes{0x06});
    EXPECT_EQ(radio.Image().channels[2].bytes[0], 0x42);

    Bytes damaged = Frame(0x00, 4, 0x43);
    damaged[10] ^= 0x01;
    EXPECT_TRUE(Feed(radio, damaged).empty());
    EXPECT_EQ(radio.rejected.size(), 1u);
    EXPECT_NE(radio.Image().channels[3].bytes[0], 0x43);

    // Two messages in one piece are both answered.
    Bytes two = Frame(0x00, 5, 0x44);
    const Bytes settings = Frame(0x05, 0x00, 0x07);
    two.insert(two.end(), settings.begin(), settings.end());
    EXPECT_EQ(Feed(radio, two), (Bytes{0x06, 0x06}));
    EXPECT_EQ(radio.writesCompleted, 1);
    EXPECT_EQ(radio.Image().settings.bytes[4], 0x07);
    EXPECT_EQ(radio.Image().settings.bytes[0], 0x00); // the header is not stored
}

TEST(SimRadioCore, FaultsChangeTheAnswers)
{
    {
        CSimRadioCore radio;
        radio.SetFault({SimFault::Kind::NoIdent, 0});
        EXPECT_TRUE(Feed(radio, Text("PROGRAM")).empty());
    }
    {
        CSimRadioCore radio;
        radio.SetFault({SimFault::Kind::WrongBlock, 2});
        Connect(radio);
        EXPECT_EQ(Feed(radio, {'R', 0, 2, 0x20})[2], 3);
    }
    {
        CSimRadioCore radio;
        radio.SetFault({SimFault::Kind::StallAfter, 1});
        Connect(radio);
        EXPECT_EQ(Feed(radio, {'R', 0, 1, 0x20}).size(), 34u);
        EXPECT_TRUE(Feed(radio, {'R', 0, 2, 0x20}).empty());
        Connect(radio); // a new handshake wakes it
    }
    {
        CSimRadioCore radio;
        radio.SetFault({SimFault::Kind::GarbageBefore, 1});
        Connect(radio);
        const Bytes reply = Feed(radio, {'R', 0, 1, 0x20});
        EXPECT_EQ(reply.size(), 39u);
        EXPECT_NE(reply[0], 'W');
    }
    {
        CSimRadioCore radio;
        radio.SetFault({SimFault::Kind::HangupAfter, 0});
        EXPECT_EQ(Feed(radio, Text("PROGRAM")), Text("KTZ517"));
        const auto out = radio.Feed(Bytes{0x06}.data(), 1);
        ASSERT_EQ(out.size(), 1u);
        EXPECT_TRUE(out[0].hangup);
        EXPECT_TRUE(Feed(radio, Text("PROGRAM")).empty());
    }
    {
        CSimRadioCore radio;
        radio.SetFault({SimFault::Kind::IdentAt, 2});
        Connect(radio);
        EXPECT_EQ(Feed(radio, {'R', 0, 2, 0x20}), Text("KTZ517"));
        EXPECT_EQ(Feed(radio, {0x06}), Bytes{0x06});
        EXPECT_EQ(Feed(radio, {'R', 0, 2, 0x20}).size(), 34u); // only once
    }
    {
        CSimRadioCore radio;
        radio.SetFault({SimFault::Kind::LateIdent, 0, 60});
        const auto out = radio.Feed(Text("PROGRAM").data(), 7);
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(out[0].bytes, Text("KTZ517"));
        EXPECT_EQ(out[0].delay, std::chrono::milliseconds(60));
        EXPECT_EQ(Feed(radio, {0x06}), Bytes{0x06}); // only the identification is late
    }
    {
        const RadioImage image = CSimRadioCore::DefaultImage();
        CSimRadioCore radio(image);
        radio.SetFault({SimFault::Kind::ShortSettings, 0, 20});
        Connect(radio);
        EXPECT_EQ(Feed(radio, {'R', 0, 16, 0x20}).size(), 34u);
        const Bytes whole = CSimRadioCore::SettingsReply(image.settings);
        EXPECT_EQ(Feed(radio, {'R', 0, 17, 0x20}), Bytes(whole.begin(), whole.begin() + 20));
    }
}

// The program's end of the simulated radio's line, read with the time of every piece.
class CProgramEnd
{
public:
    explicit CProgramEnd(const std::string& path)
        : m_fd(open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK))
    {
        termios raw{};
        tcgetattr(m_fd, &raw);
        cfmakeraw(&raw);
        tcsetattr(m_fd, TCSANOW, &raw);
    }
    ~CProgramEnd() { close(m_fd); }
    CProgramEnd(const CProgramEnd&) = delete;
    CProgramEnd& operator=(const CProgramEnd&) = delete;

    void Send(const Bytes& bytes)
    {
        ASSERT_EQ(write(m_fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }
    // The pieces of `count` bytes as they arrive (each read at once when it does), 2 s at most.
    std::vector<Bytes> Receive(std::size_t count)
    {
        std::vector<Bytes> pieces;
        std::size_t got = 0;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (got < count && std::chrono::steady_clock::now() < end) {
            pollfd p{m_fd, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0)
                continue;
            std::uint8_t buffer[256];
            const ssize_t n = read(m_fd, buffer, sizeof buffer);
            if (n > 0) {
                pieces.emplace_back(buffer, buffer + n);
                got += static_cast<std::size_t>(n);
            }
        }
        return pieces;
    }

private:
    int m_fd;
};

Bytes Joined(const std::vector<Bytes>& pieces)
{
    Bytes all;
    for (const Bytes& p : pieces)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

TEST(SimRadioAdapter, FtdiHandsAReplyOverInPacketsAtItsTicks)
{
    const RadioImage image = CSimRadioCore::DefaultImage();
    CSimRadio radio(image);
    radio.SetAdapter(*ParseSimAdapter("ftdi,seed:5"));
    ASSERT_TRUE(radio.Start()) << radio.Error();
    CProgramEnd program(radio.SlavePath());
    program.Send(Text("PROGRAM"));
    EXPECT_EQ(Joined(program.Receive(6)), Text("KTZ517"));
    program.Send({0x06});
    EXPECT_EQ(Joined(program.Receive(1)), Bytes{0x06});

    for (int block = 1; block <= 3; ++block) {
        program.Send({'R', 0, static_cast<std::uint8_t>(block), 0x20});
        const auto sent = std::chrono::steady_clock::now();
        const std::vector<Bytes> pieces = program.Receive(34);
        const auto lastArrived = std::chrono::steady_clock::now();
        EXPECT_EQ(Joined(pieces), CSimRadioCore::ChannelReply(block, image.channels[block - 1]));
        // 35 ms of line time meet two to four 16 ms ticks (a direct line gives a piece a
        // byte); the last piece waits for a tick after the last byte has left the radio.
        EXPECT_GE(pieces.size(), 2u) << "block " << block;
        EXPECT_LE(pieces.size(), 4u) << "block " << block;
        EXPECT_GE(lastArrived - sent, CSimRadio::kByteTime9600 * 33) << "block " << block;
    }
    // The radio heard exactly what was sent, however its answers went.
    EXPECT_EQ(radio.BytesIn(), 7u + 1u + 3u * 4u);
    EXPECT_EQ(radio.Core().discardedBytes, 0u);
}

TEST(SimRadioFiles, SaveAndLoadRoundTripAndBadFilesAreRefused)
{
    const std::string path = ::testing::TempDir() + "simradio-roundtrip.kt";
    const RadioImage image = CSimRadioCore::DefaultImage();
    std::string error;
    ASSERT_TRUE(SaveKtImage(path, image, error)) << error;
    RadioImage loaded;
    ASSERT_TRUE(LoadKtImage(path, loaded, error)) << error;
    for (int i = 0; i < kChannelCount; ++i)
        EXPECT_EQ(loaded.channels[static_cast<std::size_t>(i)],
                  image.channels[static_cast<std::size_t>(i)]);
    for (std::size_t i = 4; i < SettingsRecord::kSize; ++i)
        EXPECT_EQ(loaded.settings.bytes[i], image.settings.bytes[i]) << i;

    {
        std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(100);
        f.put('\x5A');
    }
    EXPECT_FALSE(LoadKtImage(path, loaded, error));
    EXPECT_NE(error.find("checksum"), std::string::npos);
    EXPECT_FALSE(LoadKtImage(path + ".missing", loaded, error));
    std::remove(path.c_str());
}

} // namespace
