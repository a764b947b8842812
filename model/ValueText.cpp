#include "ValueText.h"

#include "DecimalSeparator.h"

// std
#include <charconv>
#include <cmath>
#include <limits>

namespace {

bool IsCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

} // namespace

std::string FormatFixed(double value, int decimals)
{
    char text[400];
    const auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return WithHeldSeparator(std::string(text, result.ec == std::errc() ? result.ptr : text));
}

double LeadingNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            return 0.0;
    }
    // Rewrite the rest in the form from_chars reads: the held separator becomes '.', and a '.'
    // that is not the held separator ends the number as it would in the user's locale.
    const std::string separator = DecimalSeparator();
    std::string number;
    while (i < text.size()) {
        if (text.substr(i).starts_with(separator)) {
            number += '.';
            i += separator.size();
        } else if (text[i] == '.') {
            break;
        } else {
            number += text[i++];
        }
    }
    double value = 0.0;
    const char* first = number.data();
    const char* last = number.data() + number.size();
    std::from_chars_result result{};
    if (number.size() > 2 && number[0] == '0' && (number[1] == 'x' || number[1] == 'X') &&
        IsHexDigit(number[2])) {
        result = std::from_chars(first + 2, last, value, std::chars_format::hex);
    } else {
        result = std::from_chars(first, last, value, std::chars_format::general);
    }
    if (result.ec == std::errc::result_out_of_range) {
        // Beyond double's range: C's conversion gives HUGE_VAL, or 0 for underflow.
        const auto e = number.find_first_of("eE");
        const bool tiny = e != std::string::npos && e + 1 < number.size() && number[e + 1] == '-';
        value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    } else if (result.ec != std::errc()) {
        value = 0.0;
    }
    return negative ? -value : value;
}

std::string FormatFrequency(std::uint32_t hz)
{
    return FormatFixed(static_cast<double>(hz) / 1000000.0, 5);
}

std::string FormatMegahertz(double mhz)
{
    return FormatFixed(mhz, 5);
}

std::optional<std::uint32_t> ParseFrequency(std::string_view text)
{
    const double hz = std::trunc(LeadingNumber(text) * 1000000.0);
    // Beyond 32 bits the radio would get a wrapped-around frequency: refuse instead.
    if (!(hz >= 0.0) || hz >= 4294967296.0)
        return std::nullopt;
    return static_cast<std::uint32_t>(hz);
}
