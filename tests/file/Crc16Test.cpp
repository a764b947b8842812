#include "file/Crc16.h"

#include <gtest/gtest.h>

// std
#include <array>
#include <cstring>

namespace {

TEST(ComputeCrc16, KnownAnswers)
{
    const char* check = "123456789";
    EXPECT_EQ(ComputeCrc16(reinterpret_cast<const std::uint8_t*>(check), 9),
              (std::array<std::uint8_t, 2>{0x4B, 0x37}));
    EXPECT_EQ(ComputeCrc16(nullptr, 0), (std::array<std::uint8_t, 2>{0xFF, 0xFF}));
}

// The two frames whose checksums are known from the radio's protocol.
TEST(ComputeCrc16, RadioFrameExamples)
{
    std::array<std::uint8_t, 32> channel{0x57, 0x00, 0x01, 0x20, 0x38, 0x33, 0xD0, 0x19, 0x38, 0x33,
                                         0xD0, 0x19, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    channel[31] = 0xFF;
    EXPECT_EQ(ComputeCrc16(channel.data(), channel.size()),
              (std::array<std::uint8_t, 2>{0x19, 0x3A}));

    std::array<std::uint8_t, 32> settings{0x57, 0x05, 0x00, 0x20};
    EXPECT_EQ(ComputeCrc16(settings.data(), settings.size()),
              (std::array<std::uint8_t, 2>{0x2A, 0xFE}));
}

} // namespace
