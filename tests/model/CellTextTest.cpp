#include "model/CellText.h"
#include "model/CellCommit.h"
#include "model/ToneCode.h"
#include "tests/support/SeparatorGuard.h"

#include <gtest/gtest.h>

// std
#include <random>
#include <vector>

namespace {

ChannelRecord RecordFromTexts(const std::vector<std::string>& texts)
{
    ChannelRecord record;
    for (int column = 1; column <= 7; ++column)
        EXPECT_TRUE(ApplyCellText(record, column, texts[column - 1]).has_value());
    return record;
}

TEST(CellText, WorkedExamplesEncodeToTheKnownBytes)
{
    SeparatorGuard comma(',');
    const ChannelRecord first =
        RecordFromTexts({"433,07500", "433,07500", "Нет", "88,5", "Высокая", "Широкая (W)", "Да"});
    const std::array<std::uint8_t, 24> firstBytes{0x38, 0x33, 0xD0, 0x19, 0x38, 0x33, 0xD0, 0x19,
                                                  0xFF, 0xFF, 0x75, 0x03, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(first.bytes, firstBytes);

    const ChannelRecord second =
        RecordFromTexts({"433,20000", "433,20000", "023N", "754I", "Низкая", "Узкая (N)", "Нет"});
    const std::array<std::uint8_t, 24> secondBytes{0x80, 0x1B, 0xD2, 0x19, 0x80, 0x1B,
                                                   0xD2, 0x19, 0x17, 0x20, 0xF2, 0xA2};
    EXPECT_EQ(second.bytes, secondBytes);

    const std::vector<std::string> expected{"433,20000", "433,20000", "023N", "754I",
                                            "Низкая",    "Узкая (N)", "Нет"};
    for (int column = 1; column <= 7; ++column)
        EXPECT_EQ(CellTextFromRecord(second, column), expected[column - 1]);
}

TEST(CellText, TwoChoiceColumnsReadAnyNonZeroByteAsSet)
{
    ChannelRecord record;
    record.setPower(0x01);
    record.setWidth(0x7F);
    record.setScan(0x00);
    EXPECT_EQ(CellTextFromRecord(record, kColPower), "Высокая");
    EXPECT_EQ(CellTextFromRecord(record, kColWidth), "Широкая (W)");
    EXPECT_EQ(CellTextFromRecord(record, kColScan), "Нет");
    // Any text but the exact "off" text stores 0xFF.
    ASSERT_TRUE(ApplyCellText(record, kColScan, "нет"));
    EXPECT_EQ(record.scan(), 0xFF);
    ASSERT_TRUE(ApplyCellText(record, kColPower, "Низкая"));
    EXPECT_EQ(record.power(), 0x00);
}

TEST(CellText, OnlyTheColumnsFieldChanges)
{
    SeparatorGuard comma(',');
    ChannelRecord record;
    for (std::size_t i = 0; i < record.bytes.size(); ++i)
        record.bytes[i] = static_cast<std::uint8_t>(0xA0 + i);
    const ChannelRecord before = record;
    ASSERT_TRUE(ApplyCellText(record, kColTxFreq, "145,5"));
    EXPECT_EQ(record.txHz(), 145500000u);
    for (std::size_t i = 0; i < record.bytes.size(); ++i) {
        if (i < 4 || i >= 8) {
            EXPECT_EQ(record.bytes[i], before.bytes[i]) << i;
        }
    }
}

TEST(CellText, EmptyTextAndColumnZeroChangeNothing)
{
    ChannelRecord record;
    record.setRxHz(123);
    const ChannelRecord before = record;
    for (int column = 0; column <= 7; ++column)
        EXPECT_EQ(ApplyCellText(record, column, ""), std::string());
    EXPECT_EQ(ApplyCellText(record, kColNumber, "5"), std::string("5"));
    EXPECT_EQ(record, before);
}

TEST(CellText, AnInvalidCodeIsStoredAndShownNormalised)
{
    SeparatorGuard comma(',');
    ChannelRecord record;
    EXPECT_EQ(ApplyCellText(record, kColRxCode, "023n"), std::string("23,0"));
    EXPECT_EQ(record.rxTone(), 230);
    EXPECT_EQ(ApplyCellText(record, kColTxCode, "5000N"), std::string("904N"));
    EXPECT_EQ(record.txTone(), 0x2388);
    // A valid text stays as typed even where the render would differ.
    EXPECT_EQ(ApplyCellText(record, kColRxCode, "23N"), std::string("23N"));
    EXPECT_EQ(CellTextFromRecord(record, kColRxCode), "023N");
}

TEST(CellText, AFrequencyBeyondThirtyTwoBitsLeavesTheRecordAlone)
{
    SeparatorGuard comma(',');
    ChannelRecord record;
    record.setRxHz(433075000);
    const ChannelRecord before = record;
    EXPECT_EQ(ApplyCellText(record, kColRxFreq, "5000"), std::nullopt);
    EXPECT_EQ(ApplyCellText(record, kColRxFreq, "4294,967296"), std::nullopt);
    EXPECT_EQ(record, before);
}

TEST(DefaultChannelTexts, GiveTheFreshChannels)
{
    for (char separator : {',', '.'}) {
        SeparatorGuard guard(separator);
        const auto rows = DefaultChannelTexts();
        const ToneCode codes[5] = {885, 1273, 1799, 1231, 2291};
        for (int row = 0; row < kChannelCount; ++row) {
            std::vector<std::string> texts(rows[row].begin(), rows[row].end());
            const ChannelRecord record = RecordFromTexts(texts);
            const std::uint32_t hz = 433075000u + 25000u * static_cast<std::uint32_t>(row);
            EXPECT_EQ(record.rxHz(), hz) << row;
            EXPECT_EQ(record.txHz(), hz) << row;
            const ToneCode code = row < 5 ? kNoTone : codes[row % 5];
            EXPECT_EQ(record.rxTone(), code) << row;
            EXPECT_EQ(record.txTone(), code) << row;
            EXPECT_EQ(record.power(), 0xFF);
            EXPECT_EQ(record.width(), 0xFF);
            EXPECT_EQ(record.scan(), 0xFF);
            for (std::size_t i = 15; i < 24; ++i)
                EXPECT_EQ(record.bytes[i], 0);
        }
        EXPECT_EQ(rows[15][0], separator == ',' ? "433,45000" : "433.45000");
        EXPECT_EQ(rows[8][2], separator == ',' ? "123,1" : "123.1");
    }
}

// A record rendered to its seven texts and encoded again into a record that holds other
// bytes 15..23 reproduces every field, with either separator.
TEST(CellText, RandomRecordsRoundTripThroughTheirTexts)
{
    std::mt19937 random(4242);
    const auto& table = ToneTextTable();
    for (char separator : {',', '.'}) {
        SeparatorGuard guard(separator);
        for (int i = 0; i < 3000; ++i) {
            ChannelRecord record;
            record.setRxHz(400000000u + 12500u * (random() % 6400));
            record.setTxHz(400000000u + 6250u * (random() % 12800));
            record.setRxTone(ParseToneCode(table[random() % table.size()]).code);
            record.setTxTone(ParseToneCode(table[random() % table.size()]).code);
            record.setPower(random() % 2 ? 0xFF : 0x00);
            record.setWidth(random() % 2 ? 0xFF : 0x00);
            record.setScan(random() % 2 ? 0xFF : 0x00);
            ChannelRecord copy;
            for (std::size_t b = 15; b < 24; ++b)
                copy.bytes[b] = record.bytes[b] = static_cast<std::uint8_t>(random());
            for (int column = 1; column <= 7; ++column) {
                const std::string text = CellTextFromRecord(record, column);
                ASSERT_EQ(ApplyCellText(copy, column, text), text);
            }
            ASSERT_EQ(copy, record);
        }
    }
}

} // namespace

TEST(CellCommit, TheRulesOfACommittedEditAsRowTexts)
{
    SeparatorGuard comma(',');
    using Texts = std::vector<CellAssignment>;
    const auto commit = [](bool inUse, int column, std::string_view text) {
        return CommitCellTexts(inUse, column, text);
    };
    const auto equal = [](const std::optional<Texts>& got, const Texts& want) {
        if (!got || got->size() != want.size())
            return false;
        for (std::size_t i = 0; i < want.size(); ++i) {
            if ((*got)[i].column != want[i].column || (*got)[i].text != want[i].text)
                return false;
        }
        return true;
    };

    // A receive frequency puts an unused row into use with the new-channel defaults, as F(T).
    EXPECT_TRUE(equal(commit(false, kColRxFreq, "145,5abc"), {{kColRxFreq, "145,50000"},
                                                              {kColTxFreq, "145,50000"},
                                                              {kColRxCode, "Нет"},
                                                              {kColTxCode, "Нет"},
                                                              {kColPower, "Высокая"},
                                                              {kColWidth, "Широкая (W)"},
                                                              {kColScan, "Да"}}));
    // One the record cannot hold changes nothing; an unused row takes nothing else.
    EXPECT_FALSE(commit(false, kColRxFreq, "9999999").has_value());
    EXPECT_FALSE(commit(false, kColTxFreq, "433,1").has_value());
    EXPECT_FALSE(commit(false, kColPower, "Низкая").has_value());
    // In use: frequencies as F(T), emptied cells back to the defaults, emptied receive
    // frequency takes the row out of use.
    EXPECT_TRUE(equal(commit(true, kColTxFreq, "446"), {{kColTxFreq, "446,00000"}}));
    EXPECT_TRUE(equal(commit(true, kColRxFreq, "446,1"), {{kColRxFreq, "446,10000"}}));
    EXPECT_TRUE(equal(commit(true, kColTxCode, ""), {{kColTxCode, "Нет"}}));
    EXPECT_TRUE(equal(commit(true, kColScan, "Нет"), {{kColScan, "Нет"}}));
    const auto emptied = commit(true, kColRxFreq, "");
    ASSERT_TRUE(emptied.has_value());
    ASSERT_EQ(emptied->size(), 7u);
    for (const CellAssignment& cell : *emptied)
        EXPECT_TRUE(cell.text.empty());
    EXPECT_TRUE(equal(commit(false, kColRxFreq, ""), {{kColRxFreq, ""}}));
    // The number column changes no text but still counts as a change of the row.
    EXPECT_TRUE(equal(commit(true, kColNumber, "5"), {}));
}
