// Fuzz target: ParseFrequency. Input: one byte choosing the decimal separator (even ',',
// odd '.'), then the typed text. A frequency is the leading number in megahertz, truncated to
// whole hertz, and a value that does not fit 32 bits is refused rather than wrapped.

#include "FuzzSupport.h"
#include "model/DecimalSeparator.h"
#include "model/ValueText.h"

// std
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

constexpr double kTwoTo32 = 4294967296.0;

// Texts made only of what a number can be written with; for them the leading number must be
// what the C library's conversion reads (in the "C" locale, with the separator as the point).
bool IsPlainNumberText(std::string_view text)
{
    return text.find_first_not_of("0123456789+-.,eE \t") == std::string_view::npos;
}

double CLibraryLeadingNumber(std::string_view text, char separator)
{
    // Swap the two separators so that the held one becomes the C locale's '.'.
    std::string swapped(text);
    for (char& c : swapped) {
        if (c == separator)
            c = '.';
        else if (c == '.')
            c = ',';
    }
    return std::strtod(swapped.c_str(), nullptr);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CFuzzInput input(data, size);
    const char separator = input.Bool() ? '.' : ',';
    ApplyDecimalSeparator(separator);
    const std::string_view text = input.RestAsText();

    const auto hz = ParseFrequency(text);
    const auto again = ParseFrequency(text);
    FUZZ_CHECK(hz.has_value() == again.has_value() && (!hz || *hz == *again));

    const double megahertz = LeadingNumber(text);
    const double exact = std::trunc(megahertz * 1000000.0);
    const bool fits = exact >= 0.0 && exact < kTwoTo32; // false for NaN too
    FUZZ_CHECK(hz.has_value() == fits);
    if (hz)
        FUZZ_CHECK(static_cast<double>(*hz) == exact);

    if (IsPlainNumberText(text)) {
        const double reference = CLibraryLeadingNumber(text, separator);
        FUZZ_CHECK(megahertz == reference || (std::isnan(megahertz) && std::isnan(reference)));
    }
    return 0;
}
