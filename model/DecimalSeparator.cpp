#include "DecimalSeparator.h"

// std
#include <algorithm>
#include <atomic>
#include <clocale>
#include <cstdio>
#include <locale>
#include <optional>
#include <stdexcept>
#include <vector>

namespace {

// Set once at start-up, before any other thread runs; atomic so tests may switch it freely.
std::atomic<char32_t> g_separator{U','};

// Length of the UTF-8 sequence a lead byte starts, 0 for a byte no sequence starts with.
std::size_t SequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

// The one code point `utf8` holds, or nothing when it holds none, several or invalid bytes.
std::optional<char32_t> DecodeOne(std::string_view utf8)
{
    if (utf8.empty())
        return std::nullopt;
    const auto lead = static_cast<unsigned char>(utf8[0]);
    const std::size_t length = SequenceLength(lead);
    if (length == 0 || length != utf8.size())
        return std::nullopt;
    if (length == 1)
        return lead;
    char32_t c = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if ((byte & 0xC0) != 0x80)
            return std::nullopt;
        c = (c << 6) | (byte & 0x3F);
    }
    // Overlong forms and surrogates are not characters.
    const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < least[length] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
        return std::nullopt;
    return c;
}

bool CanSeparate(char32_t c)
{
    if (c > 0xFFFF || c < 0x21 || c == 0x7F || (c >= 0x80 && c < 0xA0))
        return false;
    if ((c >= U'0' && c <= U'9') || (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z'))
        return false;
    return c != U'+' && c != U'-';
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

} // namespace

std::string EncodeUtf8(char32_t c)
{
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

char32_t DecimalSeparatorChar()
{
    return g_separator.load(std::memory_order_relaxed);
}

std::string DecimalSeparator()
{
    return EncodeUtf8(DecimalSeparatorChar());
}

void ApplyDecimalSeparator(std::string_view utf8)
{
    const std::optional<char32_t> decoded = DecodeOne(utf8);
    const char32_t c = decoded && CanSeparate(*decoded) ? *decoded : U'.';
    g_separator.store(c, std::memory_order_relaxed);
}

void AdoptUserLocale()
{
    std::setlocale(LC_ALL, "");
    try {
        std::locale::global(std::locale(""));
    } catch (const std::runtime_error&) {
        // A user locale the C++ library does not know: the C runtime's locale still applies.
    }
    ApplyDecimalSeparator(LocaleDecimalSeparator());
}

std::string LocaleDecimalSeparator()
{
    char text[32] = {};
    std::snprintf(text, sizeof text, "%f", 1.1);
    const std::string_view printed(text);
    if (printed.size() < 2)
        return ".";
    // The whole sequence the second character's lead byte starts; ApplyDecimalSeparator judges
    // whether it is a character at all.
    const std::size_t length = std::max<std::size_t>(1, SequenceLength(printed[1]));
    return std::string(printed.substr(1, length));
}

std::string WithHeldSeparator(std::string text)
{
    const char32_t held = DecimalSeparatorChar();
    if (held != U'.')
        ReplaceAll(text, ".", EncodeUtf8(held));
    return text;
}
