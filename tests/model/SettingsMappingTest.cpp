#include "model/SettingsMapping.h"
#include "resources/SkinNames.h"

#include <gtest/gtest.h>

// std
#include <string>

namespace {

const SettingsField& Field(const std::string& name)
{
    for (const SettingsField& field : SettingsFields()) {
        if (name == SettingsComboName(field))
            return field;
    }
    throw std::logic_error("no settings field " + name);
}

TEST(SettingsMapping, FieldsInShowOrderWithTheirBytes)
{
    const char* order[] = {"cboSQLev", "cboTOT",  "cboVoice",    "cboPF1",
                           "cboPF2",   "cboScan", "cboSavePower"};
    const std::size_t offsets[] = {14, 15, 16, 17, 18, 19, 4};
    for (std::size_t i = 0; i < 7; ++i) {
        EXPECT_STREQ(SettingsComboName(SettingsFields()[i]), order[i]);
        EXPECT_EQ(SettingsFields()[i].offset, offsets[i]);
    }
}

struct ByteCase
{
    const char* combo;
    std::uint8_t stored;
    int selection;
    std::uint8_t written;
};

class SettingsByteTest : public ::testing::TestWithParam<ByteCase>
{};

// A stored byte selects an entry (past the last entry: the last), and the selection writes
// back the entry's canonical value.
TEST_P(SettingsByteTest, NormalisesThroughTheCombo)
{
    const ByteCase& c = GetParam();
    const SettingsField& field = Field(c.combo);
    const int selection = SelectionFromByte(field, c.stored);
    EXPECT_EQ(selection, c.selection);
    EXPECT_EQ(ByteFromSelection(field, selection), c.written);
}

INSTANTIATE_TEST_SUITE_P(
    AllCombos, SettingsByteTest,
    ::testing::Values(ByteCase{"cboTOT", 0, 0, 0}, ByteCase{"cboTOT", 59, 0, 0},
                      ByteCase{"cboTOT", 60, 1, 60}, ByteCase{"cboTOT", 90, 1, 60},
                      ByteCase{"cboTOT", 120, 2, 120}, ByteCase{"cboTOT", 179, 2, 120},
                      ByteCase{"cboTOT", 180, 3, 180}, ByteCase{"cboTOT", 250, 3, 180},
                      ByteCase{"cboSQLev", 4, 4, 4}, ByteCase{"cboSQLev", 12, 9, 9},
                      ByteCase{"cboSQLev", 255, 9, 9}, ByteCase{"cboPF1", 3, 2, 2},
                      ByteCase{"cboPF2", 1, 1, 1}, ByteCase{"cboVoice", 200, 2, 2},
                      ByteCase{"cboScan", 2, 1, 1}, ByteCase{"cboSavePower", 0, 0, 0},
                      ByteCase{"cboSavePower", 7, 1, 1}));

TEST(SettingsMapping, NoSelectionAndFirstEntryWriteZero)
{
    for (const SettingsField& field : SettingsFields()) {
        EXPECT_EQ(ByteFromSelection(field, -1), 0) << SettingsComboName(field);
        EXPECT_EQ(ByteFromSelection(field, 0), 0) << SettingsComboName(field);
    }
}

TEST(SettingsMapping, DefaultsAreTheLayoutsPreselection)
{
    EXPECT_EQ(Field("cboTOT").defaultIndex, 1);
    EXPECT_EQ(Field("cboSQLev").defaultIndex, 4);
    EXPECT_EQ(Field("cboSavePower").defaultIndex, 1);
    EXPECT_EQ(Field("cboScan").defaultIndex, 1);
    EXPECT_EQ(Field("cboPF1").defaultIndex, 1);
    EXPECT_EQ(Field("cboPF2").defaultIndex, 0);
    EXPECT_EQ(Field("cboVoice").defaultIndex, 2);
}

TEST(SettingsMapping, ShownImageKeepsRecordsAndOnlyTheCombosBytes)
{
    RadioImage image;
    for (std::size_t i = 0; i < image.channels[3].bytes.size(); ++i)
        image.channels[3].bytes[i] = static_cast<std::uint8_t>(0xA0 + i);
    image.settings.bytes.fill(0x5A); // header and unused bytes too
    image.settings.bytes[Field("cboTOT").offset] = 90;
    image.settings.bytes[Field("cboSQLev").offset] = 12;
    const RadioImage shown = ShownImage(image);
    EXPECT_EQ(shown.channels, image.channels);
    for (std::size_t offset = 0; offset < SettingsRecord::kSize; ++offset) {
        std::uint8_t expected = 0;
        for (const SettingsField& field : SettingsFields()) {
            if (field.offset == offset)
                expected = ByteFromSelection(field, SelectionFromByte(field, 0x5A));
        }
        if (offset == Field("cboTOT").offset)
            expected = 60;
        if (offset == Field("cboSQLev").offset)
            expected = 9;
        EXPECT_EQ(shown.settings.bytes[offset], expected) << "settings byte " << offset;
    }
    EXPECT_EQ(ShownImage(shown), shown);
    EXPECT_EQ(SelectionsFromSettings(GridImage({}, DefaultSelections()).settings.bytes.data()),
              DefaultSelections());
}

} // namespace
