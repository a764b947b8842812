#pragma once

#include "CsvReader.h"

// std
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// The generic CSV of other radio programmers: one row per memory location, columns named
// Location, Name, Frequency, Duplex, Offset, Tone, rToneFreq, cToneFreq, DtcsCode, DtcsPolarity,
// RxDtcsCode, CrossMode, Mode, Power, Skip and more, frequencies in megahertz.

// True when the header names the columns "Location" and "Frequency".
[[nodiscard]] bool IsGenericCsvHeader(const std::vector<std::string>& titles);

// Maps the rows with the 16 lowest locations, in location order, onto channels 1..16 of a copy of
// `base`; the settings and any channel without a row stay as in `base`.
[[nodiscard]] std::optional<RadioImage> ImportGenericCsv(const CsvTable& table, std::size_t header,
                                                         const std::vector<std::string>& titles,
                                                         const RadioImage& base,
                                                         CsvProblems& problems);
