#pragma once

// std
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The leading decimal number of a text, read as C's wcstod reads it (leading blanks skipped,
// optional sign, the held separator as decimal point, optional exponent; reading stops at the
// first character that does not fit; no number gives 0).
[[nodiscard]] double LeadingNumber(std::string_view text);

// `value` with the given number of decimals ("%0.*f") and the held separator, whatever the C
// locale.
[[nodiscard]] std::string FormatFixed(double value, int decimals);

// Megahertz with five decimals and the held separator ("%0.5f"): 433075000 -> "433,07500".
[[nodiscard]] std::string FormatFrequency(std::uint32_t hz);
// The same format for a value in megahertz (the grid's F(T)).
[[nodiscard]] std::string FormatMegahertz(double mhz);

// Hertz from a text: LeadingNumber x 1 000 000, truncated toward zero. A text without a number
// gives 0. A value that does not fit 32 bits (4294.967296 MHz or more, or below zero) is not
// acceptable and gives nullopt, so the caller keeps its previous value instead of storing a
// wrapped-around frequency.
[[nodiscard]] std::optional<std::uint32_t> ParseFrequency(std::string_view text);
