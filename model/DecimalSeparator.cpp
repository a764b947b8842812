#include "DecimalSeparator.h"

#include "ToneCode.h"

// std
#include <atomic>
#include <cstdio>
#include <string>

namespace {

// Set once at start-up, before any other thread runs; atomic so tests may switch it freely.
std::atomic<char> g_separator{','};

} // namespace

// Defined in ToneCode.cpp: the table's mutable storage.
std::vector<std::string>& MutableToneTextTable();

char DecimalSeparator()
{
    return g_separator.load(std::memory_order_relaxed);
}

void ApplyDecimalSeparator(char c)
{
    const char held = DecimalSeparator();
    if (c == held)
        return;
    // Entries 1..69 hold the 51 tones and the first DCS codes; only the tones have a separator.
    auto& table = MutableToneTextTable();
    for (std::size_t i = 1; i < 70 && i < table.size(); ++i) {
        for (char& ch : table[i]) {
            if (ch == held)
                ch = c;
        }
    }
    g_separator.store(c, std::memory_order_relaxed);
}

char LocaleDecimalSeparator()
{
    char text[32] = {};
    std::snprintf(text, sizeof text, "%f", 1.1);
    return text[1] != '\0' ? text[1] : '.';
}
