#include "model/ToneCode.h"
#include "tests/support/SeparatorGuard.h"

#include <gtest/gtest.h>

// std
#include <random>
#include <string>

namespace {

// Replaces ',' by the given separator, so one table row serves every locale.
std::string WithSeparator(std::string text, const std::string& separator)
{
    for (std::size_t at = text.find(','); at != std::string::npos;
         at = text.find(',', at + separator.size()))
        text.replace(at, 1, separator);
    return text;
}

// The Pashto (ps_AF) separator U+066B, two bytes in UTF-8.
const std::string kArabicSeparator = "\u066B";

TEST(ToneTextTable, HoldsTheTwoHundredEighteenTextsInOrder)
{
    SeparatorGuard comma(',');
    const auto& table = ToneTextTable();
    ASSERT_EQ(table.size(), 218u);
    EXPECT_EQ(table[0], "Нет");
    EXPECT_EQ(table[1], "62,5");
    EXPECT_EQ(table[10], "88,5");
    EXPECT_EQ(table[14], "100,0");
    EXPECT_EQ(table[21], "127,3");
    EXPECT_EQ(table[35], "179,9");
    EXPECT_EQ(table[47], "229,1");
    EXPECT_EQ(table[51], "254,1");
    EXPECT_EQ(table[52], "023N");
    EXPECT_EQ(table[69], "125N");
    EXPECT_EQ(table[134], "754N");
    EXPECT_EQ(table[135], "023I");
    EXPECT_EQ(table[217], "754I");
    for (int i = 0; i < 83; ++i)
        EXPECT_EQ(table[52 + i].substr(0, 3), table[135 + i].substr(0, 3)) << i;
}

TEST(ToneTextTable, FollowsTheSeparatorOnlyInTheTones)
{
    const std::vector<std::string> before = [] {
        SeparatorGuard comma(',');
        return ToneTextTable();
    }();
    SeparatorGuard point('.');
    const auto& table = ToneTextTable();
    EXPECT_EQ(table[1], "62.5");
    EXPECT_EQ(table[51], "254.1");
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (i >= 1 && i <= 51)
            EXPECT_EQ(table[i], WithSeparator(before[i], "."));
        else
            EXPECT_EQ(table[i], before[i]) << i;
    }
}

// Every entry is exactly what FormatToneCode makes of the code it names, in both locales.
TEST(ToneTextTable, EveryEntrySurvivesParseAndFormat)
{
    for (const std::string& separator : {std::string(","), std::string("."), kArabicSeparator}) {
        SeparatorGuard guard(separator);
        for (const std::string& text : ToneTextTable()) {
            const ParsedTone parsed = ParseToneCode(text);
            EXPECT_TRUE(parsed.valid) << text;
            EXPECT_EQ(FormatToneCode(parsed.code), text);
        }
    }
}

struct ParseCase
{
    const char* text; // ',' stands for the held separator
    ToneCode code;
    bool valid;
};

class ParseToneCodeTest : public ::testing::TestWithParam<std::tuple<ParseCase, std::string>>
{};

TEST_P(ParseToneCodeTest, GivesCodeAndValidity)
{
    const auto& [c, separator] = GetParam();
    SeparatorGuard guard(separator);
    const ParsedTone parsed = ParseToneCode(WithSeparator(c.text, separator));
    EXPECT_EQ(parsed.code, c.code) << c.text;
    EXPECT_EQ(parsed.valid, c.valid) << c.text;
}

const ParseCase kParseCases[] = {
    {"Нет", 0xFFFF, true},    {"023N", 0x2017, true},
    {"23N", 0x2017, true},    {"0023N", 0x2017, true},
    {"754I", 0xA2F2, true},   {"N", 0x2000, true}, // lone N: DCS 000
    {"12,3N", 0x200C, true},                       // the integer stops at the separator
    {"023N9x", 0x2017, true},                      // the rest after the suffix is ignored
    {"4094N", 0x2FFE, true},  {"4095N", 0x2FFF, false},
    {"5000N", 0x2388, false},                       // 5000 mod 4096
    {"88,5", 885, true},      {"88,56", 886, true}, // rounded to one decimal first
    {"88,55", 885, true},                           // 88.55 is just below 88.55 in binary, as in C
    {"0", 0, true},           {"", 0, true},
    {"-5", 0, false},    // the minus ends the walk with an empty buffer
    {" 88,5", 0, false}, // so does a leading blank
    {"500", 4094, false},     {"409,4", 4094, true},
    {"409,5", 4094, false},   {"023n", 230, false}, // lower case is no suffix
    {"023i", 230, false},     {"25,5", 255, true},  // stored, but its low byte renders as no code
    {"нет", 0, false},        {"88,5Hz", 885, false},
};

