#pragma once

// std
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A squelch code as stored (u16 LE at record offsets 8 and 10):
// 0xFFFF (or any value with an 0xFF byte) none | 0x0000..0x0FFF CTCSS tone in 0.1 Hz
// | 0x2000 + n DCS normal | 0xA000 + n DCS inverted (n: the code's digits read as decimal).
using ToneCode = std::uint16_t;

inline constexpr ToneCode kNoTone = 0xFFFF;
inline constexpr int kToneTextCount = 218;

// The code texts offered by the code columns: "Нет", 51 CTCSS tones, 83 DCS codes with N, the
// same 83 with I. The tones are written with the given decimal separator (a code point); each
// separator's table is made once, on first use, and never changes.
[[nodiscard]] const std::vector<std::string>& ToneTextTable(char32_t separator);
// The table of the held decimal separator (see DecimalSeparator.h).
[[nodiscard]] const std::vector<std::string>& ToneTextTable();

// Texts are UTF-8 throughout the model.
[[nodiscard]] std::string FormatToneCode(ToneCode code);

struct ParsedTone
{
    ToneCode code = kNoTone;
    // False when the text was not acceptable as typed; the code is still meant to be stored and
    // the cell then shows FormatToneCode(code).
    bool valid = true;
};
// Only the first 19 characters of the text take part in the parse (the longest text the code
// editor passes on); a longer text gives the code of those 19 and is never valid.
[[nodiscard]] ParsedTone ParseToneCode(std::string_view text);
