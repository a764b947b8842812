#pragma once

#include "model/RadioImage.h"

// std
#include <string>
#include <vector>

// Images as text, in the grid's and the combos' words.

// The differences of the radio's image from the file's, channel by channel (each column whose
// text differs, else each byte of the record that differs, unless `textsOnly`: a CSV file holds
// the texts and not the bytes behind them) and then setting by setting; one line each, empty
// when there are none.
[[nodiscard]] std::vector<std::string>
ImageDifferences(const RadioImage& file, const RadioImage& radio, bool textsOnly = false);

// The 16 rows as the grid shows them under its column captions, aligned, then the settings as
// "label: value" lines.
[[nodiscard]] std::string ShowImageText(const RadioImage& image);
