#pragma once

// std
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What a committed cell edit does to its row, as texts to put into the row's cells in order.
struct CellAssignment
{
    int column;
    std::string text;
};

// The grid's commit rules for `text` typed into `column` of a row that is in use (its receive
// frequency is not empty) or not:
// - a frequency is kept as F(T), the text's leading number with five decimals;
// - a receive frequency typed into an unused row puts the channel into use: the transmit
//   frequency is the same, the codes "Нет", power high, width wide, scan on; one the record
//   cannot hold changes nothing;
// - emptying the receive frequency empties the row's data cells (the record keeps its bytes);
// - an unused row takes nothing but a receive frequency;
// - an emptied code or choice cell falls back to what a new channel has.
// nullopt: the commit changes nothing. Otherwise the row changed, also when there is nothing to
// assign.
[[nodiscard]] std::optional<std::vector<CellAssignment>> CommitCellTexts(bool inUse, int column,
                                                                         std::string_view text);

// The text a fresh channel has in `column` (codes, power, width, scan), empty for the others.
[[nodiscard]] std::string NewChannelText(int column);
