// The reply assembler with a hand-driven clock: messages cut into arbitrary deliveries come out
// whole and in order; broken-off messages and noise never come out.

#include "link/ReplyAssembler.h"

#include <gtest/gtest.h>

// std
#include <random>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

const Bytes kIdent = {'K', 'T', 'Z', '5', '1', '7'};

Bytes Reply(std::mt19937& random)
{
    // Payload bytes of every value, 'K', 'W' and 0x06 included.
    Bytes reply(CReplyAssembler::kReplySize);
    reply[0] = 'W';
    for (std::size_t i = 1; i < reply.size(); ++i)
        reply[i] = static_cast<std::uint8_t>(random());
    return reply;
}

class Assembler
{
public:
    void Feed(const Bytes& bytes, CReplyAssembler::Clock::duration after = 1ms)
    {
        now += after;
        assembler.Feed(
            bytes.data(), static_cast<std::uint32_t>(bytes.size()), now,
            [this](const std::uint8_t* m, std::uint32_t n) { out.emplace_back(m, m + n); });
    }

    CReplyAssembler assembler;
    CReplyAssembler::Clock::time_point now{};
    std::vector<Bytes> out;
};

TEST(ReplyAssembler, MessagesCutAnywhereComeOutWholeAndInOrder)
{
    std::mt19937 random(20261209);
    for (int round = 0; round < 300; ++round) {
        // A session as the radio sends it, with noise between some messages.
        std::vector<Bytes> sent;
        Bytes stream;
        std::vector<std::size_t> mustCut; // an identification's rest of burst is not read
        for (int i = 0; i < 12; ++i) {
            const int kind = static_cast<int>(random() % 3);
            sent.push_back(kind == 0 ? kIdent : kind == 1 ? Bytes{0x06} : Reply(random));
            if (random() % 4 == 0) {
                for (int n = static_cast<int>(random() % 5); n > 0; --n)
                    stream.push_back(static_cast<std::uint8_t>(0x30 + random() % 16)); // '0'..'?'
            }
            stream.insert(stream.end(), sent.back().begin(), sent.back().end());
            if (kind == 0)
                mustCut.push_back(stream.size());
        }
        Assembler a;
        std::size_t pos = 0;
        while (pos < stream.size()) {
            std::size_t end = std::min(stream.size(), pos + 1 + random() % 40);
            for (const std::size_t cut : mustCut) {
                if (cut > pos && cut < end)
                    end = cut;
            }
            a.Feed(Bytes(stream.begin() + static_cast<std::ptrdiff_t>(pos),
                         stream.begin() + static_cast<std::ptrdiff_t>(end)),
                   std::chrono::milliseconds(random() % 150));
            pos = end;
        }
        ASSERT_EQ(a.out, sent) << "round " << round;
        EXPECT_FALSE(a.assembler.HasPending());
    }
}

TEST(ReplyAssembler, ABrokenOffReplyIsDroppedAfterTheGap)
{
    std::mt19937 random(7);
    const Bytes reply = Reply(random);
    Assembler a;
    a.Feed(Bytes(reply.begin(), reply.begin() + 20));
    EXPECT_TRUE(a.assembler.HasPending());
    // The rest never came; much later the radio identifies itself for a new operation.
    a.Feed(kIdent, CReplyAssembler::kMaxDeliveryGap + 1ms);
    EXPECT_EQ(a.out, std::vector<Bytes>{kIdent});
    EXPECT_EQ(a.assembler.DroppedBytes(), 20u);

    // Within the gap the rest completes it, whatever it holds.
    a.Feed(Bytes(reply.begin(), reply.begin() + 20));
    a.Feed(Bytes(reply.begin() + 20, reply.end()), CReplyAssembler::kMaxDeliveryGap);
    EXPECT_EQ(a.out.back(), reply);

    // A radio that breaks off and starts over within the gap is heard starting over.
    a.Feed(Bytes(reply.begin(), reply.begin() + 12));
    a.Feed(kIdent, 60ms);
    EXPECT_EQ(a.out.back(), kIdent);
    EXPECT_FALSE(a.assembler.HasPending());
}

TEST(ReplyAssembler, NoiseAndFalseStartsAreDropped)
{
    Assembler a;
    a.Feed(Bytes{0x00, 'K', 'T', 'X', 0x13, 'K', 'T', 'Z', '5', '1', '7', 'W', 0x06});
    EXPECT_EQ(a.out, std::vector<Bytes>{kIdent}); // the rest of its burst is passed over
    a.Feed(Bytes{0x15, 0x06, 0xFF});
    EXPECT_EQ(a.out.back(), Bytes{0x06});
    EXPECT_FALSE(a.assembler.HasPending());
}

} // namespace
