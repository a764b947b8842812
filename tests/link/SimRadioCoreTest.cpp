// The simulated radio's own parser: a byte stream in any split, its answers and its faults.

#include "tools/simradio/SimRadioCore.h"
#include "file/Crc16.h"
#include "tools/simradio/SimRadio.h"

#include <gtest/gtest.h>

// std
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

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
        FaultText{"", std::nullopt}));

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
