#pragma once

// std
#include <string>
#include <string_view>

// The one decimal separator of the process: ',' until start-up applies the user's locale.
// Number texts (frequencies, CTCSS tones) and the editors' character filters use it; the
// conversions never consult the C locale, so any separator works on any machine. It is held as
// one whole character (a code point), not as a byte: a locale such as ps_AF writes U+066B, two
// bytes in UTF-8.
[[nodiscard]] char32_t DecimalSeparatorChar();
// The held separator as UTF-8, the encoding of the model's texts.
[[nodiscard]] std::string DecimalSeparator();

// Makes the character in `utf8` the held separator; ToneTextTable() follows it. Anything but one
// valid character of the Basic Multilingual Plane that cannot be part of a number or a code (a
// digit, a sign, a blank, a letter, a control character) holds '.' instead: the editors filter one
// UTF-16 unit per keystroke, and texts written with such a "separator" could not be read back.
// Start-up calls it once; tests call it to switch separators.
void ApplyDecimalSeparator(std::string_view utf8);
inline void ApplyDecimalSeparator(char c)
{
    ApplyDecimalSeparator(std::string_view(&c, 1));
}

// The separator of the current C numeric locale: the second character (not byte) of 1.1
// printed with "%f", as UTF-8.
[[nodiscard]] std::string LocaleDecimalSeparator();

// Numbers, the clock and month names follow the user's settings from here on: the C and C++
// locales and the held separator. The window and the command line call it at start-up.
void AdoptUserLocale();

// A number text written with '.' (as std::to_chars writes it) in the held separator.
[[nodiscard]] std::string WithHeldSeparator(std::string text);

// The UTF-8 encoding of one code point.
[[nodiscard]] std::string EncodeUtf8(char32_t c);
