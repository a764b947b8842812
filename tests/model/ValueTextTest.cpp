#include "model/ValueText.h"
#include "model/DecimalSeparator.h"
#include "tests/support/SeparatorGuard.h"

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

class ParseFrequencyTest : public ::testing::TestWithParam<std::tuple<FrequencyCase, std::string>>
{};

TEST_P(ParseFrequencyTest, ReadsTheLeadingNumber)
{
    const auto& [c, separator] = GetParam();
    SeparatorGuard guard(separator);
    std::string text = c.text;
    for (std::size_t at = text.find(','); at != std::string::npos;
         at = text.find(',', at + separator.size()))
        text.replace(at, 1, separator);
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

// Comma, point, and the two-byte U+066B of ps_AF.
INSTANTIATE_TEST_SUITE_P(EachSeparator, ParseFrequencyTest,
                         ::testing::Combine(::testing::ValuesIn(kFrequencyCases),
                                            ::testing::Values(",", ".", "\u066B")));

// The separator is one whole character: a multi-byte one writes and reads back whole, and
// anything that is not one usable character holds '.' rather than a broken byte.
TEST(DecimalSeparator, HeldAsAWholeCharacter)
{
    {
        SeparatorGuard arabic("\u066B");
        EXPECT_EQ(DecimalSeparatorChar(), U'\u066B');
        EXPECT_EQ(FormatFrequency(433075000), "433\u066B07500");
        EXPECT_EQ(ParseFrequency(FormatFrequency(433075000)), 433075000u);
        EXPECT_EQ(ParseFrequency("433.1"), 433000000u); // the point ends the number
    }
    EXPECT_EQ(DecimalSeparatorChar(), U',');
    const char* const unusable[] = {"",  "\xD9", "\xAB", "\xD9\xAB\xD9\xAB", "\xC0\xAE", "5",
                                    "N", " ",    "-",    "\xF0\x9F\x98\x80"};
    for (const char* bytes : unusable) {
        SeparatorGuard guard(bytes);
        EXPECT_EQ(DecimalSeparatorChar(), U'.') << bytes;
        EXPECT_EQ(FormatFrequency(433075000), "433.07500");
    }
}

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