INSTANTIATE_TEST_SUITE_P(EachSeparator, ParseToneCodeTest,
                         ::testing::Combine(::testing::ValuesIn(kParseCases),
                                            ::testing::Values(",", ".", kArabicSeparator)));

TEST(ParseToneCode, TheOtherSeparatorEndsTheWalk)
{
    {
        SeparatorGuard comma(',');
        const ParsedTone parsed = ParseToneCode("88.5");
        EXPECT_EQ(parsed.code, 880);
        EXPECT_FALSE(parsed.valid);
        EXPECT_EQ(FormatToneCode(parsed.code), "88,0");
    }
    SeparatorGuard point('.');
    const ParsedTone parsed = ParseToneCode("88,5");
    EXPECT_EQ(parsed.code, 880);
    EXPECT_FALSE(parsed.valid);
}

// Only the first 19 characters are looked at, whatever follows, and a longer text is never
// taken as typed: the cell then shows the stored code's text.
TEST(ParseToneCode, LongTextsUseTheirFirstNineteenCharacters)
{
    SeparatorGuard comma(',');
    const std::string zeros17(17, '0');
    // 20 characters: the N is the 20th and is not seen, so the digits are a tone.
    EXPECT_EQ(ParseToneCode(zeros17 + "23N").code, 230);
    EXPECT_EQ(ParseToneCode(zeros17 + "23N").valid, false);
    EXPECT_EQ(ParseToneCode(std::string(20, '0')).valid, false);
    EXPECT_EQ(ParseToneCode(zeros17 + "2N").code, 0x2002); // the N is the 19th
    EXPECT_EQ(ParseToneCode(zeros17 + "2N").valid, true);
    EXPECT_EQ(ParseToneCode(zeros17 + "2N" + "5").valid, false); // ignored rest, but too long
    const ParsedTone huge = ParseToneCode(std::string(18, '9') + "N");
    EXPECT_EQ(huge.code, 0x2000 + 999999999999999999ull % 4096);
    EXPECT_FALSE(huge.valid);
    const ParsedTone tone = ParseToneCode(std::string(500, '9'));
    EXPECT_EQ(tone.code, 4094);
    EXPECT_FALSE(tone.valid);
    EXPECT_EQ(ParseToneCode(std::string(18, '1') + "Нет").valid, false);
}

struct FormatCase
{
    ToneCode code;
    const char* text;
};

class FormatToneCodeTest : public ::testing::TestWithParam<std::tuple<FormatCase, std::string>>
{};

TEST_P(FormatToneCodeTest, RendersTheStoredCode)
{
    const auto& [c, separator] = GetParam();
    SeparatorGuard guard(separator);
    EXPECT_EQ(FormatToneCode(c.code), WithSeparator(c.text, separator));
}

const FormatCase kFormatCases[] = {
    {0xFFFF, "Нет"},  {0x00FF, "Нет"},  {0xFF00, "Нет"},  {0x5000, "Нет"},   {0x1234, "Нет"},
    {0x0000, "0,0"},  {885, "88,5"},    {1273, "127,3"},  {0x0FFE, "409,4"}, {0x2017, "023N"},
    {0x2000, "000N"}, {0xA2F2, "754I"}, {0x2388, "904N"}, {0x2FFE, "4094N"}, {0x20FF, "Нет"},
};

INSTANTIATE_TEST_SUITE_P(EachSeparator, FormatToneCodeTest,
                         ::testing::Combine(::testing::ValuesIn(kFormatCases),
                                            ::testing::Values(",", ".", kArabicSeparator)));

// Any code a text can produce renders to a text that parses back to the same code.
TEST(ToneCode, RandomCodesRoundTripThroughText)
{
    std::mt19937 random(20261208);
    for (const std::string& separator : {std::string(","), std::string("."), kArabicSeparator}) {
        SeparatorGuard guard(separator);
        for (int i = 0; i < 5000; ++i) {
            const ToneCode code = static_cast<ToneCode>(random());
            const std::string text = FormatToneCode(code);
            if (text == "Нет")
                continue;
            const ParsedTone parsed = ParseToneCode(text);
            EXPECT_TRUE(parsed.valid) << text;
            EXPECT_EQ(parsed.code, code) << text;
        }
    }
}

} // namespace
