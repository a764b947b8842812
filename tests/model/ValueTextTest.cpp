#include "model/ValueText.h"
#include "SeparatorGuard.h"

#include <gtest/gtest.h>

// std
#include <cmath>
#include <string>

namespace {

TEST(FormatFrequency, FiveDecimalsWithTheHeldSeparator)
{
    {
        SeparatorGuard comma(',');
        EXPECT_EQ(FormatFrequency(433075000), "433,07500");
        EXPECT_EQ(FormatFrequency(0), "0,00000");
        EXPECT_EQ(FormatFrequency(705032704), "705,03270");
        EXPECT_EQ(FormatMegahertz(433.1), "433,10000");
    }
    SeparatorGuard point('.');
    EXPECT_EQ(FormatFrequency(433075000), "433.07500");
    EXPECT_EQ(FormatFrequency(433450000), "433.45000");
}

struct FrequencyCase
{
    const char* text; // ',' stands for the held separator
    std::optional<std::uint32_t> hz;
};

class ParseFrequencyTest : public ::testing::TestWithParam<std::tuple<FrequencyCase, char>>
{};

TEST_P(ParseFrequencyTest, ReadsTheLeadingNumber)
{
    const auto& [c, separator] = GetParam();
    SeparatorGuard guard(separator);
    std::string text = c.text;
    for (char& ch : text) {
        if (ch == ',')
            ch = separator;
    }
    EXPECT_EQ(ParseFrequency(text), c.hz) << text;
}

const FrequencyCase kFrequencyCases[] = {
    {"433,07500", 433075000u},
    {"433,1", 433100000u},
    {"433", 433000000u},
    {"  433,1", 433100000u}, // leading blanks are skipped
    {"433,1abc", 433100000u},
    {"", 0u}, // no number gives 0
    {"abc", 0u},
    {",5", 500000u},
    {"0,0000019", 1u}, // truncated toward zero, never rounded up
    {"433,0749999999", 433074999u},
    {"4294,967295", 4294967295u},
    {"4294,967296", std::nullopt}, // would wrap around: not acceptable
    {"5000", std::nullopt},
    {"-5", std::nullopt},
    {"1e2", 100000000u},
};

INSTANTIATE_TEST_SUITE_P(BothSeparators, ParseFrequencyTest,
                         ::testing::Combine(::testing::ValuesIn(kFrequencyCases),
                                            ::testing::Values(',', '.')));

TEST(ParseFrequency, TheOtherSeparatorEndsTheNumber)
{
    SeparatorGuard comma(',');
    EXPECT_EQ(ParseFrequency("433.1"), 433000000u);
    SeparatorGuard point('.');
    EXPECT_EQ(ParseFrequency("433,1"), 433000000u);
}

TEST(LeadingNumber, ReadsAsCsConversionDoes)
{
    SeparatorGuard point('.');
    EXPECT_DOUBLE_EQ(LeadingNumber("+3.5x"), 3.5);
    EXPECT_DOUBLE_EQ(LeadingNumber("-2"), -2.0);
    EXPECT_DOUBLE_EQ(LeadingNumber("0x10"), 16.0);
    EXPECT_DOUBLE_EQ(LeadingNumber("1.5e"), 1.5);
    EXPECT_DOUBLE_EQ(LeadingNumber("1e-999"), 0.0);
    EXPECT_TRUE(std::isinf(LeadingNumber("1e999")));
    EXPECT_DOUBLE_EQ(LeadingNumber("+-1"), 0.0);
    EXPECT_DOUBLE_EQ(LeadingNumber("1.2.3"), 1.2);
}

// In the radio's band every 12.5 kHz channel survives a render and a parse.
TEST(Frequency, BandChannelsRoundTripThroughText)
{
    for (char separator : {',', '.'}) {
        SeparatorGuard guard(separator);
        for (std::uint32_t hz = 400000000; hz <= 480000000; hz += 12500)
            ASSERT_EQ(ParseFrequency(FormatFrequency(hz)), hz) << FormatFrequency(hz);
    }
}

} // namespace
