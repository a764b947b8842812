#pragma once

#include "ChannelRecord.h"

// std
#include <array>
#include <optional>
#include <string>
#include <string_view>

// The grid's columns: 0 is the channel number, 1..7 the data columns.
enum ChannelColumn : int
{
    kColNumber = 0,
    kColRxFreq = 1,
    kColTxFreq = 2,
    kColRxCode = 3,
    kColTxCode = 4,
    kColPower = 5,
    kColWidth = 6,
    kColScan = 7,
    kColumnCount = 8
};

inline constexpr char kPowerHigh[] = "Высокая";
inline constexpr char kPowerLow[] = "Низкая";
inline constexpr char kWidthWide[] = "Широкая (W)";
inline constexpr char kWidthNarrow[] = "Узкая (N)";
inline constexpr char kScanYes[] = "Да";
inline constexpr char kScanNo[] = "Нет";
inline constexpr char kNoToneText[] = "Нет";
// The two texts of each two-choice column (5, 6, 7), in the order their combos list them.
inline constexpr const char* kChoiceTexts[3][2] = {
    {kPowerHigh, kPowerLow}, {kWidthWide, kWidthNarrow}, {kScanNo, kScanYes}};

// Text of a data column (1..7) rendered from the record; empty for any other column.
[[nodiscard]] std::string CellTextFromRecord(const ChannelRecord& record, int column);

// Encodes a cell text into the record field of its column and returns the text the cell keeps:
// the given text, or for a code that ParseToneCode rejects the text of the code stored instead.
// An empty text and column 0 change no field (the text is returned as given). nullopt: the text
// is not acceptable (a frequency beyond 32 bits); neither the record nor the cell may change.
[[nodiscard]] std::optional<std::string> ApplyCellText(ChannelRecord& record, int column,
                                                       std::string_view text);

// Default texts of columns 1..7 (index 0 = column 1) for every row of a fresh grid, with the
// held separator: frequencies from 433.07500 in steps of 0.025 MHz, the code pattern of the
// channel number, "Высокая", "Широкая (W)", "Да".
[[nodiscard]] std::array<std::array<std::string, 7>, kChannelCount> DefaultChannelTexts();

// The records of a fresh grid: the default texts of every row applied to zeroed records, as the
// window's rows hold them before anything is read or opened.
[[nodiscard]] std::array<ChannelRecord, kChannelCount> DefaultChannelRecords();
